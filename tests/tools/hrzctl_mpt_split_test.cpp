#include "model/preset_files.h"
#include "tests/tools/hrzctl_test_support.h"
#include "unit/factory_presets.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

TEST(HrzctlMpt, GridLooksLikeTheEditor) {
    TTempDir dir;
    auto table = TableDump();
    table[5 + 2 * 12] = 0x16; // program change 13 -> preset 151
    table[6 + 2 * 12] = 0x01;
    WriteBytes(dir.File("t.mpt"), table);
    const auto r = RunTool({"mpt", dir.File("t.mpt")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "== " + dir.File("t.mpt") + " ==");
    EXPECT_EQ(lines[1], "Prog Chg #   1   2   3   4   5   6   7   8   9  10");
    EXPECT_EQ(lines[2], "1-10       001 002 003 004 005 006 007 008 009 010");
    EXPECT_EQ(lines[3], "11-20      011 012 151 014 015 016 017 018 019 020");
    EXPECT_EQ(lines[21], "191-200    191 192 193 194 195 196 197 198 199 200");

    const auto offsets = RunTool({"mpt", "--offsets", dir.File("t.mpt")});
    EXPECT_EQ(Lines(offsets.Out)[2].substr(0, 14), "0 +        001");
    EXPECT_EQ(Lines(offsets.Out)[21].substr(0, 14), "190 +      191");
    // The help shows the first row labels as the grid prints them.
    const std::string label0 = Lines(offsets.Out)[2].substr(0, 3);
    const std::string label1 = Lines(offsets.Out)[3].substr(0, 4);
    EXPECT_NE(RunTool({"--help"}).Out.find("(" + label0 + ", " + label1 + ", ...)"),
              std::string::npos);

    const auto list = Lines(RunTool({"mpt", "--list", dir.File("t.mpt")}).Out);
    ASSERT_EQ(list.size(), 202u);
    EXPECT_EQ(list[1], "Prog Chg #  Preset");
    EXPECT_EQ(list[2], "         1  001");
    EXPECT_EQ(list[14], "        13  151");
    EXPECT_EQ(list[201], "       200  200");

    // Two tables in one file: each under a heading of its own.
    auto two = table;
    two.insert(two.end(), table.begin(), table.end());
    WriteBytes(dir.File("two.mpt"), two);
    const auto both = Lines(RunTool({"mpt", dir.File("two.mpt")}).Out);
    ASSERT_EQ(both.size(), 45u);
    EXPECT_EQ(both[0], "== " + dir.File("two.mpt") + ", table 1 of 2 ==");
    EXPECT_EQ(both[22], "");
    EXPECT_EQ(both[23], "== " + dir.File("two.mpt") + ", table 2 of 2 ==");
    EXPECT_EQ(both[26], lines[3]);
}

TEST(HrzctlMpt, OlderModelHasThirteenRowsAndNeedsItsSwitch) {
    TTempDir dir;
    WriteBytes(dir.File("old.mpt"), TableDump(true));
    const auto r = RunTool({"mpt", "--pre-express", dir.File("old.mpt")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[14], "121-130    121 122 123 124 125 126 127 128");

    const auto without = RunTool({"mpt", dir.File("old.mpt")});
    EXPECT_EQ(without.Status, 2);
    EXPECT_NE(without.Err.find("holds a Pre-Express program table; add --pre-express"),
              std::string::npos);

    const auto json = RunTool({"mpt", "--json", "--pre-express", dir.File("old.mpt")});
    const auto table = ParseJson(json.Out).object()["tables"].toArray()[0].toObject();
    EXPECT_EQ(table["model"].toString(), "Pre-Express");
    EXPECT_EQ(table["command"].toInt(), 0x0C);
    const auto presets = table["presets"].toArray();
    ASSERT_EQ(presets.size(), 128);
    EXPECT_EQ(presets[127].toInt(), 128);
}

TEST(HrzctlMpt, FilesWithoutATableAreRefused) {
    TTempDir dir;
    WriteBytes(dir.File("p.hrz"), DumpOf(FactoryPreset(0, 0)));
    const auto r = RunTool({"mpt", dir.File("p.hrz")});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find(dir.File("p.hrz") + ": no program table in this file"), std::string::npos);
    Bytes cut = TableDump();
    cut.resize(300);
    WriteBytes(dir.File("cut.mpt"), cut);
    EXPECT_EQ(RunTool({"mpt", dir.File("cut.mpt")}).Status, 2);
}

TEST(HrzctlSplit, SplitThenJoinGivesBackTheRecordedBytes) {
    TTempDir dir;
    const Bytes bulk = BulkDump(1);
    WriteBytes(dir.File("bankB.syx"), bulk);
    const std::string out = dir.File("presets");
    const auto split = RunTool({"split", dir.File("bankB.syx"), out});
    ASSERT_EQ(split.Status, 0) << split.Err;
    EXPECT_EQ(split.Err, "");
    const auto written = Lines(split.Out);
    ASSERT_EQ(written.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        const std::string expected = (std::filesystem::path(out) /
                                      PresetFileName(FactoryPresetTitle(1, i), i + 1, "Untitled"))
                                         .string();
        ASSERT_EQ(written[static_cast<std::size_t>(i)], expected);
        ASSERT_EQ(ReadBytes(expected), Bytes(bulk.begin() + 252 * i, bulk.begin() + 252 * (i + 1)));
    }

    // Shell globs list the files by title; --sort puts them back in preset order.
    std::vector<std::string> shuffled = written;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    std::vector<std::string> args{"join", "--sort"};
    args.insert(args.end(), shuffled.begin(), shuffled.end());
    const auto joined = RunTool(args);
    ASSERT_EQ(joined.Status, 0) << joined.Err;
    EXPECT_TRUE(joined.Out == std::string(bulk.begin(), bulk.end()));

    args.push_back("-o");
    args.push_back(dir.File("again.syx"));
    ASSERT_EQ(RunTool(args).Status, 0);
    EXPECT_EQ(ReadBytes(dir.File("again.syx")), bulk);
}

TEST(HrzctlSplit, FileNamesAreTheBackupNames) {
    EXPECT_EQ(PresetFileName("Clean", 5, "Untitled"), "Clean.hrz005");
    EXPECT_EQ(PresetFileName("A:B*C?", 1, "Untitled"), "A B C .hrz001");
    EXPECT_EQ(PresetFileName("AC/DC \"Live\"", 42, "Untitled"), "AC-DC 'Live'.hrz042");
    EXPECT_EQ(PresetFileName("", 7, "No name"), "No name.hrz007");
    EXPECT_EQ(PresetFileName("Tab\there", 1000, "U"), "Tab here.hrz1000");
    EXPECT_EQ(PresetFileName("Caf\xE9", 2, "U"), "Caf\xC3\xA9.hrz002");

    EXPECT_EQ(PresetFileNumber("some/dir/Clean.hrz042"), 42);
    EXPECT_EQ(PresetFileNumber("Lead.hrz"), -1);
    EXPECT_EQ(PresetFileNumber("Lead.hrz042.bak"), -1);
    EXPECT_EQ(PresetFileNumber("Lead.hrz4x"), -1);
    EXPECT_EQ(SortedByPresetNumber({"b.syx", "Z.hrz010", "a.hrz002", "c.syx"}),
              (std::vector<std::string>{"a.hrz002", "Z.hrz010", "b.syx", "c.syx"}));
}

TEST(HrzctlSplit, OtherMessagesAreSkippedAndUntitledPresetsNamed) {
    TTempDir dir;
    TPreset untitled;
    untitled.Title = "";
    Bytes bytes = TableDump();
    const auto a = DumpOf(untitled);
    const auto b = DumpOf(FactoryPreset(0, 3));
    bytes.insert(bytes.end(), a.begin(), a.end());
    bytes.insert(bytes.end(), b.begin(), b.end());
    WriteBytes(dir.File("mixed.syx"), bytes);
    const auto r = RunTool({"split", "--untitled", "Blank", dir.File("mixed.syx"), dir.File("o")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Err.find("offset 0: skipped program table"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("o/Blank.hrz001")), a);
    EXPECT_EQ(
        ReadBytes((dir.Path() / "o" / PresetFileName(FactoryPresetTitle(0, 3), 2, "U")).string()),
        b);

    WriteBytes(dir.File("table.mpt"), TableDump());
    EXPECT_EQ(RunTool({"split", dir.File("table.mpt"), dir.File("o2")}).Status, 2);
    WriteBytes(dir.File("plain"), {1, 2, 3});
    const auto intoFile = RunTool({"split", dir.File("mixed.syx"), dir.File("plain")});
    EXPECT_EQ(intoFile.Status, 2);
    EXPECT_NE(intoFile.Err.find("cannot create the folder"), std::string::npos);
}

TEST(HrzctlSplit, BytesJoinWouldRefuseAreRefusedAlikeAndNothingIsWritten) {
    TTempDir dir;
    Bytes bulk = BulkDump(0);
    const std::size_t at = 252 * 4 + 121; // title character 1 of the fifth preset
    bulk[at] = 0xE9;
    WriteBytes(dir.File("bank.syx"), bulk);
    const auto split = RunTool({"split", dir.File("bank.syx"), dir.File("out")});
    EXPECT_EQ(split.Status, 2);
    const std::string said = dir.File("bank.syx") + ": offset " + std::to_string(at) +
                             ": data byte 0xE9 is not below 0x80 (run hrzctl check for details)";
    EXPECT_NE(split.Err.find(said), std::string::npos) << split.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));

    const auto join = RunTool({"join", dir.File("bank.syx"), "-o", dir.File("joined.syx")});
    EXPECT_EQ(join.Status, 2);
    EXPECT_NE(join.Err.find(said), std::string::npos) << join.Err;
}

TEST(HrzctlJoin, RefusesTerminalsAndDamagedInputWithoutWritingAnything) {
    TTempDir dir;
    WriteBytes(dir.File("a.hrz"), DumpOf(FactoryPreset(0, 0)));
    const auto terminal = RunTool({"join", dir.File("a.hrz")}, true);
    EXPECT_EQ(terminal.Status, 2);
    EXPECT_EQ(terminal.Out, "");
    EXPECT_NE(terminal.Err.find("redirect it to a file or use -o FILE"), std::string::npos);

    Bytes damaged = DumpOf(FactoryPreset(0, 1));
    damaged.pop_back();
    WriteBytes(dir.File("b.hrz"), damaged);
    WriteBytes(dir.File("out.syx"), {0xF0, 0xF7});
    const auto r =
        RunTool({"join", dir.File("a.hrz"), dir.File("b.hrz"), "-o", dir.File("out.syx")});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find(dir.File("b.hrz") + ": offset 0: message has no end byte (F7)"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("out.syx")), (Bytes{0xF0, 0xF7}));
    const auto toStdout = RunTool({"join", dir.File("a.hrz"), dir.File("b.hrz")});
    EXPECT_EQ(toStdout.Status, 2);
    EXPECT_EQ(toStdout.Out, "");
}
