// The standalone unit over a real transport: a private JACK server, the
// hrz2000-unit program on it, and this system's own ports on the RtMidi backend.
#include "factory_presets.h"
#include "port_session.h"

#include "rtmidi_platform.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A child process that is ended (TERM, then KILL) whatever way the test leaves.
class TChild {
public:
    TChild(const std::vector<std::string>& args, const std::string& log) {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TChild() { Stop(); }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    bool Started() const { return pid_ > 0; }
    bool Running() {
        if (pid_ <= 0)
            return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            pid_ = -1;
            return false;
        }
        return true;
    }
    // Asks the process to end; returns its exit status (-1 when it had to be killed).
    int Stop() {
        if (!Running())
            return exitStatus_;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 50 && Running(); ++i)
            std::this_thread::sleep_for(100ms);
        if (Running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            exitStatus_ = -1;
        }
        return exitStatus_;
    }

private:
    pid_t pid_ = -1;
    int exitStatus_ = -1;
};

void OnError(RtMidiError::Type, const std::string& text, void* user) {
    *static_cast<std::string*>(user) = text;
}

// Name of the first device whose name contains part, or "".
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

TEST(UnitOverJack, PresetAndTableArriveIntact) {
    if (!fs::exists("/usr/bin/jackd"))
        GTEST_SKIP() << "jackd is not installed (Debian package jackd2)";
    const std::string server = "hrzunit" + std::to_string(getpid());
    const fs::path dir = fs::temp_directory_path() / (server + "_files");
    fs::create_directories(dir);
    struct TRemove {
        fs::path Dir;
        ~TRemove() {
            std::error_code ec;
            fs::remove_all(Dir, ec);
        }
    } removeAtEnd{dir};
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);

    // A long period and client time-out: on a busy machine clients miss short
    // cycles and jackd would drop them (and their MIDI) for good.
    TChild jack({"/usr/bin/jackd", "--no-realtime", "-t", "10000", "-n", server, "-d", "dummy",
                 "-r", "48000", "-p", "2048"},
                (dir / "jackd.log").string());
    ASSERT_TRUE(jack.Started()) << "could not start jackd";

    // The server is ready once a client can list its ports.
    std::unique_ptr<RtMidiOut> probe;
    bool ready = false;
    for (int i = 0; i < 50 && !ready && jack.Running(); ++i) {
        std::this_thread::sleep_for(200ms);
        std::string error;
        try {
            probe = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "hrz-probe");
            probe->setErrorCallback(OnError, &error);
            probe->getPortCount();
            ready = error.empty();
        } catch (const RtMidiError&) {
            ready = false;
        }
        if (!ready)
            probe.reset();
    }
    if (!ready)
        GTEST_SKIP() << "a JACK server could not be started here: jackd did not accept clients "
                        "within 10 s (no usable shared memory or dummy driver?)";

    const std::string portName = "hrzu" + std::to_string(getpid());
    TChild unit({HRZ_UNIT_PROGRAM, "--api", "jack", "--quiet", "--name", portName, "--state",
                 (dir / "unit.state").string()},
                (dir / "unit.log").string());
    ASSERT_TRUE(unit.Started());

    probe.reset();
    // The unit's ports appear once the program is up.
    std::string inName, outName;
    for (int i = 0; i < 100 && (inName.empty() || outName.empty()) && unit.Running(); ++i) {
        std::this_thread::sleep_for(100ms);
        TRtMidiPlatform lister("hrz-lister", {"jack"});
        inName = FindDevice(lister, true, portName);
        outName = FindDevice(lister, false, portName);
    }
    ASSERT_FALSE(inName.empty()) << "the unit's ports never appeared (unit running: "
                                 << unit.Running() << ")";
    ASSERT_FALSE(outName.empty());

    {
        TRtMidiPlatform platform("hrz-test", {"jack"});
        TPortSession session(platform, inName, outName);
        session.Settle(300ms);
        const auto dump = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}, 0x05);
        ASSERT_EQ(dump.size(), 252u)
            << inName << " / " << outName << ": " << session.Received().size() << " events";
        const auto factory = FactoryPresetDump(0, 0, false);
        EXPECT_TRUE(std::equal(dump.begin(), dump.end(), factory.begin()));

        const auto table = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x53, 0xF7}, 0x13);
        ASSERT_EQ(table.size(), 406u);
        EXPECT_EQ(table[4], 0x13);
        EXPECT_EQ(table[5 + 2 * 150], 150 - 128);
        EXPECT_EQ(table[6 + 2 * 150], 1);
    }
    EXPECT_EQ(unit.Stop(), 0) << "the unit ends cleanly on SIGTERM";
    jack.Stop();
}

} // namespace
