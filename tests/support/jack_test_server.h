#pragma once
// Support for the tests over a real transport: child processes that end with
// the test, a private JACK server under its own name, and device lookup.
#include "midi/midi_platform.h"
#include "midi/quiet_stderr.h"

#include <RtMidi.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// A child process that is ended (TERM, then KILL) whatever way the test leaves.
class TChildProcess {
public:
    // Output and errors go to logPath (appended).
    TChildProcess(const std::vector<std::string>& args, const std::string& logPath = "/dev/null") {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TChildProcess() { Stop(); }
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    bool Started() const { return pid_ > 0 || exitStatus_ != kNotStarted; }
    pid_t Pid() const { return pid_; }
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
        using namespace std::chrono_literals;
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
    static constexpr int kNotStarted = -2;
    pid_t pid_ = -1;
    int exitStatus_ = kNotStarted;
};

// JACK clients of this process (and its children) find the given server.
class TJackServerName {
public:
    explicit TJackServerName(const std::string& name) {
        const char* old = std::getenv("JACK_DEFAULT_SERVER");
        had_ = old != nullptr;
        if (old)
            saved_ = old;
        setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    }
    ~TJackServerName() {
        if (had_)
            setenv("JACK_DEFAULT_SERVER", saved_.c_str(), 1);
        else
            unsetenv("JACK_DEFAULT_SERVER");
    }
    TJackServerName(const TJackServerName&) = delete;
    TJackServerName& operator=(const TJackServerName&) = delete;

private:
    std::string saved_;
    bool had_ = false;
};

// A jackd with the dummy driver under its own name, made the default server of
// this process while it lives; stopped in every path.
class TPrivateJackServer {
public:
    static constexpr const char* kJackd = "/usr/bin/jackd";

    explicit TPrivateJackServer(const std::string& name, const std::string& logPath = "/dev/null")
        : serverName_(name) {
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        if (access(kJackd, X_OK) != 0) {
            failure_ = "jackd is not installed (Debian package jackd2)";
            return;
        }
        // A long period and client time-out: on a busy machine clients miss short
        // cycles and jackd would drop them (and their MIDI) for good.
        jackd_ = std::make_unique<TChildProcess>(
            std::vector<std::string>{kJackd, "--no-realtime", "-t", "10000", "-n", name, "-d",
                                     "dummy", "-r", "48000", "-p", "2048"},
            logPath);
        if (!jackd_->Started())
            failure_ = "jackd could not be started";
    }
    TPrivateJackServer(const TPrivateJackServer&) = delete;
    TPrivateJackServer& operator=(const TPrivateJackServer&) = delete;

    // Waits until a client can connect; false (with a reason) when it never does.
    bool WaitUntilUp() {
        using namespace std::chrono_literals;
        if (!failure_.empty())
            return false;
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!jackd_->Running()) {
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
    // Ends the server now (its clients lose their ports).
    void Stop() {
        if (jackd_)
            jackd_->Stop();
    }

private:
    TJackServerName serverName_; // outlives the server process
    std::unique_ptr<TChildProcess> jackd_;
    std::string failure_;
};

// Name of the first device whose name contains part, or "".
inline std::string FindDeviceContaining(IMidiPlatform& platform, bool input,
                                        const std::string& part) {
    const std::uint32_t count = input ? platform.midiInGetNumDevs() : platform.midiOutGetNumDevs();
    for (std::uint32_t id = 0; id < count; ++id) {
        std::string name;
        if (input) {
            mm::MIDIINCAPS caps;
            platform.midiInGetDevCaps(id, caps);
            name = caps.szPname;
        } else {
            mm::MIDIOUTCAPS caps;
            platform.midiOutGetDevCaps(static_cast<int>(id), caps);
            name = caps.szPname;
        }
        if (name.find(part) != std::string::npos)
            return name;
    }
    return {};
}
