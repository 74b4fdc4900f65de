#pragma once
// A private PipeWire session for the tests: its own runtime folder and session
// bus, the pipewire daemon and wireplumber, so that programs run under pw-jack
// find PipeWire's JACK and nothing of the machine's. Everything it started ends
// with it. When PipeWire cannot start here, Failure() says why.
#include "tests/support/jack_test_server.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

class TPrivatePipeWire {
public:
    static constexpr const char* kPwJack = "/usr/bin/pw-jack";

    explicit TPrivatePipeWire(const std::filesystem::path& dir) : dir_(dir) {
        namespace fs = std::filesystem;
        for (const char* program :
             {"/usr/bin/dbus-daemon", "/usr/bin/pipewire", "/usr/bin/wireplumber", kPwJack})
            if (access(program, X_OK) != 0) {
                failure_ = std::string(program) +
                           " is not installed (Debian packages dbus, pipewire, pipewire-jack, "
                           "wireplumber)";
                return;
            }
        runtime_ = dir_ / "runtime";
        fs::create_directories(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
        Set("XDG_RUNTIME_DIR", runtime_.string());
        Set("PIPEWIRE_RUNTIME_DIR", runtime_.string());
        Unset("PIPEWIRE_REMOTE");
        Unset("JACK_DEFAULT_SERVER");
        if (!StartBus())
            return;
        pipewire_ = std::make_unique<TChildProcess>(std::vector<std::string>{"/usr/bin/pipewire"},
                                                    (dir_ / "pipewire.log").string());
        // The session manager links nothing the tests need, but PipeWire's JACK
        // waits for the graph it sets up.
        wireplumber_ = std::make_unique<TChildProcess>(
            std::vector<std::string>{"/usr/bin/wireplumber"}, (dir_ / "wireplumber.log").string());
    }
    ~TPrivatePipeWire() {
        wireplumber_.reset();
        pipewire_.reset();
        if (busPid_ > 0)
            kill(busPid_, SIGTERM);
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->Had)
                setenv(it->Name.c_str(), it->Value.c_str(), 1);
            else
                unsetenv(it->Name.c_str());
        }
    }
    TPrivatePipeWire(const TPrivatePipeWire&) = delete;
    TPrivatePipeWire& operator=(const TPrivatePipeWire&) = delete;

    // Waits until PipeWire listens; false (with a reason) when it never does.
    bool WaitUntilUp() {
        using namespace std::chrono_literals;
        if (!failure_.empty())
            return false;
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!pipewire_->Running()) {
                failure_ = "pipewire exited at start: " + Tail(dir_ / "pipewire.log");
                return false;
            }
            std::error_code ec;
            if (std::filesystem::exists(runtime_ / "pipewire-0", ec)) {
                std::this_thread::sleep_for(500ms); // wireplumber sets up the graph
                if (!wireplumber_->Running()) {
                    failure_ = "wireplumber exited at start: " + Tail(dir_ / "wireplumber.log");
                    return false;
                }
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        failure_ = "pipewire did not listen within 15 s: " + Tail(dir_ / "pipewire.log");
        return false;
    }
    const std::string& Failure() const { return failure_; }

    static std::string Tail(const std::filesystem::path& log) {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        const std::string all = text.str();
        return all.size() > 600 ? all.substr(all.size() - 600) : all;
    }

private:
    struct TSaved {
        std::string Name, Value;
        bool Had;
    };
    void Save(const char* name) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? old : "", old != nullptr});
    }
    void Set(const char* name, const std::string& value) {
        Save(name);
        setenv(name, value.c_str(), 1);
    }
    void Unset(const char* name) {
        Save(name);
        unsetenv(name);
    }

    // dbus-daemon forks into the background and prints its address and pid.
    bool StartBus() {
        using namespace std::chrono_literals;
        const auto log = dir_ / "dbus.txt";
        TChildProcess launcher(
            {"/usr/bin/dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"},
            log.string());
        for (int i = 0; i < 100 && launcher.Running(); ++i)
            std::this_thread::sleep_for(50ms);
        std::ifstream in(log);
        std::string address;
        std::getline(in, address);
        in >> busPid_;
        if (address.empty() || busPid_ <= 0) {
            failure_ = "no session bus: dbus-daemon said " + Tail(log);
            busPid_ = -1;
            return false;
        }
        Set("DBUS_SESSION_BUS_ADDRESS", address);
        return true;
    }

    std::filesystem::path dir_, runtime_;
    std::vector<TSaved> saved_;
    pid_t busPid_ = -1;
    std::unique_ptr<TChildProcess> pipewire_, wireplumber_;
    std::string failure_;
};
