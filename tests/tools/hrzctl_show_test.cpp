#include "model/digital_groups.h"
#include "tests/tools/hrzctl_test_support.h"
#include "tools/hrzctl/input_file.h"
#include "unit/factory_presets.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <thread>

#include <sys/stat.h>

namespace {

// Compressor on, Flanger on (group 0), two performance entries, an FB7 state.
TPreset HandMadePreset() {
    TPreset p;
    p.Title = "Crunch Lead";
    p.SetAnalogSelect(1, true); // Compressor
    p.Params[6] = 24;           // Drive: 78%
    p.Params[7] = 4;            // Slope 10:1
    TDigitalSelection selection(p);
    selection.LoadFromPreset();
    selection.Add("Flanger");
    p.SetFB7State(1, true);
    p.PerfEnabled[0] = true;
    p.PerfMIDI[0].Controller = 4;
    p.PerfMIDI[0].ParamNumber = 15; // Distortion Drive:, effect switched off
    p.PerfMIDI[0].LowValue = 0;
    p.PerfMIDI[0].HighValue = 31;
    p.PerfEnabled[3] = true;
    p.PerfMIDI[3].Controller = 11;
    p.PerfMIDI[3].ParamNumber = 46; // P45: the Flanger's Regen in group 0
    p.PerfMIDI[3].LowValue = 63;
    p.PerfMIDI[3].HighValue = 0;
    return p;
}

} // namespace

TEST(HrzctlShow, EveryPresetOfTheFourBanksPrints) {
    TTempDir dir;
    for (int bank = 0; bank < 4; ++bank) {
        const std::string file = dir.File("bank" + std::to_string(bank) + ".syx");
        WriteBytes(file, BulkDump(bank));
        const auto text = RunTool({"show", file});
        EXPECT_EQ(text.Status, 0) << text.Err;
        EXPECT_EQ(text.Err, "");
        EXPECT_EQ(CountOf(text.Out, "== " + file + ", preset "), 200);
        EXPECT_EQ(CountOf(text.Out, "\n\n== "), 199); // a blank line between presets
        EXPECT_EQ(text.Out.rfind("== ", 0), 0u);
        EXPECT_EQ(CountOf(text.Out, "not a valid group"), 0);

        const auto json = RunTool({"show", "--json", file});
        ASSERT_EQ(json.Status, 0) << json.Err;
        const auto presets = ParseJson(json.Out).object()["presets"].toArray();
        ASSERT_EQ(presets.size(), 200);
        for (int i = 0; i < 200; i += 37)
            EXPECT_EQ(presets[i].toObject()["title"].toString().toStdString(),
                      FactoryPresetTitle(bank, i));
    }
}

TEST(HrzctlShow, ListingUsesTheEditorsTexts) {
    TTempDir dir;
    const std::string file = dir.File("lead.hrz");
    WriteBytes(file, DumpOf(HandMadePreset()));
    const auto r = RunTool({"show", file});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::string& out = r.Out;
    EXPECT_NE(out.find("== " + file + " ==\nTitle:          Crunch Lead\n"), std::string::npos);
    EXPECT_NE(out.find("    Dry:              100%\n"), std::string::npos);
    EXPECT_NE(out.find("Analog effects\n  Compressor\n    Drive:            78%\n"
                       "    Slope             10:1\n"),
              std::string::npos);
    // Only switched-on effects are listed.
    EXPECT_EQ(out.find("Distortion\n"), std::string::npos);
    EXPECT_NE(out.find("Digital group 0: Low Pass, Stereo DDL L, Flanger, Panner\n  Flanger\n"
                       "    Type              Post Reverb\n"),
              std::string::npos);
    EXPECT_NE(out.find("    Speed:            0.84Hz\n"), std::string::npos);
    EXPECT_EQ(out.find("  Panner\n"), std::string::npos);
    EXPECT_NE(out.find("FB7 states:     Compressor\n"), std::string::npos);
    EXPECT_NE(out.find("  Controller #1: 4 (Foot controller) -> Distortion Drive:  from 0% to "
                       "100%  (effect off)\n"),
              std::string::npos);
    EXPECT_NE(
        out.find("  Controller #4: 11 (Expression ctlr) -> Flanger Regen:  from 100% to 0%\n"),
        std::string::npos);
}

TEST(HrzctlShow, JsonCarriesRawValuesTextsAndEntries) {
    TTempDir dir;
    const std::string file = dir.File("lead.hrz");
    WriteBytes(file, DumpOf(HandMadePreset()));
    const auto r = RunTool({"show", "--json", file});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto preset = ParseJson(r.Out).object()["presets"].toArray()[0].toObject();
    EXPECT_EQ(preset["title"].toString(), "Crunch Lead");
    const auto compressor = preset["analog"].toArray()[1].toObject();
    EXPECT_EQ(compressor["name"].toString(), "Compressor");
    EXPECT_TRUE(compressor["active"].toBool());
    const auto drive = compressor["params"].toArray()[0].toObject();
    EXPECT_EQ(drive["slot"].toString(), "P6");
    EXPECT_EQ(drive["value"].toInt(), 24);
    EXPECT_EQ(drive["text"].toString(), "78%");
    const auto digital = preset["digital"].toObject();
    EXPECT_EQ(digital["group"].toInt(), 0);
    EXPECT_TRUE(digital["effects"].toArray()[2].toObject()["active"].toBool());
    const auto perf = preset["performance"].toArray();
    ASSERT_EQ(perf.size(), 2);
    EXPECT_EQ(perf[1].toObject()["entry"].toInt(), 4);
    EXPECT_EQ(perf[1].toObject()["catalogue_number"].toInt(), 39); // Flanger's fourth
    EXPECT_EQ(perf[1].toObject()["controller_name"].toString(), "Expression ctlr");
}

TEST(HrzctlShow, TitlesCannotDriveTheTerminalAndStayExactInJson) {
    TTempDir dir;
    TPreset p;
    p.Title = "Red\x1B[31mX";
    TDigitalSelection(p).LoadFromPreset();
    const std::string file = dir.File("esc.hrz");
    WriteBytes(file, DumpOf(p));
    const auto text = RunTool({"show", file});
    EXPECT_NE(text.Out.find("Title:          Red\\x1B[31mX\n"), std::string::npos);
    EXPECT_EQ(text.Out.find('\x1B'), std::string::npos);
    const auto json = RunTool({"show", "--json", file});
    EXPECT_NE(json.Out.find("Red\\u001b[31mX"), std::string::npos);
    EXPECT_EQ(ParseJson(json.Out).object()["presets"].toArray()[0].toObject()["title"].toString(),
              QString("Red\x1B[31mX"));
}

TEST(HrzctlShow, GroupValidityFollowsTheModel) {
    TTempDir dir;
    TPreset p;
    TDigitalSelection selection(p);
    selection.LoadFromPreset();
    selection.Add("Phaser"); // group 47, unknown to the older model
    const std::string file = dir.File("phaser.hrz");
    WriteBytes(file, DumpOf(p));
    const auto express = RunTool({"show", file});
    EXPECT_NE(express.Out.find("Digital group 47: Low Pass, Stereo DDL L, Phaser, Panner\n"),
              std::string::npos);
    const auto older = RunTool({"show", "--pre-express", file});
    EXPECT_EQ(older.Status, 0);
    EXPECT_NE(older.Out.find("Digital group 47: not a valid group for this model\n"
                             "  Slots P34..P51: 30 50 0 25 0 28 0 63 1 20 20 31 63 31 40 0 0 0\n"),
              std::string::npos);
    // The switch lasts for one run only.
    EXPECT_EQ(DigitalGroups::ActiveGroupCount(), DigitalGroups::RowCount);
}

TEST(HrzctlShow, UnreadableAndWrongFilesGiveStatusTwoButOthersStillShow) {
    TTempDir dir;
    const std::string good = dir.File("good.hrz");
    WriteBytes(good, DumpOf(HandMadePreset()));
    const std::string table = dir.File("table.mpt");
    WriteBytes(table, TableDump());
    const std::string empty = dir.File("empty.hrz");
    WriteBytes(empty, {});
    const std::string missing = dir.File("missing.hrz");
    const std::string huge = dir.File("huge.syx"); // sparse, never read
    WriteBytes(huge, {0xF0});
    std::filesystem::resize_file(huge, MaxInputFileSize + 1);

    const auto r = RunTool({"show", missing, table, empty, good, dir.Path().string(), huge});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Out.find("Title:          Crunch Lead"), std::string::npos);
    EXPECT_NE(r.Err.find("hrzctl: " + missing + ": no such file\n"), std::string::npos);
    EXPECT_NE(r.Err.find(table + ": no preset dump in this file (it holds a program table; try "
                                 "hrzctl mpt)"),
              std::string::npos);
    EXPECT_NE(r.Err.find(empty + ": empty file"), std::string::npos);
    EXPECT_NE(r.Err.find(dir.Path().string() + ": is a folder"), std::string::npos);
    EXPECT_NE(r.Err.find(huge + ": too large for a dump file"), std::string::npos);
}

TEST(HrzctlShow, DumpsAmongOtherBytesAreShownWithWarnings) {
    TTempDir dir;
    Bytes bytes{0x90, 0x40, 0x7F}; // a note before the dump
    const auto dump = DumpOf(HandMadePreset());
    bytes.insert(bytes.end(), dump.begin(), dump.end());
    const Bytes reply{0xF0, 0x1A, 0x00, 0x12, 0x03, 0x09, 0x01, 0xF7};
    bytes.insert(bytes.end(), reply.begin(), reply.end());
    const std::string file = dir.File("mixed.syx");
    WriteBytes(file, bytes);
    const auto r = RunTool({"show", file});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(CountOf(r.Out, "Title:"), 1);
    EXPECT_NE(r.Err.find("warning: " + file +
                         ": offset 0: 3 bytes outside any system-exclusive "
                         "message"),
              std::string::npos);
    EXPECT_NE(r.Err.find("offset 255: skipped 8-byte message with command 0x03"),
              std::string::npos);
}

TEST(HrzctlShow, PresetsAreFoundByLengthAndHeaderWhateverTheTitleHolds) {
    TTempDir dir;
    Bytes dump = DumpOf(HandMadePreset());
    dump[121] = 0xF0; // title character 1
    dump[123] = 0xF7; // title character 2
    const std::string single = dir.File("odd.hrz");
    WriteBytes(single, dump);
    const auto r = RunTool({"show", single});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("Title:          \xC3\xB0\xC3\xB7unch Lead\n"), std::string::npos);
    EXPECT_NE(r.Err.find("offset 121: data byte 0xF0 is not below 0x80"), std::string::npos);

    // Inside a bulk dump it splits neither itself nor its neighbours.
    Bytes bulk = BulkDump(0);
    std::copy(dump.begin(), dump.end(), bulk.begin() + 252 * 3);
    const std::string bank = dir.File("bank.syx");
    WriteBytes(bank, bulk);
    const auto all = RunTool({"show", bank});
    EXPECT_EQ(CountOf(all.Out, "Title:"), 200);
    EXPECT_EQ(CountOf(all.Err, "skipped"), 0);
    const auto check = RunTool({"check", bank});
    EXPECT_EQ(check.Out, bank + ": offset " + std::to_string(252 * 3 + 121) +
                             ": data byte 0xF0 is not below 0x80\n" + bank + ": offset " +
                             std::to_string(252 * 3 + 123) +
                             ": data byte 0xF7 is not below 0x80\n");
}

TEST(HrzctlShow, AFifoWithoutAWriterIsReportedNotWaitedForEver) {
    TTempDir dir;
    const std::string fifo = dir.File("fifo.syx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        ReadInputFile(fifo, 100);
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  fifo + ": nothing arrived for 100 ms; is anything writing to it?");
    }
    // With a writer it is read like a file.
    const Bytes dump = DumpOf(HandMadePreset());
    std::thread writer([&] { WriteBytes(fifo, dump); });
    const TInputFile file = ReadInputFile(fifo, 10000);
    writer.join();
    EXPECT_EQ(file.Bytes, dump);
}
