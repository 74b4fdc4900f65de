// SIGKILL while the library is written: whatever the moment, the file opens as it
// is (no damage), passes SQLite's full integrity check and holds every change the
// writer had reported committed.
#include "library/preset_library.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;
using namespace LibraryTest;
namespace fs = std::filesystem;

namespace {

// Kills per kind of writing; HRZ_KILL_ROUNDS asks for another number.
int Rounds() {
    const char* env = std::getenv("HRZ_KILL_ROUNDS");
    return env ? std::max(1, std::atoi(env)) : 100;
}

class TWriter {
public:
    explicit TWriter(const std::vector<std::string>& args) {
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
    ~TWriter() {
        KillAndRead();
        close(out_);
    }
    bool WaitForReady() {
        std::string line;
        char c;
        while (read(out_, &c, 1) == 1) {
            if (c == '\n')
                return line == "ready";
            line += c;
        }
        return false;
    }
    // Everything the writer said before it died.
    std::string KillAndRead() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        std::string said;
        char buffer[4096];
        ssize_t got;
        while ((got = read(out_, buffer, sizeof buffer)) > 0)
            said.append(buffer, static_cast<std::size_t>(got));
        return said;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// The last number after "word " in what the writer said, -1 if none.
long LastReported(const std::string& said, const std::string& word) {
    std::istringstream in(said);
    std::string w;
    long n, last = -1;
    while (in >> w >> n)
        if (w == word)
            last = n;
    return last;
}

void ExpectSound(const std::string& db, int round) {
    std::string notice;
    TPresetLibrary lib(db, &notice);
    ASSERT_EQ(notice, "") << "round " << round;
    ASSERT_EQ(lib.IntegrityCheck(), "ok") << "round " << round;
}

TEST(LibraryKill, DuringAddsEveryCompletedAddIsKept) {
    TScratch scratch;
    constexpr int Folders = 6, FilesPerFolder = 400;
    std::vector<std::string> args = {HRZ_LIBRARY_CHILD, scratch.Db(), "add"};
    for (int f = 0; f < Folders; ++f) {
        const fs::path folder = scratch.Path() / ("F" + std::to_string(f));
        for (int i = 0; i < FilesPerFolder; ++i)
            WriteFile(folder / ("p" + std::to_string(i) + ".hrz"),
                      Bytes(MakeDump("F" + std::to_string(f) + " " + std::to_string(i))));
        args.push_back(folder.string());
    }
    std::mt19937 random(static_cast<unsigned>(getpid()));
    int killedMidway = 0;
    for (int round = 0; round < Rounds(); ++round) {
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(scratch.Db() + suffix);
        TWriter writer(args);
        ASSERT_TRUE(writer.WaitForReady());
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 400000)(random)));
        const long added = LastReported(writer.KillAndRead(), "added");
        killedMidway += added < Folders - 1;
        ExpectSound(scratch.Db(), round);
        TPresetLibrary lib(scratch.Db());
        for (long f = 0; f <= added; ++f)
            ASSERT_EQ(lib.Search("\"F" + std::to_string(f) + " \"").size(),
                      static_cast<std::size_t>(FilesPerFolder))
                << "round " << round << ", folder " << f;
    }
    RecordProperty("killed_before_the_last_folder", killedMidway);
}

TEST(LibraryKill, DuringRecordingEveryRecordedPresetIsKept) {
    TScratch scratch;
    std::mt19937 random(static_cast<unsigned>(getpid()) + 1);
    for (int round = 0; round < Rounds(); ++round) {
        std::int64_t before;
        {
            TPresetLibrary lib(scratch.Db());
            before = lib.Db().QueryInt("SELECT count(*) FROM unit_history");
        }
        TWriter writer({HRZ_LIBRARY_CHILD, scratch.Db(), "record"});
        ASSERT_TRUE(writer.WaitForReady());
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 100000)(random)));
        const long recorded = LastReported(writer.KillAndRead(), "recorded");
        ExpectSound(scratch.Db(), round);
        TPresetLibrary lib(scratch.Db());
        // Every record this run reported is there, beside those of the runs before.
        EXPECT_GE(lib.Db().QueryInt("SELECT count(*) FROM unit_history"), before + recorded + 1)
            << "round " << round;
    }
}

} // namespace
