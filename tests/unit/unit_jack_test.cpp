// The standalone unit over a real transport: a private JACK server, the
// hrz2000-unit program on it, and an RtMidi client in this process.
#include "factory_presets.h"

#include "preset.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

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

struct TReceived {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<Bytes> Messages;
};

void OnReceived(double, std::vector<unsigned char>* message, void* user) {
    auto* received = static_cast<TReceived*>(user);
    std::lock_guard lock(received->Mutex);
    received->Messages.push_back(*message);
    received->Changed.notify_all();
}

void OnError(RtMidiError::Type, const std::string& text, void* user) {
    *static_cast<std::string*>(user) = text;
}

// Index of the first port whose name contains part, or -1.
template <class Port> int FindPort(Port& port, const std::string& part) {
    for (unsigned i = 0; i < port.getPortCount(); ++i)
        if (port.getPortName(i).find(part) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

Bytes WaitForSysex(TReceived& received, std::chrono::milliseconds timeout) {
    std::unique_lock lock(received.Mutex);
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (true) {
        while (!received.Messages.empty()) {
            Bytes m = std::move(received.Messages.front());
            received.Messages.pop_front();
            if (!m.empty() && m[0] == 0xF0)
                return m;
        }
        if (received.Changed.wait_until(lock, until) == std::cv_status::timeout &&
            received.Messages.empty())
            return {};
    }
}

TEST(UnitOverJack, PresetAndTableArriveIntact) {
    if (!fs::exists("/usr/bin/jackd"))
        GTEST_SKIP() << "jackd is not installed (Debian package jackd2)";
    const std::string server = "hrzunit" + std::to_string(getpid());
    const fs::path dir = fs::temp_directory_path() / (server + "_files");
    fs::create_directories(dir);
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);

    TChild jack({"/usr/bin/jackd", "--no-realtime", "-n", server, "-d", "dummy", "-r", "48000",
                 "-p", "256"},
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
        GTEST_SKIP() << "a JACK server could not be started here (see " << (dir / "jackd.log")
                     << ")";

    const std::string portName = "HRZ test unit " + std::to_string(getpid());
    TChild unit({HRZ_UNIT_PROGRAM, "--api", "jack", "--quiet", "--name", portName, "--state",
                 (dir / "unit.state").string()},
                (dir / "unit.log").string());
    ASSERT_TRUE(unit.Started());

    probe.reset();
    std::string error;
    auto inClient = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "hrz-test-in");
    auto outClient = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "hrz-test-out");
    RtMidiIn& in = *inClient;
    RtMidiOut& out = *outClient;
    in.setErrorCallback(OnError, &error);
    out.setErrorCallback(OnError, &error);
    int inPort = -1, outPort = -1;
    for (int i = 0; i < 100 && (inPort < 0 || outPort < 0) && unit.Running(); ++i) {
        std::this_thread::sleep_for(100ms);
        inPort = FindPort(in, portName);
        outPort = FindPort(out, portName);
    }
    ASSERT_GE(inPort, 0) << "the unit's ports never appeared (unit running: " << unit.Running()
                         << ")";
    ASSERT_GE(outPort, 0);

    TReceived received;
    in.ignoreTypes(false, true, true);
    in.setCallback(OnReceived, &received);
    in.openPort(static_cast<unsigned>(inPort), "from-unit");
    out.openPort(static_cast<unsigned>(outPort), "to-unit");
    ASSERT_TRUE(error.empty()) << error;
    std::this_thread::sleep_for(200ms); // connections settle

    Bytes request{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};
    out.sendMessage(&request);
    const Bytes dump = WaitForSysex(received, 5000ms);
    ASSERT_EQ(dump.size(), 252u);
    const auto factory = FactoryPresetDump(0, 0, false);
    EXPECT_TRUE(std::equal(dump.begin(), dump.end(), factory.begin()));

    Bytes tableRequest{0xF0, 0x1A, 0x00, 0x12, 0x53, 0xF7};
    out.sendMessage(&tableRequest);
    const Bytes table = WaitForSysex(received, 5000ms);
    ASSERT_EQ(table.size(), 406u);
    EXPECT_EQ(table[4], 0x13);
    EXPECT_EQ(table[5 + 2 * 150], 150 - 128);
    EXPECT_EQ(table[6 + 2 * 150], 1);

    // Clients go before the server, so that nothing talks to a vanished server.
    inClient.reset();
    outClient.reset();
    EXPECT_EQ(unit.Stop(), 0) << "the unit ends cleanly on SIGTERM";
    jack.Stop();
    fs::remove_all(dir);
}

} // namespace
