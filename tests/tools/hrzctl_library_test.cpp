// hrzctl library add / search / history / duplicates: texts, JSON and exit codes.
#include "library/preset_library.h"
#include "tests/library/library_test_support.h"
#include "tools/hrzctl/hrzctl.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sstream>

using namespace LibraryTest;
namespace fs = std::filesystem;

namespace {

struct TResult {
    int Status;
    std::string Out, Err;
};

class HrzctlLibrary : public ::testing::Test {
protected:
    void SetUp() override { setenv("HRZ2000E_LIBRARY", scratch.Db().c_str(), 1); }
    void TearDown() override { unsetenv("HRZ2000E_LIBRARY"); }
    TResult Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        TConsole console{out, err};
        const int status = RunHrzctl(args, console);
        return {status, out.str(), err.str()};
    }
    TScratch scratch;
};

TEST_F(HrzctlLibrary, AddSearchAndDuplicatesAsTextAndJson) {
    const fs::path root = scratch.Path() / "backup";
    // Reverb 1 Decay (P43) 25 = 5.5s in group 33.
    WriteFile(root / "Bank A" / "Plate.hrz001", Bytes(MakeDump("Plate", 33, {}, {{43, 25}})));
    WriteFile(root / "Bank A" / "Plate copy.hrz002",
              Bytes(MakeDump("Plate copy", 33, {}, {{43, 25}})));
    WriteFile(root / "Bank B" / "Dry.hrz001", Bytes(MakeDump("Dry")));
    WriteFile(root / "broken.syx", {0xF0, 0x1A, 0x00, 0x12, 0x05, 0x01, 0x02});

    auto r = Run({"library", "add", root.string()});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out, "skipped   " + (root / "broken.syx").string() +
                         ": preset dump cut short (7 of 252 bytes)\n"
                         "4 files (4 read, 0 unchanged, 1 skipped): 3 presets, 3 new; the library "
                         "holds 3\n");

    r = Run({"library", "search", "Reverb Decay > 5 s"});
    EXPECT_EQ(r.Status, 0);
    // In the order they came in: the files sorted by name.
    EXPECT_EQ(
        r.Out,
        "#1      Plate copy        group 33  Reverb 1, Tapped DDL L, Low Pass  [A-002; 1 file]\n"
        "#2      Plate             group 33  Reverb 1, Tapped DDL L, Low Pass  [A-001; 1 file]\n"
        "2 presets found\n");
    r = Run({"--json", "library", "search", "dry"});
    const auto j = nlohmann::json::parse(r.Out);
    EXPECT_EQ(j["count"], 1);
    EXPECT_EQ(j["presets"][0]["title"], "Dry");
    EXPECT_EQ(j["presets"][0]["locations"], "B-001; 1 file");

    r = Run({"library", "duplicates"});
    EXPECT_EQ(r.Out.substr(0, r.Out.find('\n')), "Same sound, 2 titles:");
    EXPECT_NE(r.Out.find("\n1 sound kept under more than one title\n"), std::string::npos);
    r = Run({"library", "duplicates", "--json"});
    EXPECT_EQ(nlohmann::json::parse(r.Out)["groups"][0].size(), 2u);

    r = Run({"library", "add", root.string(), "--json"});
    const auto again = nlohmann::json::parse(r.Out);
    EXPECT_EQ(again["unchanged"], 4);
    EXPECT_EQ(again["skipped"][0]["reason"], "preset dump cut short (7 of 252 bytes)");
}

TEST_F(HrzctlLibrary, HistoryOfALocation) {
    {
        TPresetLibrary lib(scratch.Db());
        lib.SetClock([] { return 1765000000; });
        lib.RecordFromUnit(MakeDump("Old"), "backup run", 0, 42);
        lib.SetClock([] { return 1765100000; });
        lib.RecordFromUnit(MakeDump("New"), "current preset", 0, 42);
    }
    auto r = Run({"library", "history", "A-042", "--json"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const auto j = nlohmann::json::parse(r.Out);
    EXPECT_EQ(j["location"], "A-042");
    EXPECT_EQ(j["bank"], "A");
    ASSERT_EQ(j["history"].size(), 2u);
    EXPECT_EQ(j["history"][0]["time"], "2025-12-06T05:46:40Z");
    EXPECT_EQ(j["history"][1]["title"], "New");
    EXPECT_EQ(j["history"][1]["source"], "current preset");
    r = Run({"library", "history", "b7"});
    EXPECT_EQ(r.Out, "B-007\n  nothing recorded from the unit at this location\n");
}

TEST_F(HrzctlLibrary, BadUseSaysWhy) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"library", "search", "Reverb Decay >"},
         "hrzctl: Query error at column 14: \">\" needs a value after it (a number such as 5 s or "
         "50%, or a choice)\n"},
        {{"library", "find", "x"},
         "hrzctl: library knows add, search, history and duplicates, not find\n"},
        {{"library", "history", "E-001"},
         "hrzctl: library history needs one location: A-001 .. D-200 (001 .. 200 for a "
         "Pre-Express unit)\n"},
        {{"library", "history", "42"},
         "hrzctl: location 42 needs its bank (A-42), or --pre-express for the single-bank unit\n"},
        {{"library", "add"}, "hrzctl: library add needs a file or folder\n"},
        {{"library", "duplicates", "x"}, "hrzctl: library duplicates takes no further arguments\n"},
    };
    for (const auto& [args, err] : cases) {
        const auto r = Run(args);
        EXPECT_EQ(r.Status, 2) << args[1];
        EXPECT_EQ(r.Err, err);
        EXPECT_EQ(r.Out, "");
    }
    {
        TPresetLibrary lib(scratch.Db());
        lib.RecordFromUnit(MakeDump("Older unit"), "backup run", -1, 42); // the single bank
        lib.RecordFromUnit(MakeDump("Bank B"), "backup run", 1, 42);
    }
    const auto r = Run({"--pre-express", "library", "history", "42"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.substr(0, 4), "042\n");
    EXPECT_NE(r.Out.find("Older unit        #1  (backup run)\n"), std::string::npos) << r.Out;
    EXPECT_EQ(r.Out.find("Bank B"), std::string::npos) << r.Out;
}

} // namespace
