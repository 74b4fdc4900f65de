// SIGKILL while the library is written: whatever the moment, the file opens as it
// is (no damage), passes SQLite's full integrity check and holds every change the
// writer had reported committed.
#include "library/preset_library.h"
#include "library_test_support.h"
#include "tests/support/killable_child.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

using namespace LibraryTest;
namespace fs = std::filesystem;

namespace {

int Rounds() {
    return KillRounds(100);
}

using TWriter = TKillableChild;

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
