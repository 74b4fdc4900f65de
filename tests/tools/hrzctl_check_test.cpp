#include "model/digital_groups.h"
#include "tests/tools/hrzctl_test_support.h"
#include "tools/hrzctl/dump_check.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// Problems of a file holding these bytes, as "offset: text" lines.
std::vector<std::string> Problems(const Bytes& bytes, bool preExpress = false) {
    TTempDir dir;
    const std::string file = dir.File("x.syx");
    WriteBytes(file, bytes);
    std::vector<std::string> args{"check", file};
    if (preExpress)
        args.push_back("--pre-express");
    const auto r = RunTool(args);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = r.Out.find('\n'); end != std::string::npos; end = r.Out.find('\n', start)) {
        const std::string line = r.Out.substr(start, end - start);
        lines.push_back(line.substr(line.find(": offset ") + 9));
        start = end + 1;
    }
    EXPECT_EQ(r.Status, lines.empty() ? 0 : 1) << r.Err;
    return lines;
}

// A new preset as the editor first writes it: no performance entries in use.
Bytes GoodDump() {
    TPreset p;
    TDigitalSelection(p).LoadFromPreset();
    return DumpOf(p);
}

void SetPair(Bytes& d, std::size_t offset, int value) {
    d[offset] = static_cast<std::uint8_t>(value & 0x7F);
    d[offset + 1] = static_cast<std::uint8_t>(value >> 7);
}

} // namespace

TEST(HrzctlCheck, EverythingTheVirtualUnitWritesIsClean) {
    TTempDir dir;
    std::vector<std::string> args{"check"};
    for (int bank = 0; bank < 4; ++bank) {
        args.push_back(dir.File("bank" + std::to_string(bank) + ".syx"));
        WriteBytes(args.back(), BulkDump(bank));
    }
    args.push_back(dir.File("table.mpt"));
    WriteBytes(args.back(), TableDump());
    const auto r = RunTool(args);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "");

    const std::string older = dir.File("older.syx");
    auto bytes = BulkDump(0, true);
    const auto table = TableDump(true);
    bytes.insert(bytes.end(), table.begin(), table.end());
    WriteBytes(older, bytes);
    EXPECT_EQ(RunTool({"check", "--pre-express", older}).Status, 0);
}

TEST(HrzctlCheck, FramingProblems) {
    Bytes truncated = GoodDump();
    truncated.resize(200);
    EXPECT_EQ(
        Problems(truncated),
        (std::vector<std::string>{"0: message has no end byte (F7)",
                                  "0: preset dump is 200 bytes long (a preset dump has 252)"}));

    Bytes statusInside = GoodDump();
    statusInside[40] = 0x90;
    const auto lines = Problems(statusInside);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "40: data byte 0x90 is not below 0x80"),
              lines.end());

    Bytes stray = GoodDump();
    stray.push_back(0x0A);
    stray.push_back(0x0D);
    EXPECT_EQ(Problems(stray),
              (std::vector<std::string>{"252: 2 bytes outside any system-exclusive message"}));

    // Stray bytes up to half the file are listed; past half, it is no MIDI file.
    EXPECT_EQ(Problems({0xF0, 0x01, 0xF7, 'a', 'b', 'c'}),
              (std::vector<std::string>{"0: 3-byte message is too short for this unit",
                                        "3: 3 bytes outside any system-exclusive message"}));
    EXPECT_EQ(Problems({0xF0, 0x01, 0xF7, 'a', 'b', 'c', 'd'}),
              (std::vector<std::string>{"0: no system-exclusive data in this file (7 bytes "
                                        "without a preset dump or program table)"}));
    EXPECT_EQ(Problems({}), (std::vector<std::string>{"0: empty file"}));
    EXPECT_EQ(Problems({'h', 'i'}),
              (std::vector<std::string>{"0: no system-exclusive data in this file (2 bytes "
                                        "without a preset dump or program table)"}));
}

TEST(HrzctlCheck, HeaderAndMessageKinds) {
    Bytes otherDevice = GoodDump();
    otherDevice[1] = 0x41;
    EXPECT_EQ(Problems(otherDevice),
              (std::vector<std::string>{"1: not a message of this unit (header F0 41 00 12)"}));

    Bytes channel = GoodDump();
    channel[2] = 0x20;
    EXPECT_EQ(Problems(channel), (std::vector<std::string>{"2: channel byte 32 is above 15"}));

    const Bytes request{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};
    EXPECT_EQ(Problems(request),
              (std::vector<std::string>{
                  "4: 6-byte message with command 0x45 is neither a preset dump nor a "
                  "program table"}));

    EXPECT_EQ(
        Problems(TableDump(true)),
        (std::vector<std::string>{"4: a Pre-Express program table (check it with --pre-express)"}));
    EXPECT_EQ(Problems(TableDump(false), true),
              (std::vector<std::string>{"4: an Express program table (leave out --pre-express)"}));
}

TEST(HrzctlCheck, ValuesOutsideWhatTheEditorCanSet) {
    Bytes d = GoodDump();
    SetPair(d, 17 + 2 * 6, 40); // Compressor Drive: 0..31
    SetPair(d, 13, 60);         // group
    d[8] = 0x02;                // reserved FB7 byte
    d[124] = 0x01;              // title filler
    EXPECT_EQ(Problems(d),
              (std::vector<std::string>{"8: reserved bits set in byte 8 (0x02)",
                                        "13: digital group 60 is not valid (0..53)",
                                        "29: Compressor Drive: (P6) is 40, outside 0..31",
                                        "124: title filler byte is 0x01 (expected 0x00)"}));
    Bytes top = GoodDump();
    SetPair(top, 17 + 2 * 6, 31); // the top of the slider
    EXPECT_TRUE(Problems(top).empty());

    Bytes high = GoodDump();
    high[17 + 2 * 33 + 1] = 0x02; // Prog. Level with a high byte of 2
    EXPECT_EQ(Problems(high),
              (std::vector<std::string>{
                  "83: Prog. Level Master: (P33) is 301, outside 0..48",
                  "84: high byte of the value at offset 83 is 0x02 (only 0 or 1 is used)"}));
}

TEST(HrzctlCheck, DigitalSlotsFollowTheGroup) {
    TPreset p;
    TDigitalSelection selection(p);
    selection.LoadFromPreset();
    selection.Add("Regen DDL S"); // group 9: Low Pass, Regen DDL S, Reverb 2, Flanger, Panner
    ASSERT_EQ(p.DigitalGroup(), 9);
    p.Params[36] = 0; // Regen DDL S Fine: slider from 1, but a new effect stores 0
    EXPECT_TRUE(Problems(DumpOf(p)).empty());

    p.Params[40] = 20; // Reverb 2 Source: two choices
    EXPECT_EQ(Problems(DumpOf(p)),
              (std::vector<std::string>{"97: Reverb 2 Source (P40) is 20, outside 0..1"}));

    TPreset small;
    TDigitalSelection(small).LoadFromPreset();
    small.SetDigitalGroup(46); // Low Pass + Tuner: P34..P38
    small.Params[50] = 3;
    small.SetDigitalActive(4, true);
    const auto lines = Problems(DumpOf(small));
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "15: digital effect flag 4 is set but group 46 has no effect at that "
                        "position"),
              lines.end());
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "117: P50 is 3 but group 46 uses only P34..P38"),
        lines.end());

    TPreset phaser;
    TDigitalSelection(phaser).LoadFromPreset();
    TDigitalSelection(phaser).Add("Phaser");
    EXPECT_EQ(Problems(DumpOf(phaser), true),
              (std::vector<std::string>{
                  "13: digital group 47 is not valid (0..46 on the Pre-Express model)"}));
    TPreset beyond; // valid on neither model
    beyond.SetDigitalGroup(DigitalGroups::RowCount);
    EXPECT_EQ(Problems(DumpOf(beyond), true),
              (std::vector<std::string>{"13: digital group 54 is not valid (0..46)"}));
}

TEST(HrzctlCheck, PerformanceEntriesInUse) {
    TPreset p;
    TDigitalSelection(p).LoadFromPreset(); // group 0: 15 digital slots, P34..P48
    p.PerfEnabled[2] = true;
    p.PerfMIDI[2].Controller = 129;
    p.PerfMIDI[2].ParamNumber = 6; // P5: Loop 2 IN, 0..1
    p.PerfMIDI[2].LowValue = 0;
    p.PerfMIDI[2].HighValue = 2;
    p.PerfEnabled[5] = true;
    p.PerfMIDI[5].ParamNumber = 51; // P50: beyond group 0
    // Entries not in use may hold anything.
    p.PerfMIDI[7].Controller = 200;
    const std::size_t e2 = 155 + 12 * 2, e5 = 155 + 12 * 5;
    EXPECT_EQ(Problems(DumpOf(p)),
              (std::vector<std::string>{
                  std::to_string(e2) + ": performance controller #3: controller 129 is not 0..128",
                  std::to_string(e2 + 4) + ": performance controller #3: high value 2 is outside "
                                           "Patch Bay Loop 2 IN 0..1",
                  std::to_string(e5 + 6) + ": performance controller #6: parameter number 51 "
                                           "names no parameter of this preset"}));
}

TEST(HrzctlCheck, PerformanceRangeIsTheControlsRange) {
    TPreset p;
    TDigitalSelection selection(p);
    selection.LoadFromPreset();
    selection.Add("Regen DDL S"); // Fine at P36, a slider of 1..50 that a new effect stores as 0
    p.Params[36] = 0;
    p.PerfEnabled[0] = true;
    p.PerfMIDI[0].ParamNumber = 37;
    p.PerfMIDI[0].LowValue = 0;
    p.PerfMIDI[0].HighValue = 50;
    // The last entry's flag is the byte after the title's last filler.
    p.PerfEnabled[7] = true;
    p.PerfMIDI[7] = p.PerfMIDI[0];
    EXPECT_EQ(Problems(DumpOf(p)),
              (std::vector<std::string>{"157: performance controller #1: low value 0 is outside "
                                        "Regen DDL S Fine: 1..50",
                                        "241: performance controller #8: low value 0 is outside "
                                        "Regen DDL S Fine: 1..50"}));
}

TEST(HrzctlCheck, TitleControlCharactersCountFromTheDump) {
    TPreset p;
    TDigitalSelection(p).LoadFromPreset();
    p.Title = std::string("  a\x01") + "b";
    EXPECT_EQ(Problems(DumpOf(p)),
              (std::vector<std::string>{"127: title character 4 is a control character (0x01)"}));
    // Controls among the padding at either end are padding, as the reader trims them.
    p.Title = std::string("\x02"
                          "ab"
                          "\x03");
    EXPECT_TRUE(Problems(DumpOf(p)).empty());
}

TEST(HrzctlCheck, ProgramTableEntries) {
    Bytes table = TableDump();
    table[5 + 2 * 7] = 0x7F; // program change 8 -> 128 + 127 = 255 -> preset 256
    table[6 + 2 * 7] = 0x01;
    table[5 + 2 * 8] = 200 - 128; // one past the last preset
    table[6 + 2 * 8] = 0x01;
    table[5 + 2 * 9] = 199 - 128; // the last preset
    table[6 + 2 * 9] = 0x01;
    EXPECT_EQ(Problems(table),
              (std::vector<std::string>{
                  "19: program change 8 selects preset 256 (only 001..200 exist)",
                  "21: program change 9 selects preset 201 (only 001..200 exist)"}));
}

TEST(HrzctlCheck, JsonReportAndUnreadableFiles) {
    TTempDir dir;
    Bytes bad = GoodDump();
    SetPair(bad, 13, 99);
    WriteBytes(dir.File("bad.hrz"), bad);
    WriteBytes(dir.File("good.hrz"), GoodDump());
    const auto r = RunTool(
        {"check", "--json", dir.File("good.hrz"), dir.File("bad.hrz"), dir.File("gone.hrz")});
    EXPECT_EQ(r.Status, 2); // unreadable beats problems
    const auto doc = ParseJson(r.Out).object();
    EXPECT_EQ(doc["problems"].toInt(), 1);
    const auto files = doc["files"].toArray();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0].toObject()["presets"].toInt(), 1);
    EXPECT_TRUE(files[0].toObject()["problems"].toArray().isEmpty());
    const auto problem = files[1].toObject()["problems"].toArray()[0].toObject();
    EXPECT_EQ(problem["offset"].toInt(), 13);
    EXPECT_EQ(problem["text"].toString(), "digital group 99 is not valid (0..53)");
    EXPECT_FALSE(files[2].toObject()["readable"].toBool());

    const auto text = RunTool({"check", dir.File("bad.hrz"), dir.File("good.hrz")});
    EXPECT_EQ(text.Status, 1);
    EXPECT_EQ(text.Out,
              dir.File("bad.hrz") + ": offset 13: digital group 99 is not valid (0..53)\n");
}

TEST(HrzctlCheck, AcceptedRangeIncludesTheStoredDefault) {
    const TParamInfo* fine = Catalogue::FindByControl("trbREGfine");
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(fine->Min, 1);
    EXPECT_EQ(AcceptedMin(*fine), 0);
    EXPECT_EQ(AcceptedMax(*fine), 50);
}
