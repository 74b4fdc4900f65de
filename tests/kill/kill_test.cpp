// SIGKILL during saves: whatever moment a save is killed at, the file holds the
// old content or the new one, byte for byte, and the next start of a program
// that saves there leaves no temporary file behind.
#include "model/stream.h"
#include "tests/support/killable_child.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// By hand, HRZ_KILL_ROUNDS=600 kills more often.
int Rounds() {
    return KillRounds(25);
}

using TChild = TKillableChild;

class KillDuringSaves : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hrz_kill_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static Bytes Read(const fs::path& path) {
        try {
            return ReadWholeFile(path.string());
        } catch (const EHrzError&) {
            return {};
        }
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.insert(entry.path().filename().string());
        return names;
    }
    // Temporary files of a save: ours, and Qt's for the settings ("x.ini.AbC123").
    static bool IsTempName(const std::string& name) {
        const auto dot = name.rfind('.');
        return IsAtomicSaveTempName(name) ||
               (name.find(".ini.") != std::string::npos && name.size() - dot == 7 &&
                name.substr(dot) != ".damaged");
    }
    // Runs `save` (a complete save of content A or B) to learn both contents, then
    // kills `saving` (endless saves) at random moments; the target is always A or B.
    void Run(const fs::path& target, const std::function<int(bool)>& save,
             const std::function<std::unique_ptr<TChild>()>& saving, int maxDelayMs) {
        ASSERT_EQ(save(true), 0);
        const Bytes b = Read(target);
        ASSERT_EQ(save(false), 0);
        const Bytes a = Read(target);
        ASSERT_FALSE(a.empty());
        ASSERT_NE(a, b);
        std::mt19937 random(static_cast<unsigned>(getpid()));
        int sawA = 0, sawB = 0;
        for (int round = 0; round < Rounds(); ++round) {
            auto child = saving();
            std::this_thread::sleep_for(std::chrono::microseconds(
                std::uniform_int_distribution<int>(0, maxDelayMs * 1000)(random)));
            child->Kill();
            const Bytes now = Read(target);
            ASSERT_TRUE(now == a || now == b)
                << "round " << round << ": a file of " << now.size() << " bytes is neither the "
                << a.size() << "-byte old content nor the " << b.size() << "-byte new one";
            (now == a ? sawA : sawB)++;
        }
        int leftovers = 0;
        for (const auto& name : Names())
            leftovers += IsTempName(name) ? 1 : 0;
        // The next start (every save is a program of its own here) clears
        // what the killed ones left, however recent.
        ASSERT_EQ(save(false), 0) << "the next start";
        EXPECT_EQ(Read(target), a);
        for (const auto& name : Names())
            EXPECT_FALSE(IsTempName(name)) << name << " left behind";
        RecordProperty("old_content_seen", sawA);
        RecordProperty("new_content_seen", sawB);
        RecordProperty("temporary_files_before_the_next_start", leftovers);
        std::printf("%d kills: old content %d, new content %d, %d temporary files left until "
                    "the next start, none after it\n",
                    Rounds(), sawA, sawB, leftovers);
    }

    fs::path dir_;
};

std::function<int(bool)> Once(const std::string& mode, const fs::path& target) {
    return [=](bool second) {
        TChild child({HRZ_SAVE_CHILD, mode, target.string(), second ? "once-b" : "once"});
        return child.Wait();
    };
}

std::function<std::unique_ptr<TChild>()> Saving(const std::string& mode, const fs::path& target) {
    return [=] {
        auto child = std::make_unique<TChild>(
            std::vector<std::string>{HRZ_SAVE_CHILD, mode, target.string()});
        EXPECT_TRUE(child->WaitForReady());
        return child;
    };
}

TEST_F(KillDuringSaves, UnitMemory) {
    const fs::path target = dir_ / "unit.state";
    Run(target, Once("unit", target), Saving("unit", target), 20);
    EXPECT_EQ(Names(), (std::set<std::string>{"unit.state"}));
}

TEST_F(KillDuringSaves, Settings) {
    const fs::path target = dir_ / "HRZ2000e.ini";
    Run(target, Once("settings", target), Saving("settings", target), 20);
    EXPECT_EQ(Names(), (std::set<std::string>{"HRZ2000e.ini"}));
}

TEST_F(KillDuringSaves, MessageBuffer) {
    const fs::path target = dir_ / "buffer.syx";
    Run(target, Once("buffer", target), Saving("buffer", target), 20);
    auto names = Names();
    names.erase("buffer.syx.ini"); // the workbench's own settings
    EXPECT_EQ(names, (std::set<std::string>{"buffer.syx"}));
}

TEST_F(KillDuringSaves, HrzctlJoin) {
    const fs::path one = dir_ / "one.syx", two = dir_ / "two.syx", target = dir_ / "joined.syx";
    Bytes first(250000, 0x11), second(100000, 0x22);
    first.front() = second.front() = 0xF0;
    first.back() = second.back() = 0xF7;
    WriteFileAtomically(one.string(), first.data(), first.size());
    WriteFileAtomically(two.string(), second.data(), second.size());
    const auto args = [&](bool swapped) {
        return std::vector<std::string>{HRZCTL_PROGRAM,
                                        "join",
                                        (swapped ? two : one).string(),
                                        (swapped ? one : two).string(),
                                        "-o",
                                        target.string()};
    };
    bool swapped = false;
    Run(
        target, [&](bool b) { return TChild(args(b)).Wait(); },
        [&] {
            swapped = !swapped;
            return std::make_unique<TChild>(args(swapped));
        },
        40);
    EXPECT_EQ(Names(), (std::set<std::string>{"one.syx", "two.syx", "joined.syx"}));
}

} // namespace
