#pragma once
// A writer run as a child process with its output on a pipe, for the tests that
// kill writers at random moments: started, waited for until it says "ready",
// killed, and what it said read back.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

// Kills per kind of writing; HRZ_KILL_ROUNDS asks for another number.
inline int KillRounds(int byDefault) {
    const char* env = std::getenv("HRZ_KILL_ROUNDS");
    return env ? std::max(1, std::atoi(env)) : byDefault;
}

class TKillableChild {
public:
    explicit TKillableChild(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }
    ~TKillableChild() {
        Kill();
        if (out_ >= 0)
            close(out_);
    }
    TKillableChild(const TKillableChild&) = delete;
    TKillableChild& operator=(const TKillableChild&) = delete;

    bool WaitForReady() {
        std::string seen;
        char c;
        while (read(out_, &c, 1) == 1) {
            seen += c;
            if (seen.find("ready\n") != std::string::npos)
                return true;
        }
        return false;
    }
    void Kill() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // Everything the child said before it died.
    std::string KillAndRead() {
        Kill();
        std::string said;
        char buffer[4096];
        ssize_t got;
        while ((got = read(out_, buffer, sizeof buffer)) > 0)
            said.append(buffer, static_cast<std::size_t>(got));
        return said;
    }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};
