// The run that walks the unit's presets: each preset that arrives is saved
// and/or printed and the next one requested; the request timer repeats a
// request that got no answer.
#include "app/frm_bkup_opt.h"
#include "app/frm_main.h"
#include "app/unit_store.h"
#include "controls/app_error_handler.h"
#include "controls/delay_with_messages.h"
#include "controls/dialog_service.h"
#include "controls/model_path.h"
#include "controls/tick_source.h"
#include "editor/print_helpers.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "library/unit_recorder.h"
#include "midi/midi_output.h"
#include "model/backup_journal.h"
#include "model/device_globals.h"
#include "model/hrz_messages.h"
#include "model/safe_file_name.h"
#include "model/stream.h"
#include "model/unit_location.h"
#include "settings/lv_reg_util.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <exception>

using namespace HrzMessages;

namespace {

QString Letter(int bank) {
    return QString::fromStdString(BankLetter(bank));
}

// Sets a flag for the lifetime of the guard.
class TFlagSet {
public:
    explicit TFlagSet(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagSet() { flag_ = false; }
    TFlagSet(const TFlagSet&) = delete;
    TFlagSet& operator=(const TFlagSet&) = delete;

private:
    bool& flag_;
};

QString ListHeading() {
    return QApplication::applicationName() + " Preset Listing";
}

// The list's preset column: after the bank column and its separator, or first
// when there is only one bank.
int PresetColumnX() {
    return PreExpressMode ? LeftMargin : LeftMargin + (ColumnChars + SeparatorChars) * CharWidth;
}

} // namespace

// ---- Starting ----

void TfrmMain::SetUpBackupDialog(TfrmBkupOpt& dialog, bool saveFiles) {
    if (PreExpressMode)
        dialog.lblCurrentBank->setText("Pre-Express unit - single bank");
    else if (CurrentBank < 0 || CurrentBank > 3)
        dialog.lblCurrentBank->setText("Cannot determine current bank");
    else
        dialog.lblCurrentBank->setText("Currently selected bank: " + Letter(CurrentBank));
    dialog.chkBank[0]->setChecked(true);
    for (std::size_t b = 1; b < 4; ++b)
        dialog.chkBank[b]->setChecked(!PreExpressMode);
    dialog.SetLoopMethod(0);
    dialog.edtFirstNo->setText("1");
    dialog.edtLastNo->setText("200");
    dialog.chkUntitled->setChecked(false);
    dialog.edtUntitled->setText("Untitled");
    dialog.chkSave->setChecked(saveFiles);
    dialog.chkPrint->setChecked(!saveFiles);
    dialog.chkSaveClick();
    dialog.chkPrintClick();
    dialog.edtPath->setText(QDir::toNativeSeparators(ProposedRunFolder()));
    ApplyLastRunChoices(dialog);
}

QString TfrmMain::ProposedRunFolder() const {
    // The pane inside a bank folder would make "Bank A/Bank A": its parent holds the banks.
    QDir folder(FilePane->CurrentFolder());
    if (QRegularExpression("^Bank [A-D]$").match(folder.dirName()).hasMatch() && folder.cdUp())
        return folder.path() + QDir::separator();
    return FilePane->CurrentFolder();
}

// The last run's folder and choices come back, as they were typed.
void TfrmMain::ApplyLastRunChoices(TfrmBkupOpt& dialog) const {
    if (!Settings || Settings->ReadInteger("LAST_RUN_BANKS", true, -1) < 0)
        return;
    const int banks = Settings->ReadInteger("LAST_RUN_BANKS", true, 15);
    if (!PreExpressMode)
        for (std::size_t b = 0; b < 4; ++b)
            dialog.chkBank[b]->setChecked((banks >> b) & 1);
    dialog.SetLoopMethod(Settings->ReadBool("LAST_RUN_BY_NUMBER", true, true) ? 0 : 1);
    dialog.edtFirstNo->setText(QString::number(Settings->ReadInteger("LAST_RUN_FIRST", true, 1)));
    dialog.edtLastNo->setText(QString::number(Settings->ReadInteger("LAST_RUN_LAST", true, 200)));
    const QString untitled = Settings->ReadString("LAST_RUN_UNTITLED", true);
    dialog.chkUntitled->setChecked(!untitled.isEmpty());
    if (!untitled.isEmpty())
        dialog.edtUntitled->setText(untitled);
    dialog.chkUntitledClick();
    const QString folder = Settings->ReadString("LAST_RUN_FOLDER", true);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.edtPath->setText(QDir::toNativeSeparators(folder));
}

void TfrmMain::KeepRunChoices(const TfrmBkupOpt& dialog) {
    if (!Settings)
        return;
    int banks = 0;
    for (std::size_t b = 0; b < 4; ++b)
        banks |= dialog.chkBank[b]->isChecked() ? 1 << b : 0;
    Settings->WriteInteger("LAST_RUN_BANKS", banks);
    Settings->WriteBool("LAST_RUN_BY_NUMBER", dialog.LoopMethod() == 0);
    Settings->WriteInteger("LAST_RUN_FIRST", dialog.FirstNo());
    Settings->WriteInteger("LAST_RUN_LAST", dialog.LastNo());
    Settings->WriteString("LAST_RUN_UNTITLED", dialog.UntitledName());
    Settings->WriteString("LAST_RUN_FOLDER", dialog.Path());
}

void TfrmMain::StartBackup(bool saveFiles) {
    StartRun(saveFiles, false);
}

void TfrmMain::StartRun(bool saveFiles, bool compare) {
    // One run at a time; the menus stay open during the waits of a run.
    if (RunActive || startingRun_) {
        ShowMessage(this, "A run is in progress. Press Ctrl-c to abort it before starting another.",
                    "Sorry...");
        return;
    }
    if (!OutputReady(true))
        return;
    TFlagSet starting(startingRun_);
    CheckOnline();

    bool printList = false;
    int first = 1;
    int last = 1;
    {
        TfrmBkupOpt dialog(this);
        SetUpBackupDialog(dialog, saveFiles || compare);
        if (compare)
            dialog.SetCompareMode();
        if (Dialogs().ExecModal(dialog) != mrOk) {
            ShowStatus("Procedure cancelled");
            return;
        }
        KeepRunChoices(dialog);
        OutputDirectory = dialog.Path();
        for (std::size_t b = 0; b < 4; ++b)
            RunBanks[b] = dialog.chkBank[b]->isChecked();
        RunByPresetNumber = dialog.LoopMethod() == 0;
        RunSaveFiles = !compare && dialog.chkSave->isChecked();
        printList = !compare && dialog.chkPrint->isChecked();
        first = dialog.FirstNo();
        last = dialog.LastNo();
        UntitledName = dialog.UntitledName();
    }

    if (compare && !PrepareComparison(first, last))
        return;
    // The list's print job opens only once the run is sure to start, so an
    // early stop leaves no job open and no page printed with headings only.
    if (RunSaveFiles) {
        if (OutputDirectory.isEmpty()) {
            RunSaveFiles = false;
            return;
        }
        if (!OutputDirectory.endsWith('/') && !OutputDirectory.endsWith(QDir::separator()))
            OutputDirectory += QDir::separator();
        if (!QDir(OutputDirectory).exists())
            QDir().mkdir(OutputDirectory);
    }
    int banks = 1;
    if (!PreExpressMode) {
        AddLogLine("Originally selected Bank is: " + Letter(CurrentBank));
        OriginalBank = CurrentBank;
        CurrentBank = -1;
        NextSelectedBank();
        if (CurrentBank == -1) {
            // Nothing was selected: the unit is still on the bank it was.
            CurrentBank = OriginalBank;
            RunSaveFiles = false;
            runCompare_ = false;
            ShowStatus("Invalid bank selection");
            return;
        }
        banks = static_cast<int>(std::count(RunBanks.begin(), RunBanks.end(), true));
    }
    std::optional<TRunPosition> resume;
    if (RunSaveFiles && !OfferToContinue(first, last, resume)) {
        if (!PreExpressMode)
            CurrentBank = OriginalBank;
        RunSaveFiles = false;
        ShowStatus("Procedure cancelled");
        return;
    }
    if (resume && !PreExpressMode)
        CurrentBank = resume->Bank;
    try {
        SetPrintActive(printList);
    } catch (...) {
        if (!PreExpressMode)
            CurrentBank = OriginalBank;
        RunSaveFiles = false;
        journalActive_ = false;
        throw;
    }
    if (!PreExpressMode) {
        if (RunSaveFiles)
            TouchFolder(BankFolder(CurrentBank), Letter(CurrentBank));
        SelectBank(CurrentBank);
    }
    DelayWithMessages(static_cast<std::uint32_t>(2 * RequestDelay));
    AddLogLine(PreExpressMode ? QString("Begin processing of Pre-Express presets")
                              : "Begin processing of Bank " + Letter(CurrentBank));
    RunPresetsTotal = (last - first + 1) + (banks - 1) * last;
    RunPresetIndex = first - 1;
    RunLastIndex = last - 1;
    RunPresetsDone = 0;
    if (resume) {
        RunPresetIndex = resume->Index;
        RunPresetsDone = PresetsBefore(runJournal_.Choices, *resume);
        AddLogLine(
            "Continuing after preset " +
            LocationText(PreExpressMode ? -1 : runJournal_.LastBank, runJournal_.LastNumber));
    }
    RunActive = true;
    EnableRunCommands(false);
    ++runNumber_;
    RunUnconfirmed.clear();
    timPresetReq->setInterval(RequestDelay * 10);
    timPresetReq->start();
    // By program change the unit's table says which preset each step must reach.
    if (!RunByPresetNumber && !FetchRunTable()) {
        if (!RunActive)
            return;
        StopRun();
        const QString text = "The unit did not send its program table, so the presets selected "
                             "by program change could not be checked. Nothing was saved.";
        AddLogLine(text);
        ShowStatus("Procedure aborted");
        ShowMessage(this, text, "Sorry...");
        return;
    }
    if (RunSaveFiles) {
        AddLogLine("Backup in progress");
        AddLogLine("Output directory: " + OutputDirectory);
    }
    if (runCompare_) {
        AddLogLine("Comparison in progress");
        AddLogLine("Backup folder: " + compareFolder_);
    }
    if (PrintActive)
        AddLogLine("Preset title print in progress");
    AddLogLine("Press Ctrl-c to abort");
    ShowStatus("Press Ctrl-c to abort");
    ShowRunProgress();
    RequestPreset();
}

// ---- Each preset ----

void TfrmMain::HandleRunEvent(std::unique_ptr<TMyMidiEvent> event) {
    // Only a preset dump counts; anything else that is 252 bytes long would
    // be saved under a preset's number.
    if (!event->HasSysex() || !IsPresetDump(event->Sysex.data(), event->Sysex.size()))
        return;
    // A second answer to one request (the watchdog asked again while the
    // first was on its way) would be taken for the next preset.
    if (!RunAwaitingDump)
        return;
    RunAwaitingDump = false;
    MessageBufferBytes.fill(0);
    std::copy(event->Sysex.begin(), event->Sysex.end(), MessageBufferBytes.begin());
    MessageBufferCount = static_cast<std::uint32_t>(PresetDumpLength);
    // The last preset ends the run, and with it the saving flag.
    const bool saving = RunSaveFiles;
    HandleRunPreset();
    if (!saving)
        AddEventLine(std::move(event));
}

QString TfrmMain::BankFolder(int bank) const {
    return OutputDirectory + "Bank " + Letter(bank) + QDir::separator();
}

void TfrmMain::SavePresetFile(const QString& name) {
    const QString folder = PreExpressMode ? OutputDirectory : BankFolder(CurrentBank);
    WriteFileAtomically(ModelPath(folder + name), MessageBufferBytes.data(), PresetDumpLength);
    AddLogLine(QString("Preset #%1 received: %2").arg(RunPresetIndex + 1).arg(name));
}

void TfrmMain::PrintPresetLine(const QString& title) {
    if (PageBottomReached()) {
        NewPrintPage();
        PrintPageHeader("");
        PrintHeading(ListHeading());
    }
    const int presetX = PresetColumnX();
    if (!PreExpressMode) {
        PrintAt(LeftMargin, Letter(CurrentBank));
        PrintAt(LeftMargin + ColumnChars * CharWidth, ColumnSeparator);
    }
    PrintAt(presetX, QString::number(RunPresetIndex + 1));
    PrintAt(presetX + ColumnChars * CharWidth, ColumnSeparator);
    PrintAt(presetX + (ColumnChars + SeparatorChars) * CharWidth, title);
    NextLine();
}

void TfrmMain::HandleRunPreset() {
    const int number = RunPresetIndex + 1;
    UnitRecorder::Record({MessageBufferBytes.data(), PresetDumpLength},
                         runCompare_ ? "compare with folder" : "backup run",
                         PreExpressMode ? -1 : CurrentBank, number);
    if (RunByPresetNumber)
        NoteUnitTitle(CurrentBank, number, BufferPresetTitle().trimmed());
    QString title = BufferPresetTitle();
    if (title.isEmpty())
        title = UntitledName;
    if (runCompare_) {
        KeepForComparison();
    } else if (title.isEmpty()) {
        AddLogLine(QString("Preset #%1 is untitled (not saved)").arg(number));
    } else {
        // Saved before it is printed: a file error leaves the preset to be
        // asked for again, and it must not then be listed twice.
        if (RunSaveFiles)
            SavePresetFile(QString::fromStdString(SafeFileName(
                (title + ".hrz" + QString("%1").arg(number, 3, 10, QChar('0'))).toStdString())));
        if (PrintActive)
            PrintPresetLine(title);
    }
    if (journalActive_)
        NoteInJournal();
    LastReceptionTick = tick::GetTickCount();
    RunReceptionSeen = true;
    AdvanceRun();
}

void TfrmMain::AdvanceRun() {
    ++RunPresetsDone;
    if (RunPresetIndex < RunLastIndex) {
        ++RunPresetIndex;
        ShowRunProgress();
        RequestPreset();
        return;
    }
    NextSelectedBank();
    if (CurrentBank == -1) {
        if (!PreExpressMode) {
            CurrentBank = OriginalBank;
            SelectBank(OriginalBank);
        }
        // Complete: nothing is left to continue.
        if (journalActive_)
            RemoveBackupJournal(JournalFolder());
        const bool comparing = runCompare_;
        EndRun();
        if (comparing) {
            ShowComparison();
            return;
        }
        FilePane->RefreshFileList();
        const QString unsaved = UnconfirmedSummary();
        if (!unsaved.isEmpty()) {
            AddLogLine(unsaved);
            ShowStatus(QString("Procedure is complete; %1 not saved").arg(RunUnconfirmed.size()));
            ShowMessage(this, "Procedure is complete, but " + unsaved, "Sorry...");
            return;
        }
        ShowMessage(this, "Procedure is complete", "Congratulations...");
        return;
    }
    if (RunSaveFiles)
        TouchFolder(BankFolder(CurrentBank), Letter(CurrentBank));
    SelectBank(CurrentBank);
    AddLogLine("Begin processing Bank " + Letter(CurrentBank));
    DelayWithMessages(static_cast<std::uint32_t>(2 * RequestDelay));
    RunPresetIndex = 0;
    ShowRunProgress();
    RequestPreset();
}

void TfrmMain::TouchFolder(const QString& path, const QString& bank) {
    if (QDir().mkdir(path))
        AddLogLine("Created subdirectory for bank " + bank);
}

void TfrmMain::NextSelectedBank() {
    if (PreExpressMode) {
        CurrentBank = -1;
        return;
    }
    for (;;) {
        ++CurrentBank;
        if (CurrentBank > 3) {
            CurrentBank = -1;
            return;
        }
        if (RunBanks[static_cast<std::size_t>(CurrentBank)])
            return;
    }
}

void TfrmMain::ShowRunProgress() {
    const QString preset = QString("preset %1 of %2").arg(RunPresetIndex + 1).arg(RunLastIndex + 1);
    prgRun->setFormat(PreExpressMode ? "Pre-Express " + preset
                                     : "Bank " + Letter(CurrentBank) + ": " + preset);
    prgRun->setRange(0, std::max(1, RunPresetsTotal));
    prgRun->setValue(std::min(RunPresetsDone, RunPresetsTotal));
    prgRun->show();
}

// ---- Ending ----

void TfrmMain::EndRun() {
    // The run is over even when the port or the printer fails below.
    RunActive = false;
    EnableRunCommands(true);
    RunSaveFiles = false;
    RunAwaitingDump = false;
    journalActive_ = false;
    runCompare_ = false;
    timPresetReq->stop();
    prgRun->hide();
    std::exception_ptr printError;
    try {
        SetPrintActive(false);
    } catch (...) {
        printError = std::current_exception();
    }
    if (MidiOut && MidiOut->IsOpen()) {
        MidiOut->SendShort(ControlChange, BankSelectCoarse, 0);
        MidiOut->SendShort(ControlChange, BankSelectFine, 0);
    }
    if (printError)
        std::rethrow_exception(printError);
}

void TfrmMain::StopRun() {
    const QString where = LocationText(PreExpressMode ? -1 : CurrentBank, RunPresetIndex + 1);
    EndRun();
    // The unit goes back to the bank it was on, as at the end of a whole run.
    if (!PreExpressMode && OriginalBank >= 0) {
        CurrentBank = OriginalBank;
        SelectBank(OriginalBank);
    }
    AddLogLine("Stopped at preset " + where + ", before it was received");
}

void TfrmMain::AbortRun() {
    StopRun();
    AddLogLine("Procedure aborted");
    ShowStatus("Procedure aborted");
}

bool TfrmMain::StopRunToClose() {
    if (!RunActive)
        return true;
    const QString what = runCompare_    ? "A comparison"
                         : RunSaveFiles ? "A backup"
                                        : "A preset list print";
    const int answer = Dialogs().MessageBox(this, what + " is running. Stop it and quit?",
                                            "Confirm", mbYes | mbNo, TMsgDlgType::mtConfirmation);
    if (answer != mrYes || !RunActive)
        return answer == mrYes;
    RunShowingErrors([this] { AbortRun(); }, this);
    return true;
}

// ---- The preset list ----

void TfrmMain::SetPrintActive(bool flag) {
    if (flag == PrintActive)
        return;
    if (flag) {
        BeginPresetList();
        PrintActive = true;
        return;
    }
    PrintActive = false;
    const QString where = EndPrintJob();
    if (!where.isEmpty()) {
        AddLogLine(where);
        ShowStatus(where);
    }
}

void TfrmMain::BeginPresetList() {
    BeginPrintJob(font(), ListHeading());
    try {
        PrintPageHeader("");
        PrintHeading(ListHeading());
        PrintListColumnHeads();
    } catch (...) {
        { TPrintJobGuard endsTheJob; }
        throw;
    }
}

void TfrmMain::PrintListColumnHeads() {
    TSavedFontStyle saved;
    Printer().SetFontStyle(fsBold | fsUnderline);
    const int presetX = PresetColumnX();
    if (!PreExpressMode) {
        PrintAt(LeftMargin, "Bank       ");
        PrintAt(LeftMargin + ColumnChars * CharWidth, ColumnSeparator);
    }
    PrintAt(presetX, "Preset#   ");
    PrintAt(presetX + ColumnChars * CharWidth, ColumnSeparator);
    PrintAt(presetX + (ColumnChars + SeparatorChars) * CharWidth, "Title                      ");
    NextLine();
}

// ---- The journal ----

std::string TfrmMain::JournalFolder() const {
    return ModelPath(OutputDirectory);
}

bool TfrmMain::OfferToContinue(int first, int last, std::optional<TRunPosition>& resume) {
    TBackupChoices choices;
    choices.Banks = PreExpressMode ? std::array<bool, 4>{true, false, false, false} : RunBanks;
    choices.First = first;
    choices.Last = last;
    choices.ByPresetNumber = RunByPresetNumber;
    choices.UntitledName = UntitledName.toStdString();
    choices.PreExpress = PreExpressMode;

    runJournal_ = TBackupJournal{choices, -1, 0};
    const auto kept = ReadBackupJournal(JournalFolder());
    if (kept && kept->Choices == choices) {
        if (const auto position = ResumePosition(*kept)) {
            const int answer = Dialogs().MessageBox(
                this,
                "A backup into this folder with the same choices ended early, after preset " +
                    LocationText(PreExpressMode ? -1 : kept->LastBank, kept->LastNumber) +
                    ".\n\nYes continues after it; No runs the whole backup again.",
                "Continue backup", mbYes | mbNo | mbCancel, TMsgDlgType::mtConfirmation);
            if (answer == mrCancel)
                return false;
            if (answer == mrYes) {
                resume = position;
                runJournal_ = *kept;
            }
        }
    }
    // Written before the first request: a run stopped at once still leaves its choices.
    WriteBackupJournal(JournalFolder(), runJournal_);
    journalActive_ = true;
    return true;
}

void TfrmMain::NoteInJournal() {
    runJournal_.LastBank = PreExpressMode ? 0 : CurrentBank;
    runJournal_.LastNumber = RunPresetIndex + 1;
    WriteBackupJournal(JournalFolder(), runJournal_);
}
