// Whole backup and print runs, started from the menu command through the
// options dialog, against the virtual unit (and its faults).
#include "app/window/frm_bkup_opt.h"
#include "editor/print_helpers.h"
#include "model/safe_file_name.h"
#include "tests/app/window/losing_platform.h"
#include "tests/app/window/unit_run_fixture.h"
#include "tests/support/recording_printer_canvas.h"
#include "unit/factory_presets.h"
#include "unit/unit_memory.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <tuple>

namespace {

class BackupRunTest : public UnitRunTest {
protected:
    struct TTitle {
        int Bank;
        int Index;
        std::string Text;
    };

    void TearDown() override {
        window.reset();
        MainWindowTest::TearDown();
    }

    // The unit's memory is factory state with these titles, bank B selected.
    TfrmMain& StartOnUnitWithTitles(const std::vector<TTitle>& titles, TUnitOptions options = {}) {
        TfrmMain& w = StartOnUnitWith(
            [&](THrzUnitMemory& memory) {
                for (const auto& t : titles) {
                    auto& dump = memory.Preset(t.Bank, t.Index);
                    for (std::size_t i = 0; i < 16; ++i) {
                        dump[121 + 2 * i] =
                            i < t.Text.size() ? static_cast<std::uint8_t>(t.Text[i]) : ' ';
                        dump[122 + 2 * i] = 0;
                    }
                }
                memory.CurrentBank = options.PreExpress ? 0 : 1;
            },
            options);
        QFont font("Liberation Sans");
        font.setPointSize(10); // 50 x 160 printer pixels on the recording printer
        w.setFont(font);
        return w;
    }
    static void Banks(TfrmBkupOpt& d, const std::string& letters) {
        for (int b = 0; b < 4; ++b)
            d.chkBank[static_cast<std::size_t>(b)]->setChecked(letters.find(char('A' + b)) !=
                                                               std::string::npos);
    }
    static void Range(TfrmBkupOpt& d, int first, int last) {
        d.edtFirstNo->setText(QString::number(first));
        d.edtLastNo->setText(QString::number(last));
    }
    static QString Line(const QString& bank, int number, const QString& title) {
        return (bank.isEmpty() ? QString() : bank + "  |  ") + QString::number(number) + "  |  " +
               title;
    }

    // The name a backup gives the factory preset at index of bank.
    static QString FactoryFileName(int bank, int index) {
        return QString::fromStdString(
            SafeFileName(FactoryPresetTitle(bank, index) +
                         QString(".hrz%1").arg(index + 1, 3, 10, QChar('0')).toStdString()));
    }

    TRecordingPrinterCanvas printer{TRecordingPrinterCanvas::TMetrics{}};
    TScopedPrinter installed{printer};
    std::unique_ptr<TLosingPlatform> losing;
};

TEST_F(BackupRunTest, BanksAAndCAreSavedIntoBankFoldersAndTheBankIsRestored) {
    auto& w = StartOnUnitWithTitles({{0, 0, "Clean"},
                                     {0, 1, "Lead/Solo"},
                                     {0, 2, ""},
                                     {2, 0, "A:B*C?"},
                                     {2, 1, "Lead/Solo"},
                                     {2, 2, ""}});
    AnswerOptions([&](TfrmBkupOpt& d) {
        EXPECT_EQ(d.lblCurrentBank->text(), "Currently selected bank: B");
        EXPECT_TRUE(d.chkSave->isChecked());
        EXPECT_FALSE(d.chkPrint->isChecked());
        Banks(d, "AC");
        Range(d, 1, 3);
        d.edtPath->setText(QDir::toNativeSeparators(Out())); // no separator at the end
    });
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(5000));

    EXPECT_EQ(Files(Path("Bank A")), (QStringList{"Clean.hrz001", "Lead-Solo.hrz002"}));
    EXPECT_EQ(Files(Path("Bank C")), (QStringList{"A B C .hrz001", "Lead-Solo.hrz002"}));
    EXPECT_EQ(FileBytes(Path("Bank A/Clean.hrz001")), UnitPresetFile(0, 0));
    EXPECT_EQ(FileBytes(Path("Bank A/Lead-Solo.hrz002")), UnitPresetFile(0, 1));
    EXPECT_EQ(FileBytes(Path("Bank C/A B C .hrz001")), UnitPresetFile(2, 0));
    EXPECT_EQ(FileBytes(Path("Bank C/Lead-Solo.hrz002")), UnitPresetFile(2, 1));

    const QString out = QDir::toNativeSeparators(Out()) + QDir::separator();
    EXPECT_EQ(
        Log(),
        (QStringList{"Originally selected Bank is: B", "Created subdirectory for bank A",
                     "Begin processing of Bank A", "Backup in progress", "Output directory: " + out,
                     "Press Ctrl-c to abort", "Preset #1 received: Clean.hrz001",
                     "Preset #2 received: Lead-Solo.hrz002", "Preset #3 is untitled (not saved)",
                     "Created subdirectory for bank C", "Begin processing Bank C",
                     "Preset #1 received: A B C .hrz001", "Preset #2 received: Lead-Solo.hrz002",
                     "Preset #3 is untitled (not saved)"}));
    for (int i = 0; i < w.LogCount(); ++i)
        EXPECT_EQ(w.LogEvent(i), nullptr) << "saved presets are not logged as events";
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Procedure is complete");
    EXPECT_EQ(Messages()[0].caption, "Congratulations...");
    EXPECT_EQ(UnitBank(), 1);
    EXPECT_EQ(w.CurrentBank, 1);
    EXPECT_FALSE(RunProgress(w)->isVisible());
    EXPECT_EQ(printer.DocumentsBegun(), 0);
}

TEST_F(BackupRunTest, LaterBanksStartAtOneAndTheListIsPrintedAlongside) {
    auto& w = StartOnUnitWithTitles({});
    AnswerOptions([&](TfrmBkupOpt& d) {
        Banks(d, "AB");
        Range(d, 5, 10);
        d.chkPrint->setChecked(true);
        d.chkUntitled->setChecked(true);
        d.edtPath->setText(Out());
    });
    // Shown as the user sees it: the bar's text fits and the window keeps its width.
    w.resize(900, 600);
    w.show();
    QStringList progress;
    int widestWindow = 0, textRoom = 1000;
    QObject::connect(RunProgress(w), &QProgressBar::valueChanged, [&](int value) {
        progress << QString("%1/%2 %3")
                        .arg(value)
                        .arg(RunProgress(w)->maximum())
                        .arg(RunProgress(w)->format());
        widestWindow = std::max(widestWindow, w.width());
        if (value > 0) // laid out since it appeared
            textRoom = std::min(textRoom, RunProgress(w)->width() -
                                              RunProgress(w)->fontMetrics().horizontalAdvance(
                                                  RunProgress(w)->text()));
    });
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(5000));
    EXPECT_EQ(widestWindow, 900);
    EXPECT_GT(textRoom, 0);
    ASSERT_EQ(progress.size(), 16);
    EXPECT_EQ(progress[0], "0/16 Bank A: preset 5 of 10");
    EXPECT_EQ(progress[6], "6/16 Bank B: preset 1 of 10");
    EXPECT_EQ(progress[15], "15/16 Bank B: preset 10 of 10");

    QStringList lines{"Bank         |  Preset#     |  Title                      "};
    for (const auto& [bank, first] : {std::pair{0, 5}, {1, 1}})
        for (int n = first; n <= 10; ++n) {
            auto title = QString::fromStdString(FactoryPresetTitle(bank, n - 1));
            if (title.isEmpty()) // bank B's preset 7
                title = "Untitled";
            const QString folder = Path(QString("Bank %1").arg(QChar('A' + bank)));
            const QString name = QString::fromStdString(
                SafeFileName((title + QString(".hrz%1").arg(n, 3, 10, QChar('0'))).toStdString()));
            EXPECT_EQ(FileBytes(QDir(folder).filePath(name)), UnitPresetFile(bank, n - 1))
                << name.toStdString();
            lines << Line(QChar('A' + bank), n, title);
        }
    EXPECT_EQ(Files(Path("Bank A")).size(), 6);
    EXPECT_EQ(Files(Path("Bank B")).size(), 10);
    EXPECT_EQ(printer.Lines().mid(3), lines);
    EXPECT_EQ(printer.DocumentsEnded(), 1);
    EXPECT_TRUE(Log().contains("Preset title print in progress"));
    EXPECT_EQ(Log().back(), "Printout recorded");
}

TEST_F(BackupRunTest, PrintOnlyListsTitlesOnPagesWithHeadersAndColumnHeadsOnce) {
    TRecordingPrinterCanvas shortPages({600, 600, 4800, 2000}); // bottom 1900
    TScopedPrinter use(shortPages);
    auto& w = StartOnUnitWithTitles({});
    AnswerOptions([&](TfrmBkupOpt& d) {
        EXPECT_FALSE(d.chkSave->isChecked());
        EXPECT_TRUE(d.chkPrint->isChecked());
        EXPECT_FALSE(d.edtPath->isEnabled());
        Banks(d, "D");
        Range(d, 15, 30); // 21 is untitled
        d.edtPath->setText(Out());
    });
    w.StartBackup(false);
    ASSERT_TRUE(WaitForRunEnd(5000));
    EXPECT_FALSE(QDir(Out()).exists());
    EXPECT_TRUE(Log().contains("Preset #21 is untitled (not saved)"));
    EXPECT_FALSE(Log().contains("Backup in progress"));

    const auto texts = shortPages.TextsOf();
    ASSERT_EQ(shortPages.PageCount(), 3);
    const int lh = 160;
    const int cw = 50;
    for (int page = 1; page <= 3; ++page) {
        const TPrintedText* header = shortPages.Find(QString("Page: %1").arg(page));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(std::tie(header->Page, header->X, header->Y),
                  std::make_tuple(page, LeftMargin, lh));
    }
    std::vector<const TPrintedText*> headings;
    std::vector<const TPrintedText*> heads;
    for (const auto& t : texts) {
        if (t.Text == "HRZ2000e Preset Listing")
            headings.push_back(&t);
        if (t.Text.startsWith("Title "))
            heads.push_back(&t);
    }
    ASSERT_EQ(headings.size(), 3u);
    for (const auto* h : headings) {
        EXPECT_EQ(h->X, 2400 - 11 * cw);
        EXPECT_EQ(h->Y, 2 * lh);
        EXPECT_EQ(h->Style, fsBold | fsUnderline);
    }
    ASSERT_EQ(heads.size(), 1u); // column heads on the first page only
    EXPECT_EQ(heads[0]->Page, 1);
    EXPECT_EQ(heads[0]->Style, fsBold | fsUnderline);
    EXPECT_EQ(heads[0]->X, LeftMargin + 30 * cw);
    // Lines from 7 line heights down to the bottom, then on from 6 down.
    const TPrintedText* first = shortPages.Find("15");
    EXPECT_EQ(std::tie(first->X, first->Y, first->Style),
              std::make_tuple(LeftMargin + 15 * cw, 7 * lh, fsNormal));
    const TPrintedText* last = shortPages.Find("19");
    EXPECT_EQ(std::tie(last->Page, last->Y), std::make_tuple(1, 11 * lh));
    const TPrintedText* next = shortPages.Find("20");
    EXPECT_EQ(std::tie(next->Page, next->Y), std::make_tuple(2, 6 * lh));
    EXPECT_EQ(shortPages.Find("21"), nullptr);
    EXPECT_EQ(shortPages.Find("26")->Y, 11 * lh);
    EXPECT_EQ(shortPages.Find("30")->Page, 3);
    // Where the printout went stays in the status bar.
    EXPECT_EQ(Status(), "Printout recorded");
    EXPECT_EQ(UnitBank(), 1);
    EXPECT_FALSE(w.BackupRun().PrintActive);
}

TEST_F(BackupRunTest, PreExpressHasOneBankNoBankFoldersAndNoBankColumn) {
    store->WriteBool("PRE_EXPRESS", true);
    TUnitOptions options;
    options.PreExpress = true;
    auto& w = StartOnUnitWithTitles({{0, 0, "Clean"}, {0, 1, "Lead/Solo"}}, options);
    AnswerOptions([&](TfrmBkupOpt& d) {
        EXPECT_EQ(d.lblCurrentBank->text(), "Pre-Express unit - single bank");
        EXPECT_TRUE(d.chkBank[0]->isChecked());
        EXPECT_FALSE(d.chkBank[1]->isChecked());
        Range(d, 1, 2);
        d.chkPrint->setChecked(true);
        d.edtPath->setText(Out());
    });
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(5000));
    EXPECT_EQ(Files(Out()), (QStringList{"Clean.hrz001", "Lead-Solo.hrz002"}));
    EXPECT_EQ(FileBytes(Path("Clean.hrz001")), UnitPresetFile(0, 0));
    EXPECT_EQ(Log().first(), "Begin processing of Pre-Express presets");
    EXPECT_EQ(printer.Lines().mid(3),
              (QStringList{"Preset#     |  Title                      ", Line("", 1, "Clean"),
                           Line("", 2, "Lead/Solo")}));
    EXPECT_EQ(printer.Find("Clean")->X, LeftMargin + 15 * 50);
}

TEST_F(BackupRunTest, EarlyStopsOpenNoPrintJob) {
    auto& w = StartOnUnitWithTitles({});
    AnswerOptions([&](TfrmBkupOpt& d) {
        Banks(d, "");
        d.chkPrint->setChecked(true);
        d.edtPath->setText(Out());
    });
    w.StartBackup(true);
    EXPECT_EQ(Status(), "Invalid bank selection");
    EXPECT_FALSE(w.BackupRun().RunActive);
    EXPECT_EQ(w.CurrentBank, 1);

    AnswerOptions([&](TfrmBkupOpt& d) {
        d.chkPrint->setChecked(true);
        d.edtPath->setText("");
    });
    const int lines = w.LogCount();
    w.StartBackup(true);
    EXPECT_EQ(w.LogCount(), lines); // nothing happens after OK
    EXPECT_FALSE(w.BackupRun().RunActive);
    EXPECT_EQ(printer.DocumentsBegun(), 0);
    EXPECT_FALSE(w.BackupRun().PrintActive);

    dialogs.service.QueueModal([](QDialog&) { return int(mrCancel); });
    w.StartBackup(false);
    EXPECT_EQ(Status(), "Procedure cancelled");
}

TEST_F(BackupRunTest, ForeignAndSecondAnswersAreNotTakenForPresets) {
    auto& w = StartOnTestPlatform();
    w.BackupRun().RunActive = true;
    w.BackupRun().RunLastIndex = 5;
    w.BackupRun().RunPresetIndex = 0;
    w.BackupRun().RunAwaitingDump = true;
    TBytes table = PresetDump("Not a preset");
    table[4] = 0x13; // 252 bytes, but not a preset dump's header
    platform.InjectSysex(0, table, 0);
    Wait(2 * kDelay);
    EXPECT_EQ(w.BackupRun().RunPresetIndex, 0);
    EXPECT_EQ(w.MessageBufferCount, 0u);

    // Two answers to one request: the second one is not preset 2.
    platform.InjectSysex(0, PresetDump("First"), 0);
    platform.InjectSysex(0, PresetDump("Again"), 0);
    Wait(4 * kDelay);
    EXPECT_EQ(w.BackupRun().RunPresetIndex, 1);
    EXPECT_EQ(BufferTitle(w), "First");
    w.BackupRun().RunActive = false;
}

TEST_F(BackupRunTest, DroppedRepliesAreAskedForAgainAndEveryFileIsRight) {
    TUnitOptions options;
    options.Faults.DropEvery = 5; // the online check's two replies, then presets 1, 2, (3)
    auto& w = StartOnUnitWithTitles({}, options);
    AnswerOptions([&](TfrmBkupOpt& d) {
        Banks(d, "A");
        Range(d, 1, 5);
        d.edtPath->setText(Out());
    });
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(30000));
    // The watchdog asks again for a lost dump; a lost preset number reply has
    // the preset selected again.
    const QStringList log = Log();
    EXPECT_TRUE(
        log.contains("Last request timed out; restarting") ||
        std::any_of(log.begin(), log.end(),
                    [](const QString& line) { return line.endsWith("selecting it again"); }))
        << log.join('\n').toStdString();
    ASSERT_EQ(Files(Path("Bank A")).size(), 5);
    for (int i = 0; i < 5; ++i) {
        const QString name = QString::fromStdString(
            SafeFileName(FactoryPresetTitle(0, i) +
                         QString(".hrz%1").arg(i + 1, 3, 10, QChar('0')).toStdString()));
        EXPECT_EQ(FileBytes(Path("Bank A/" + name)), UnitPresetFile(0, i)) << name.toStdString();
    }
}

TEST_F(BackupRunTest, AFolderThatCannotBeWrittenIsReportedAndNothingIsLost) {
    const QString bankA = Path("Bank A");
    ASSERT_TRUE(QDir().mkpath(bankA));
    const QString name = QString::fromStdString(SafeFileName(FactoryPresetTitle(0, 0) + ".hrz001"));
    {
        QFile old(QDir(bankA).filePath(name));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older file");
    }
    QFile::setPermissions(bankA, QFile::ReadOwner | QFile::ExeOwner);
    const auto writable = [&] {
        QFile probe(QDir(bankA).filePath("probe"));
        const bool ok = probe.open(QIODevice::WriteOnly);
        probe.remove();
        return ok;
    };
    bool immutable = false;
    if (writable()) // the superuser writes anyway, unless the folder is immutable
        immutable = QProcess::execute("chattr", {"+i", bankA}) == 0;
    if (writable())
        GTEST_SKIP() << "cannot make a folder unwritable here";
    const auto release = [&] {
        if (immutable)
            QProcess::execute("chattr", {"-i", bankA});
        QFile::setPermissions(bankA, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };

    auto& w = StartOnUnitWithTitles({});
    AnswerOptions([&](TfrmBkupOpt& d) {
        Banks(d, "A");
        Range(d, 1, 1);
        d.edtPath->setText(Out());
    });
    w.StartBackup(true);
    for (int i = 0; i < 200 && Messages().empty(); ++i)
        Wait(10);
    const auto messages = Messages();
    release();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("Cannot create file"))
        << messages[0].text.toStdString();
    EXPECT_TRUE(w.BackupRun().RunActive); // the watchdog asks again
    EXPECT_EQ(Files(bankA), QStringList{name});
    EXPECT_EQ(FileBytes(QDir(bankA).filePath(name)), QByteArray("an older file"));

    // Once the folder can be written, the repeated request completes the run.
    ASSERT_TRUE(WaitForRunEnd(30000));
    EXPECT_EQ(Files(bankA), QStringList{name});
    EXPECT_EQ(FileBytes(QDir(bankA).filePath(name)), UnitPresetFile(0, 0));
}

// A select that never reaches the unit would give the previous preset under
// this one's number; the run sees the unit on the wrong preset and selects again.
TEST_F(BackupRunTest, ALostSelectIsRepeatedAndEveryFileHoldsThePresetItIsNamedAfter) {
    TUnitOptions options;
    options.StatePath = dir.filePath("unit.state").toStdString();
    THrzUnitMemory memory(false);
    memory.CurrentBank = 1;
    SaveUnitMemory(options.StatePath, memory);
    unit = std::make_unique<TVirtualUnitMidiPlatform>(options);
    bool lostOne = false;
    losing = std::make_unique<TLosingPlatform>(*unit, [&](const TBytes& b) {
        // The select for preset #3 (index 2), once.
        const bool lose = !lostOne && b.size() == 8 && b[4] == 0x09 && b[5] == 2 && b[6] == 0;
        lostOne = lostOne || lose;
        return lose;
    });
    SetMidiPlatform(losing.get());
    store->WriteString("MIDI_IN", TVirtualUnitMidiPlatform::DeviceName);
    store->WriteString("MIDI_OUT", TVirtualUnitMidiPlatform::DeviceName);
    auto& w = Start();
    AnswerRun("A", 1, 5, Out());
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(20000));

    EXPECT_EQ(losing->Lost(), 1);
    QStringList names;
    for (int i = 0; i < 5; ++i)
        names << FactoryFileName(0, i);
    names.sort();
    ASSERT_EQ(Files(Path("Bank A")), names);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(FileBytes(Path("Bank A/" + FactoryFileName(0, i))), UnitPresetFile(0, i)) << i;
    EXPECT_TRUE(Log().contains("Preset #3: the unit is on preset 2; selecting it again"))
        << Log().join('\n').toStdString();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Procedure is complete");
}

// A unit that listens on another MIDI channel obeys none of the program
// changes: no preset is saved under a number it was not confirmed on, and
// the closing message says which ones were left.
TEST_F(BackupRunTest, AUnitIgnoringProgramChangesGetsNoFileUnderAnotherNumber) {
    store->WriteInteger("MIDI_OUT_CH", 1);
    TUnitOptions options;
    options.Channel = 1;
    auto& w = StartOnUnitWith(
        [](THrzUnitMemory& m) {
            m.CurrentBank = 0;
            m.CurrentPreset = 99;
            m.RecallCurrent();
        },
        options);
    AnswerOptions([&](TfrmBkupOpt& d) {
        Banks(d, "A");
        d.SetLoopMethod(1);
        Range(d, 1, 3);
        d.edtPath->setText(Out());
    });
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(30000));

    EXPECT_EQ(Files(Path("Bank A")), QStringList{}) << Log().join('\n').toStdString();
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(Log().contains(
            QString("Preset #%1 could not be selected (the unit stayed on preset 100): not saved")
                .arg(n)))
            << Log().join('\n').toStdString();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              "Procedure is complete, but 3 presets were not saved, because the unit could not be "
              "confirmed to be on it: A 001, A 002, A 003.");
    EXPECT_EQ(Messages()[0].caption, "Sorry...");
    EXPECT_EQ(Status(), "Procedure is complete; 3 not saved");
}

// By program change each step must reach the preset the unit's table names.
TEST_F(BackupRunTest, ByProgramChangeTheTableSaysWhichPresetEachFileHolds) {
    auto& w = StartOnUnitWith([](THrzUnitMemory& m) {
        m.CurrentBank = 0;
        m.Table.Entries[0] = 5;
        m.Table.Entries[1] = 7;
    });
    AnswerOptions([&](TfrmBkupOpt& d) {
        Banks(d, "A");
        d.SetLoopMethod(1);
        Range(d, 1, 2);
        d.edtPath->setText(Out());
    });
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(20000));
    const auto name = [](int index, int number) {
        return QString::fromStdString(
            SafeFileName(FactoryPresetTitle(0, index) +
                         QString(".hrz%1").arg(number, 3, 10, QChar('0')).toStdString()));
    };
    EXPECT_EQ(FileBytes(Path("Bank A/" + name(5, 1))), UnitPresetFile(0, 5));
    EXPECT_EQ(FileBytes(Path("Bank A/" + name(7, 2))), UnitPresetFile(0, 7));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Procedure is complete");
}

// Closing the main window during a run asks first; stopping puts the unit
// back on the bank it was on and the log says where the run stopped.
TEST_F(BackupRunTest, ClosingDuringABackupAsksAndTheStoppedRunPutsTheUnitBackOnItsBank) {
    auto& w = StartOnUnitWithTitles({}); // bank B selected
    w.show();
    bool kept = false;
    bool closed = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &w, [&] {
        if (w.BackupRun().RunPresetsDone < 2)
            return;
        closer.stop();
        dialogs.service.QueueResult(mrNo);
        kept = !w.close() && w.BackupRun().RunActive;
        dialogs.service.QueueResult(mrYes);
        closed = w.close();
    });
    closer.start(1);
    AnswerRun("A", 1, 20, Out());
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(20000));
    EXPECT_TRUE(kept);
    EXPECT_TRUE(closed);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "A backup is running. Stop it and quit?");
    EXPECT_EQ(messages[1].text, "A backup is running. Stop it and quit?");
    EXPECT_EQ(UnitBank(), 1);
    const QStringList log = Log();
    const auto stopped = std::find_if(log.begin(), log.end(), [](const QString& line) {
        return line.startsWith("Stopped at preset A 00");
    });
    ASSERT_NE(stopped, log.end()) << log.join('\n').toStdString();
    const int at = stopped->mid(QString("Stopped at preset A ").size(), 3).toInt();
    // Every preset before it is in its file, none after.
    EXPECT_EQ(Files(Path("Bank A")).size(), at - 1);
    EXPECT_TRUE(log.contains("Procedure aborted"));
}

} // namespace
