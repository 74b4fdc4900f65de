#include "model/backup_journal.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TBackupChoices Choices(const std::string& banks, int first, int last) {
    TBackupChoices c;
    for (char b : banks)
        c.Banks[static_cast<std::size_t>(b - 'A')] = true;
    c.First = first;
    c.Last = last;
    return c;
}

} // namespace

TEST(BackupJournal, ReadsBackWhatItWroteAndRefusesDamagedText) {
    TBackupJournal j{Choices("ACD", 5, 120), 2, 57};
    j.Choices.ByPresetNumber = false;
    j.Choices.UntitledName = "No name, really";
    const std::string text = FormatBackupJournal(j);
    const auto back = ParseBackupJournal(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Choices, j.Choices);
    EXPECT_EQ(back->LastBank, 2);
    EXPECT_EQ(back->LastNumber, 57);
    EXPECT_NE(FormatBackupJournal({Choices("A", 1, 10), 0, 7}).find("\ndone=A 7\n"),
              std::string::npos);
    // Windows line ends (an editor touched it) still read.
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_TRUE(ParseBackupJournal(crlf));

    const auto broken = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        t.replace(t.find(from), from.size(), to);
        return !ParseBackupJournal(t);
    };
    EXPECT_TRUE(broken("HRZ2000e backup journal", "some other file"));
    EXPECT_TRUE(broken("first=5", "first=x"));
    EXPECT_TRUE(broken("last=120", "last=201"));
    EXPECT_FALSE(broken("last=120", "last=200"));
    EXPECT_TRUE(broken("last=120", "last=x"));
    EXPECT_TRUE(broken("first=5", "first=0"));
    EXPECT_FALSE(broken("first=5", "first=1"));
    EXPECT_TRUE(broken("first=5", "first=130")); // after the last
    EXPECT_TRUE(broken("done=C 57", "done=C 121"));
    EXPECT_TRUE(broken("done=C 57", "done=B 57")); // a bank the run does not walk
    // Before the first preset of the run's first bank (A starts at 5); C starts at 1.
    EXPECT_TRUE(broken("done=C 57", "done=A 4"));
    EXPECT_FALSE(broken("done=C 57", "done=A 5"));
    EXPECT_FALSE(broken("done=C 57", "done=C 1"));
    // A name never ends in a carriage return, so what is read writes back the same.
    std::string cr = text;
    cr.replace(cr.find("really\n"), 7, "really\r\r\n");
    ASSERT_TRUE(ParseBackupJournal(cr));
    EXPECT_EQ(ParseBackupJournal(cr)->Choices.UntitledName, "No name, really");
    EXPECT_TRUE(broken("done=C 57", "done=C-57"));
    EXPECT_TRUE(broken("banks=AC", "banks=AX"));
    EXPECT_TRUE(broken("untitled=No name, really\n", ""));
    EXPECT_FALSE(ParseBackupJournal(""));
}

TEST(BackupJournal, ARunContinuesAfterItsLastPresetInTheRunsOrder) {
    // Banks A and C, 5..10: bank A from 5, bank C from 1.
    const TBackupChoices c = Choices("AC", 5, 10);
    EXPECT_EQ(ResumePosition({c, -1, 0}), std::nullopt); // nothing handled yet
    EXPECT_EQ(ResumePosition({c, 0, 7}), (TRunPosition{0, 7}));
    EXPECT_EQ(ResumePosition({c, 0, 10}), (TRunPosition{2, 0})); // on to bank C at 1
    EXPECT_EQ(ResumePosition({c, 2, 9}), (TRunPosition{2, 9}));
    EXPECT_EQ(ResumePosition({c, 2, 10}), std::nullopt); // the run was done

    EXPECT_EQ(PresetsBefore(c, {0, 4}), 0);
    EXPECT_EQ(PresetsBefore(c, {0, 7}), 3);
    EXPECT_EQ(PresetsBefore(c, {2, 0}), 6);
    EXPECT_EQ(PresetsBefore(c, {2, 9}), 15);

    // A Pre-Express unit has its one bank, whatever the boxes said.
    TBackupChoices pre = Choices("", 1, 128);
    pre.PreExpress = true;
    EXPECT_EQ(ResumePosition({pre, 0, 64}), (TRunPosition{0, 64}));
    EXPECT_EQ(ResumePosition({pre, 0, 128}), std::nullopt);
    EXPECT_TRUE(ParseBackupJournal(FormatBackupJournal({pre, 0, 64})));
}

TEST(BackupJournal, LivesInTheOutputFolderUntilRemoved) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("hrz_journal_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_FALSE(ReadBackupJournal(dir.string()));
    const TBackupJournal j{Choices("B", 1, 200), 1, 99};
    WriteBackupJournal(dir.string(), j);
    EXPECT_TRUE(fs::exists(dir / BackupJournalFileName));
    const auto back = ReadBackupJournal(dir.string() + "/");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->LastNumber, 99);
    RemoveBackupJournal(dir.string());
    EXPECT_FALSE(fs::exists(dir / BackupJournalFileName));
    RemoveBackupJournal(dir.string()); // already gone: fine
    fs::remove_all(dir);
}
