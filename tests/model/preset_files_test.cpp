#include "model/errors.h"
#include "model/preset.h"
#include "model/preset_files.h"
#include "model/stream.h"
#include "model/sysex_scan.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PresetFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("preset-files-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = (folder_ / name).string();
        WriteFileAtomically(path, bytes.data(), bytes.size());
        return path;
    }
    static std::vector<std::uint8_t> Dump(const std::string& title) {
        TPreset preset;
        preset.Title = title;
        const auto bytes = preset.DumpBytes();
        return {bytes.begin(), bytes.end()};
    }
    fs::path folder_;
};

} // namespace

TEST_F(PresetFiles, AFolderJoinsInPresetNumberOrderThenPlainHrzFiles) {
    const std::string b = Write("Zed.hrz002", Dump("Zed")), a = Write("Amp.hrz010", Dump("Amp"));
    const std::string c = Write("loose.hrz", Dump("Loose")), d = Write("First.hrz001", Dump("F"));
    Write("notes.txt", {'x'});
    Write("Old.hrz002.bak", {'x'});
    fs::create_directories(folder_ / "Sub.hrz003");
    const auto paths = PresetFilesInFolder(folder_.string());
    EXPECT_EQ(paths, (std::vector<std::string>{d, b, a, c}));

    std::vector<std::uint8_t> expected;
    for (const auto& title : {"F", "Zed", "Amp", "Loose"}) {
        const auto dump = Dump(title);
        expected.insert(expected.end(), dump.begin(), dump.end());
    }
    EXPECT_EQ(JoinPresetFiles(paths), expected);
}

TEST_F(PresetFiles, JoinRefusesWhatHrzctlJoinRefusesNamingTheFile) {
    const std::string good = Write("A.hrz001", Dump("A"));
    const std::string empty = Write("E.hrz002", {});
    try {
        JoinPresetFiles({good, empty});
        FAIL() << "joined an empty file";
    } catch (const EHrzError& e) {
        EXPECT_EQ(std::string(e.what()), empty + ": empty file");
    }
    auto stray = Dump("S");
    stray.push_back(0x41);
    const std::string trailing = Write("S.hrz003", stray);
    try {
        JoinPresetFiles({good, trailing});
        FAIL() << "joined a file with a stray byte";
    } catch (const EHrzError& e) {
        EXPECT_EQ(std::string(e.what()),
                  trailing + ": offset 252: 1 byte outside any system-exclusive message (run "
                             "hrzctl check for details)");
    }
    EXPECT_THROW(JoinPresetFiles({(folder_ / "missing.hrz001").string()}), EHrzError);
}

TEST_F(PresetFiles, EachDumpBecomesANumberedFileAndAByteAbove7FStopsTheSplit) {
    std::vector<std::uint8_t> bytes = {0xF0, 0x41, 0xF7};
    for (const auto& title : {"Clean", ""}) {
        const auto dump = Dump(title);
        bytes.insert(bytes.end(), dump.begin(), dump.end());
    }
    auto split = SplitPresetDumps(ScanSysex(bytes), "in.syx", false, "Untitled");
    ASSERT_EQ(split.Files.size(), 2u);
    EXPECT_EQ(split.Files[0].Name, "Clean.hrz001");
    EXPECT_EQ(split.Files[1].Name, "Untitled.hrz002");
    EXPECT_EQ(split.Files[1].Bytes.size(), 252u);
    EXPECT_EQ(split.Warnings, std::vector<std::string>{
                                  "in.syx: offset 0: skipped 3-byte message for another device"});
    EXPECT_EQ(split.Error, "");
    bytes[3 + 252 + 130] = 0x80;
    split = SplitPresetDumps(ScanSysex(bytes), "in.syx", false, "Untitled");
    EXPECT_TRUE(split.Files.empty());
    EXPECT_EQ(split.Error, "in.syx: offset 385: data byte 0x80 is not below 0x80 (run hrzctl check "
                           "for details)");
}
