// The backup run, the compare run and the verified store without a window:
// each against the virtual unit's engine, with the owner's part played here.
#include "app/runs/backup_run.h"
#include "app/runs/verified_store.h"
#include "editor/frm_preset_editor.h"
#include "model/device_globals.h"
#include "model/hrz_messages.h"
#include "tests/app/runs/engine_link.h"
#include "tests/support/test_app.h"
#include "unit/unit_memory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using TBytes = std::vector<std::uint8_t>;

// Bank A's first presets titled as given, the unit on A 001.
std::string UnitWithTitles(const QTemporaryDir& dir, const std::vector<std::string>& titles) {
    THrzUnitMemory memory(false);
    for (std::size_t p = 0; p < titles.size(); ++p)
        for (std::size_t i = 0; i < 16; ++i)
            memory.Preset(0, static_cast<int>(p))[121 + 2 * i] =
                i < titles[p].size() ? static_cast<std::uint8_t>(titles[p][i]) : ' ';
    const std::string path = dir.filePath("unit.state").toStdString();
    SaveUnitMemory(path, memory);
    return path;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

class RunsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(dir.isValid());
        RequestDelay = 20;
        host.ShowStatus = [this](const QString& t) { status = t; };
        host.AddLogLine = [this](const QString& t) { log << t; };
        host.Ask = [this](const QString& text, const QString& caption, int, TMsgDlgType) {
            asked << "[" + caption + "] " + text;
            return mrYes;
        };
        host.ShowComparison = [this](const QString&, const QString&, std::vector<TCompareRow> r) {
            rows = std::move(r);
        };
        host.ShowProgress = [this](const QString& text, int value, int maximum) {
            progress = QString("%1 (%2/%3)").arg(text).arg(value).arg(maximum);
        };
        host.Watchdog = [this](bool on) { watchdog.push_back(on); };
        host.VerifyStores = [this] { return verify; };
        host.QueryCurrentPresetNumber = [] { return 1; };
    }
    void TearDown() override { RequestDelay = 1000; }

    TEngineLink& Link(const std::vector<std::string>& titles) {
        TUnitOptions options;
        options.StatePath = UnitWithTitles(dir, titles);
        link = std::make_unique<TEngineLink>(options);
        run = std::make_unique<TBackupRun>(*link, host, bank);
        store = std::make_unique<TVerifiedStore>(*link, host, *run, bank);
        // The window's routing: the run takes every event, a store check its dump.
        link->OwnerReads = [this] { return !run->ReadingInput(); };
        link->Deliver = [this](std::unique_ptr<TMyMidiEvent> event) {
            if (run->RunActive)
                run->HandleRunEvent(std::move(event));
            else if (store->Capturing() && event->Sysex.size() == HrzMessages::PresetDumpLength)
                store->TakeDump(event->Sysex);
        };
        return *link;
    }
    void RunToEnd(const TRunChoices& choices, bool compare) {
        run->Start(choices, compare);
        for (int n = 0; run->RunActive && n < 10000; ++n)
            link->Wait(10);
        ASSERT_FALSE(run->RunActive);
    }
    TRunChoices BankA(int first, int last) const {
        TRunChoices c;
        c.Walk.Banks = {true, false, false, false};
        c.Walk.First = first;
        c.Walk.Last = last;
        c.Folder = dir.filePath("out");
        c.SaveFiles = true;
        return c;
    }
    TBytes UnitPreset(int index) {
        const auto& p = link->Unit().Memory().Preset(0, index);
        return TBytes(p.begin(), p.end());
    }

    QTemporaryDir dir;
    TRunHost host;
    int bank = 0;
    QString status;
    QStringList log;
    QStringList asked;
    QString progress;
    std::vector<bool> watchdog;
    bool verify = true;
    std::vector<TCompareRow> rows;
    std::unique_ptr<TEngineLink> link;
    std::unique_ptr<TBackupRun> run;
    std::unique_ptr<TVerifiedStore> store;
};

bool IsSelectOf(const TBytes& b, std::uint8_t low) {
    return b.size() == 8 && b[4] == HrzMessages::CmdPresetSelect && b[5] == low;
}

} // namespace

// A select that is lost once is sent again; one lost three times leaves its
// preset unsaved and named in the closing message.
TEST_F(RunsTest, ABackupSavesEachConfirmedPresetUnderItsTitle) {
    struct Case {
        int lost; // selects of preset 2 that never reach the unit
        QStringList files;
        QString logLine;
        QString closing;
    };
    const std::vector<Case> cases{
        {1,
         {"Clean.hrz001", "Crunch.hrz002", "Lead.hrz003"},
         "Preset #2: the unit is on preset 1; selecting it again",
         "[Congratulations...] Procedure is complete"},
        {3,
         {"Clean.hrz001", "Lead.hrz003"},
         "Preset #2 could not be selected (the unit stayed on preset 1): not saved",
         "[Sorry...] Procedure is complete, but 1 preset was not saved, because the unit could "
         "not be confirmed to be on it: A 002."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lost);
        QDir(dir.filePath("out")).removeRecursively();
        log.clear();
        asked.clear();
        watchdog.clear();
        int lost = 0;
        Link({"Clean", "Crunch", "Lead"}).Lose = [&](const TBytes& b) {
            return IsSelectOf(b, 1) && lost++ < c.lost;
        };
        RunToEnd(BankA(1, 3), false);
        const QString folder = dir.filePath("out/Bank A");
        EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name), c.files);
        for (int p : {0, 2}) {
            TBytes expected = UnitPreset(p);
            expected[2] = 0;
            EXPECT_EQ(FileBytes(QDir(folder).filePath(c.files[p == 0 ? 0 : c.files.size() - 1])),
                      QByteArray(reinterpret_cast<const char*>(expected.data()), 252));
        }
        EXPECT_TRUE(log.contains(c.logLine)) << log.join("\n").toStdString();
        EXPECT_TRUE(log.contains("Preset #3 received: Lead.hrz003"));
        EXPECT_EQ(asked, QStringList{c.closing});
        EXPECT_EQ(watchdog, (std::vector<bool>{true, false}));
        // Back on the bank it was on, the journal gone with the run complete.
        EXPECT_EQ(bank, 0);
        EXPECT_FALSE(QFile::exists(dir.filePath("out/HRZ2000e backup journal.txt")));
    }
}

TEST_F(RunsTest, AComparisonFindsTheOnePresetThatDiffersFromTheFolder) {
    Link({"Clean", "Crunch"});
    TRunChoices banks = BankA(1, 2);
    banks.Walk.Banks = {true, true, false, false};
    RunToEnd(banks, false);
    asked.clear();
    // The folder's second preset is changed by one data byte.
    const QString second = dir.filePath("out/Bank A/Crunch.hrz002");
    QByteArray bytes = FileBytes(second);
    bytes[40] = static_cast<char>(bytes[40] ^ 1);
    QFile f(second);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    RunToEnd(banks, true);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].State, TCompareState::Same);
    EXPECT_EQ(rows[1].State, TCompareState::Differs);
    EXPECT_EQ(rows[1].Number, 2);
    EXPECT_EQ(rows[2].State, TCompareState::Same);
    EXPECT_EQ(rows[3].State, TCompareState::Same);
    EXPECT_EQ(rows[3].Bank, 1);
    EXPECT_EQ(progress, "Bank B: preset 2 of 2 (3/4)");
    EXPECT_TRUE(log.contains("Comparison in progress"));
    EXPECT_TRUE(asked.isEmpty());
    // A comparison writes nothing.
    EXPECT_EQ(FileBytes(second), bytes);
}

TEST_F(RunsTest, AStoreIsReadBackAndAFailedCheckSaysWhy) {
    TEngineLink& unit = Link({"Clean"});
    // Into the edit buffer, then stored at A 005 and read back.
    TBytes sent = UnitPreset(0);
    unit.SendLong(sent);
    const TStoreReport ok = store->StoreInUnit(TfrmPresetEditor::StoreMessage(5), 5, sent, 1);
    EXPECT_EQ(ok.Outcome, TStoreReport::TOutcome::Verified);
    EXPECT_EQ(ok.Text.toStdString(), "Stored and verified; the unit is back on A 001 as it was");
    EXPECT_EQ(UnitPreset(4), sent);

    // What the editor says it sent is not what the unit's edit buffer holds.
    TBytes other = sent;
    other[40] ^= 1;
    const TStoreReport differs = store->StoreInUnit(TfrmPresetEditor::StoreMessage(6), 6, other, 1);
    EXPECT_EQ(differs.Outcome, TStoreReport::TOutcome::Differs);
    EXPECT_TRUE(
        differs.Text.startsWith("Location A 006 was stored, but reads back with other bytes:\n"))
        << differs.Text.toStdString();

    // With verification off the store is only sent.
    verify = false;
    const TStoreReport plain = store->StoreInUnit(TfrmPresetEditor::StoreMessage(8), 8, sent, 1);
    EXPECT_EQ(plain.Outcome, TStoreReport::TOutcome::NotChecked);
    EXPECT_EQ(plain.Text.toStdString(), "");
    verify = true;

    // The unit sends nothing back.
    unit.Lose = [](const TBytes& b) {
        return b.size() > 4 && b[4] == HrzMessages::CmdCurrentPresetRequest;
    };
    const TRestoreResult silent =
        store->StoreAndCheck(TfrmPresetEditor::StoreMessage(7), 0, 7, sent);
    EXPECT_EQ(silent.Report.Outcome, TStoreReport::TOutcome::NoAnswer);
    EXPECT_EQ(silent.Report.Text.toStdString(),
              "Location A 007 was stored, but the unit did not send it back to be checked.");
    EXPECT_FALSE(silent.ReadBack);
}
