#include "model/errors.h"
#include "model/preset.h"
#include "model/preset_files.h"
#include "model/stream.h"
#include "model/sysex_scan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class PresetFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("preset-files-" + std::to_string(::getpid()) + "-" +
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
    // Number 0 is a number too: before the files without one.
    EXPECT_EQ(SortedByPresetNumber({"b.hrz", "a.hrz2", "c.hrz000"}),
              (std::vector<std::string>{"c.hrz000", "a.hrz2", "b.hrz"}));
}

TEST_F(PresetFiles, JoinRefusesWhatHrzctlJoinRefusesNamingTheFile) {
    EXPECT_EQ(PresetFileNumber("A.hrz123456"), 123456); // six digits at most
    EXPECT_EQ(PresetFileNumber("A.hrz1234567"), -1);
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

TEST_F(PresetFiles, OpenReadsOnePresetDumpAndNoFurtherThanItsLength) {
    const auto dump = Dump("Lead");
    EXPECT_EQ(ReadPresetFile(Write("Lead.hrz001", dump)), dump);
    auto longer = dump;
    longer.push_back(0xF7);
    auto shorter = dump;
    shorter.pop_back();
    std::vector<std::uint8_t> huge(16u * 1024u * 1024u, 0xF0); // a file chosen by mistake
    for (const auto& [name, bytes] :
         {std::pair{"longer", longer}, std::pair{"shorter", shorter}, std::pair{"huge", huge},
          std::pair{"empty", std::vector<std::uint8_t>{}}}) {
        try {
            ReadPresetFile(Write(name, bytes));
            ADD_FAILURE() << name << " was taken";
        } catch (const EInvalidData& e) {
            EXPECT_STREQ(e.what(), "Not a valid preset file") << name;
        }
    }
#ifndef _WIN32
    const std::string fifo = (folder_ / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        ReadPresetFile(fifo);
        ADD_FAILURE() << "a FIFO was waited on";
    } catch (const EFileReadError& e) {
        EXPECT_EQ(e.Kind(), EFileReadError::TKind::NotRegular);
    }
#endif
}

TEST(SplitPresetDumps, ADumpCutOffAtTheEndIsRefusedAsJoinWouldRefuseIt) {
    TPreset preset;
    preset.Title = "Cut";
    const auto bytes = preset.DumpBytes();
    const std::vector<std::uint8_t> one(bytes.begin(), bytes.end());
    std::vector<std::uint8_t> file = one;
    file.insert(file.end(), one.begin(), one.end());
    for (const auto& [last, expected] :
         {std::pair<std::uint8_t, std::string>{0x05, "x.syx: offset 252: message has no end byte "
                                                     "(F7) (run hrzctl check for details)"},
          std::pair<std::uint8_t, std::string>{0xFF,
                                               "x.syx: offset 503: data byte 0xFF is not "
                                               "below 0x80 (run hrzctl check for details)"}}) {
        file.back() = last;
        const TSplitResult split = SplitPresetDumps(ScanSysex(file), "x.syx", false, "Untitled");
        EXPECT_TRUE(split.Files.empty());
        EXPECT_EQ(split.Error, expected);
        const std::vector<std::uint8_t> dump(file.begin() + 252, file.end());
        EXPECT_FALSE(JoinRefusal("x", dump, ScanSysex(dump)).empty());
    }
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
