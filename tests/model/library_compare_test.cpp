// Backup folders read location by location and compared with each other (the
// comparison window's unit side is a folder side's equal here).
#include "model/backup_folder.h"
#include "model/dump_compare.h"
#include "model/library_compare.h"
#include "model/preset.h"
#include "model/stream.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Dump(const std::string& title, int dry = 50, std::uint8_t channel = 0) {
    TPreset p;
    p.Title = title;
    p.Params[0] = dry;
    auto bytes = p.DumpBytes();
    bytes[2] = channel;
    return {bytes.begin(), bytes.end()};
}

class BackupFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("hrz_library_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void Put(const fs::path& relative, const std::vector<std::uint8_t>& bytes) {
        fs::create_directories((root / relative).parent_path());
        WriteFileAtomically((root / relative).string(), bytes.data(), bytes.size());
    }
    fs::path root;
};

} // namespace

TEST(BackupNames, FileNamesAndNumbersAsTheBackupRunWritesThem) {
    using namespace BackupFolder;
    EXPECT_EQ(PresetFileName("Lead/Solo", 2, ""), "Lead-Solo.hrz002");
    EXPECT_EQ(PresetFileName("A:B*C?", 1, ""), "A B C .hrz001");
    EXPECT_EQ(PresetFileName("", 17, "Untitled"), "Untitled.hrz017");
    EXPECT_EQ(PresetFileName("Caf\xE9\x01", 200, ""), "Caf\xC3\xA9 .hrz200");
    EXPECT_EQ(FileNumber("Clean.hrz042"), 42);
    EXPECT_EQ(FileNumber("x.hrz.hrz7"), 7);
    EXPECT_EQ(FileNumber("Clean.hrz"), -1);
    EXPECT_EQ(FileNumber("Clean.hrz04a"), -1);
    EXPECT_EQ(FileNumber("notes.txt"), -1);
}

TEST(DumpCompareTest, TheChannelByteIsLeftAsideAndDifferencesAreListed) {
    const std::vector<std::uint8_t> a(252, 0x10);
    auto b = a;
    b[2] = 5;
    EXPECT_TRUE(DumpCompare::SameAsideChannel(a, b));
    b[126] = 0x23;
    b[130] = 0x7F;
    EXPECT_EQ(DumpCompare::DifferingOffsets(a, b), (std::vector<std::size_t>{126, 130}));
    EXPECT_EQ(DumpCompare::DifferenceLines(a, b, "stored", "read back"),
              "byte 126: 10 stored, 23 read back\nbyte 130: 10 stored, 7F read back");
    EXPECT_EQ(DumpCompare::DifferenceLines(a, b, "stored", "read back", 1),
              "byte 126: 10 stored, 23 read back\nand 1 more bytes");
    EXPECT_EQ(DumpCompare::DifferenceLines(a, b, "stored", "read back", 2),
              "byte 126: 10 stored, 23 read back\nbyte 130: 10 stored, 7F read back");
    b.pop_back();
    const std::string lines = DumpCompare::DifferenceLines(a, b, "x", "y");
    EXPECT_EQ(lines.substr(lines.rfind('\n') + 1), "byte 251: 10 x, none y");
}

TEST_F(BackupFolderTest, EachStateAndTheParameterDifferencesOfTwoBackups) {
    Put("one/Bank A/Clean.hrz001", Dump("Clean", 50, 0));
    Put("two/Bank A/Clean.hrz001", Dump("Clean", 50, 3)); // another channel: the same
    Put("one/Bank A/Lead.hrz002", Dump("Lead", 50));
    Put("two/Bank A/Lead.hrz002", Dump("Lead", 70));
    Put("one/Bank B/Gone.hrz010", Dump("Gone"));
    Put("two/Bank D/New.hrz200", Dump("New"));
    Put("two/Bank D/notes.txt", {1, 2, 3});                                // not a preset file name
    Put("two/Bank A/Broken.hrz003", std::vector<std::uint8_t>(251, 0x10)); // a preset name, not one
    Put("one/Bank A/Broken.hrz003", Dump("Broken"));

    const auto rows = CompareBackupFolders((root / "one").string(), (root / "two").string());
    ASSERT_EQ(rows.size(), 5u);
    const auto at = [&](int bank, int number) -> const TCompareRow& {
        for (const auto& r : rows)
            if (r.Bank == bank && r.Number == number)
                return r;
        throw std::runtime_error("no row");
    };
    EXPECT_EQ(at(0, 1).State, TCompareState::Same);
    EXPECT_EQ(at(0, 2).State, TCompareState::Differs);
    EXPECT_EQ(at(0, 3).State, TCompareState::Differs);
    EXPECT_EQ(at(1, 10).State, TCompareState::OnlyInA);
    EXPECT_EQ(at(3, 200).State, TCompareState::OnlyInB);
    EXPECT_EQ(at(0, 2).A.Title, "Lead");
    EXPECT_EQ(at(3, 200).B.Name, "New.hrz200");

    const auto lead = RowDifferences(at(0, 2));
    ASSERT_EQ(lead.size(), 1u);
    EXPECT_EQ(lead[0].Label, "Mix Dry:");
    EXPECT_NE(lead[0].A, lead[0].B);
    const auto broken = RowDifferences(at(0, 3));
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_EQ(broken[0].Label, "Preset file");
    EXPECT_EQ(broken[0].B, "not a preset file (251 bytes)");
    // Only the channel differs: nothing to list, and no "Channel byte" item.
    EXPECT_TRUE(RowDifferences(at(0, 1)).empty());
    EXPECT_TRUE(RowDifferences(at(1, 10)).empty()); // on one side only: nothing to compare

    const TCompareCounts counts = CountStates(rows);
    EXPECT_EQ(counts.Total(), 5);
    EXPECT_EQ(counts.NotSame(), 4);
}

TEST_F(BackupFolderTest, ThePresetsOfABankFolderByLocationTheNewestFileCounting) {
    Put("Bank A/Old name.hrz005", Dump("Old name"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Put("Bank A/New name.hrz005", Dump("New name"));
    Put("Bank A/Out of range.hrz201", Dump("Out of range"));
    fs::create_directories(root / "Bank A" / "Sub.hrz006"); // a folder, not a file
    // Written at the same time: the first name counts, in whatever order they are listed.
    const auto written = fs::last_write_time(root / "Bank A" / "New name.hrz005");
    for (const char* name : {"C tie.hrz007", "A tie.hrz007", "B tie.hrz007"}) {
        Put(fs::path("Bank A") / name, Dump(name));
        fs::last_write_time(root / "Bank A" / name, written);
    }
    const auto files = BackupFolder::ReadBankFolder(BackupFolder::BankPath(root.string(), 0));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at(7).Name, "A tie.hrz007");
    EXPECT_EQ(files.at(7).OtherFiles, 2);
    EXPECT_EQ(files.at(5).Name, "New name.hrz005");
    EXPECT_EQ(files.at(5).OtherFiles, 1);
    EXPECT_TRUE(files.at(5).Problem.empty());
    EXPECT_TRUE(BackupFolder::ReadBankFolder((root / "missing").string()).empty());
}

TEST_F(BackupFolderTest, PreExpressBackupsHaveNoBankFolders) {
    Put("one/Clean.hrz001", Dump("Clean"));
    Put("two/Clean.hrz001", Dump("Clean"));
    Put("two/Extra.hrz128", Dump("Extra"));
    const auto rows = CompareBackupFolders((root / "one").string(), (root / "two").string());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Bank, -1);
    EXPECT_EQ(rows[0].State, TCompareState::Same);
    EXPECT_EQ(rows[1].State, TCompareState::OnlyInB);
    // Bank folders on one side only: both are read by bank.
    Put("banks/Bank A/Clean.hrz001", Dump("Clean"));
    const auto mixed = CompareBackupFolders((root / "banks").string(), (root / "one").string());
    ASSERT_EQ(mixed.size(), 1u);
    EXPECT_EQ(mixed[0].Bank, 0);
    EXPECT_EQ(mixed[0].State, TCompareState::OnlyInA);
}

TEST(UnitSideTest, AnUntitledPresetCountsOnlyWhenTheBackupWouldSaveIt) {
    const auto untitled = Dump("");
    EXPECT_FALSE(UnitSide(untitled, "").Present);
    EXPECT_TRUE(UnitSide(untitled, "Untitled").Present);
    TCompareSide none;
    EXPECT_EQ(CompareSides(UnitSide(untitled, ""), none), TCompareState::Same);
    TFolderPreset file{"/x/Untitled.hrz001", "Untitled.hrz001", untitled, "", 0};
    EXPECT_EQ(CompareSides(UnitSide(untitled, ""), FolderSide(file)), TCompareState::OnlyInB);
    EXPECT_EQ(CompareSides(UnitSide(untitled, "Untitled"), FolderSide(file)), TCompareState::Same);
    // A file with a problem differs, whatever bytes it still holds.
    TFolderPreset unreadable = file;
    unreadable.Problem = "cannot be read";
    EXPECT_EQ(CompareSides(FolderSide(unreadable), FolderSide(file)), TCompareState::Differs);
    EXPECT_EQ(CompareSides(FolderSide(file), FolderSide(unreadable)), TCompareState::Differs);
}
