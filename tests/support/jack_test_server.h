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
#include <string>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// A child process that is ended (TERM, then KILL) whatever way the test leaves;
// killed too when the test process dies without a word (a time-out), so that no
// server outlives its test under a name the next test takes.
class TChildProcess {
public:
    // Output and errors go to logPath (appended).
    TChildProcess(const std::vector<std::string>& args, const std::string& logPath = "/dev/null") {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) { // only async-signal-safe calls until exec
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(127);
            const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (log >= 0) {
                dup2(log, 1);
                dup2(log, 2);
            }
            execve(argv[0], argv.data(), environ);
            _exit(127);
        }
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

// A jackd with the dummy driver, made the default server of this process while
// it lives; stopped in every path. Its name is the first of a few (prefix-0,
// prefix-1, ...) whose lock file no other test holds: a server that died without
// a word leaves its name in JACK's registry of servers, which holds eight, and
// only a server of the same name takes the place back; and a second jackd of a
// name in use would take the first one's socket.
class TPrivateJackServer {
public:
    static constexpr const char* kJackd = "/usr/bin/jackd";
    static constexpr int kNames = 4;

    explicit TPrivateJackServer(std::string prefix, std::string logPath = "/dev/null")
        : prefix_(std::move(prefix)), logPath_(std::move(logPath)) {
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        if (access(kJackd, X_OK) != 0)
            failure_ = "jackd is not installed (Debian package jackd2)";
    }
    TPrivateJackServer(const TPrivateJackServer&) = delete;
    TPrivateJackServer& operator=(const TPrivateJackServer&) = delete;
    ~TPrivateJackServer() {
        jackd_.reset(); // the name stays this process's until the server is gone
        serverName_.reset();
        if (lock_ >= 0)
            close(lock_);
    }

    // Starts the server and waits until a client can connect; false (with a
    // reason) when it never does.
    bool WaitUntilUp() {
        if (!failure_.empty())
            return false;
        for (int i = 0; i < kNames; ++i) {
            name_ = prefix_ + "-" + std::to_string(i);
            if (!LockName())
                continue;
            serverName_.reset();
            serverName_ = std::make_unique<TJackServerName>(name_);
            if (Answers())
                continue; // a server left behind by a test that died: not ours
            // A long period and client time-out: on a busy machine clients miss
            // short cycles and jackd would drop them (and their MIDI) for good.
            jackd_ = std::make_unique<TChildProcess>(
                std::vector<std::string>{kJackd, "--no-realtime", "-t", "10000", "-n", name_, "-d",
                                         "dummy", "-r", "48000", "-p", "2048"},
                logPath_);
            if (!jackd_->Started()) {
                failure_ = "jackd could not be started";
                return false;
            }
            if (WaitForClients())
                return true;
            if (!failure_.empty())
                return false;
        }
        failure_ = "jackd exited at start under each of the names " + prefix_ + "-0 to -" +
                   std::to_string(kNames - 1) + " (in use, no usable shared memory or driver?)";
        return false;
    }
    const std::string& Failure() const { return failure_; }
    const std::string& Name() const { return name_; }
    pid_t Pid() const { return jackd_ ? jackd_->Pid() : -1; }
    // Ends the server now (its clients lose their ports).
    void Stop() {
        if (jackd_)
            jackd_->Stop();
    }

private:
    // Takes name_ for this process (the lock ends with it, however it ends).
    bool LockName() {
        if (lock_ >= 0)
            close(lock_);
        const std::string path = "/tmp/" + name_ + "-" + std::to_string(getuid()) + ".lock";
        lock_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock_ >= 0 && flock(lock_, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (lock_ >= 0)
            close(lock_);
        lock_ = -1;
        return false;
    }

    // Whether a client can connect to the server of the name in use.
    static bool Answers() {
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
            return !failed;
        } catch (const RtMidiError&) {
            return false;
        }
    }

    // True when a client connects; false with no failure when jackd exited (the
    // name is taken: the next one is tried).
    bool WaitForClients() {
        using namespace std::chrono_literals;
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!jackd_->Running())
                return false;
            if (Answers())
                return true;
            std::this_thread::sleep_for(200ms);
        }
        failure_ = "jackd did not accept clients within 15 s";
        return false;
    }

    std::string prefix_;
    std::string logPath_;
    std::string name_;
    std::unique_ptr<TJackServerName> serverName_; // outlives the server process
    std::unique_ptr<TChildProcess> jackd_;
    std::string failure_;
    int lock_ = -1;
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
