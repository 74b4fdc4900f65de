// The RtMidi backend over a real transport: a private JACK server started by
// the test, a relay client that passes everything it gets back out, and this
// program's own ports on both ends.
#include "midi_input.h"
#include "midi_output.h"
#include "port_test_support.h"
#include "rtmidi_platform.h"

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

// RtMidi warns on std::cerr while the server is still starting.
class TQuietStderr {
public:
    TQuietStderr() : saved_(std::cerr.rdbuf(sink_.rdbuf())) {}
    ~TQuietStderr() { std::cerr.rdbuf(saved_); }

private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

// A jackd with the dummy driver under its own server name; killed in every path.
class TJackServer {
public:
    explicit TJackServer(const std::string& name) : name_(name) {
        const char* jackd = "/usr/bin/jackd";
        if (access(jackd, X_OK) != 0) {
            failure_ = "jackd is not installed";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        // A long period and client time-out: on a busy machine clients miss short
        // cycles and jackd would drop them (and their MIDI) for good.
        std::vector<std::string> args = {"jackd", "--no-realtime", "-t", "10000", "-n", name_,
                                         "-d",    "dummy",         "-r", "48000", "-p", "2048"};
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, jackd, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
            failure_ = "jackd could not be started";
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TJackServer() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                return;
            std::this_thread::sleep_for(100ms);
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    TJackServer(const TJackServer&) = delete;
    TJackServer& operator=(const TJackServer&) = delete;

    // Waits until a client can connect; false (with a reason) when it never does.
    bool WaitUntilUp() {
        if (pid_ <= 0)
            return false;
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                failure_ = "jackd exited at start (no usable shared memory or driver?)";
                return false;
            }
            try {
                TQuietStderr quiet;
                RtMidiOut probe(RtMidi::UNIX_JACK, "hrz-probe");
                bool failed = false;
                probe.setErrorCallback(
                    [](RtMidiError::Type type, const std::string&, void* data) {
                        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
                            *static_cast<bool*>(data) = true;
                    },
                    &failed);
                probe.openVirtualPort("probe"); // reports through the callback when no server
                if (!failed)
                    return true;
            } catch (const RtMidiError&) {
            }
            std::this_thread::sleep_for(200ms);
        }
        failure_ = "jackd did not accept clients within 15 s";
        return false;
    }
    const std::string& Failure() const { return failure_; }

private:
    std::string name_;
    pid_t pid_ = -1;
    std::string failure_;
};

// Passes every message from its input port straight to its output port.
struct TRelay {
    RtMidiIn In{RtMidi::UNIX_JACK, "hrz-relay"};
    RtMidiOut Out{RtMidi::UNIX_JACK, "hrz-relay"};
    TRelay() {
        In.ignoreTypes(false, false, false);
        In.setCallback([](double, std::vector<unsigned char>* message,
                          void* relay) { static_cast<TRelay*>(relay)->Out.sendMessage(message); },
                       this);
        In.openVirtualPort("relay-in");
        Out.openVirtualPort("relay-out");
    }
};

std::string FindDevice(IMidiPlatform& platform, bool input, const std::string& part) {
    const std::uint32_t count = input ? platform.midiInGetNumDevs() : platform.midiOutGetNumDevs();
    for (std::uint32_t id = 0; id < count; ++id) {
        std::string name;
        if (input) {
            MIDIINCAPS caps;
            platform.midiInGetDevCaps(id, caps);
            name = caps.szPname;
        } else {
            MIDIOUTCAPS caps;
            platform.midiOutGetDevCaps(static_cast<int>(id), caps);
            name = caps.szPname;
        }
        if (name.find(part) != std::string::npos)
            return name;
    }
    return {};
}

class ServerName {
public:
    explicit ServerName(const std::string& name) {
        const char* old = std::getenv("JACK_DEFAULT_SERVER");
        if (old)
            saved_ = old;
        had_ = old != nullptr;
        setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    }
    ~ServerName() {
        if (had_)
            setenv("JACK_DEFAULT_SERVER", saved_.c_str(), 1);
        else
            unsetenv("JACK_DEFAULT_SERVER");
    }

private:
    std::string saved_;
    bool had_ = false;
};

} // namespace

TEST(RtMidiPlatform, UnavailableTransportsGiveNoDevicesAndNoNoise) {
    ServerName server("hrz-no-such-server-" + std::to_string(getpid()));
    testing::internal::CaptureStderr();
    TRtMidiPlatform platform("HRZ2000e test");
    const std::string noise = testing::internal::GetCapturedStderr();
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has an ALSA sequencer; its devices are listed";
    EXPECT_EQ(platform.midiInGetNumDevs(), 0u);
    EXPECT_EQ(platform.midiOutGetNumDevs(), 0u);
    EXPECT_EQ(noise, "");
    HMIDIIN in = nullptr;
    EXPECT_EQ(platform.midiInOpen(&in, 0, nullptr, 0, 0), MMSYSERR_BADDEVICEID);
}

TEST(RtMidiPlatform, DumpAndShortMessageMakeTheRoundTripThroughJack) {
    const std::string name = "hrz-test-" + std::to_string(getpid());
    ServerName server(name);
    TJackServer jack(name);
    if (!jack.WaitUntilUp())
        GTEST_SKIP() << "JACK server unavailable: " << jack.Failure();

    std::unique_ptr<TRelay> relay;
    try {
        relay = std::make_unique<TRelay>();
    } catch (const RtMidiError& error) {
        FAIL() << "relay client: " << error.getMessage();
    }
    TRtMidiPlatform platform("HRZ2000e", {"jack"});
    const std::string inName = FindDevice(platform, true, "relay-out");
    const std::string outName = FindDevice(platform, false, "relay-in");
    ASSERT_FALSE(inName.empty());
    ASSERT_FALSE(outName.empty());
    EXPECT_LE(inName.size(), 31u);

    SetMidiPlatform(&platform);
    std::vector<std::unique_ptr<TMyMidiEvent>> received;
    {
        TMidiInput input;
        input.SetProductName(inName);
        input.OnMidiInput = [&](QObject*) {
            while (auto event = input.ReadEvent())
                received.push_back(std::move(event));
        };
        input.Open();
        input.Start();
        TMidiOutput output;
        int blocksDone = 0;
        output.Onmidioutput = [&](QObject*) { ++blocksDone; };
        output.SetProductName(outName);
        output.Open();

        std::vector<std::uint8_t> dump(252);
        for (std::size_t i = 0; i < dump.size(); ++i)
            dump[i] = static_cast<std::uint8_t>((i * 7) & 0x7F);
        dump.front() = 0xF0;
        dump.back() = 0xF7;
        output.SendEvent(*TMyMidiEvent::SysexBlock(dump));
        output.SendShort(0xC0, 0x05, 0);

        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (received.size() < 2 && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(blocksDone, 1);
        ASSERT_EQ(received.size(), 2u);
        EXPECT_EQ(received[0]->Status, 0xF0);
        EXPECT_EQ(received[0]->Sysex, dump);
        EXPECT_EQ(received[1]->Status, 0xC0);
        EXPECT_EQ(received[1]->Data1, 0x05);
        EXPECT_GE(received[1]->Time, received[0]->Time);
        input.Close();
        output.Close();
    }
    SetMidiPlatform(nullptr);
}
