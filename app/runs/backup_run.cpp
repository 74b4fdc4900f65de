#include "app/runs/backup_run.h"

#include "app/window/unit_store.h"
#include "controls/model_path.h"
#include "editor/print_helpers.h"
#include "library/unit_recorder.h"
#include "model/device_globals.h"
#include "model/hrz_messages.h"
#include "model/safe_file_name.h"
#include "model/stream.h"
#include "model/unit_location.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>
#include <exception>

using namespace HrzMessages;

namespace {

QString Letter(int bank) {
    return QString::fromStdString(BankLetter(bank));
}

QString ListHeading() {
    return QApplication::applicationName() + " Preset Listing";
}

// The list's preset column: after the bank column and its separator, or first
// when there is only one bank.
int PresetColumnX() {
    return PreExpressMode ? LeftMargin : LeftMargin + (ColumnChars + SeparatorChars) * CharWidth;
}

} // namespace

TBackupRun::TBackupRun(IUnitLink& link, TRunHost& host, int& currentBank)
    : CurrentBank(currentBank), link_(link), host_(host) {}

void TBackupRun::Message(const QString& text, const QString& caption) {
    Tell(host_.Ask, text, caption, mbOK, TMsgDlgType::mtInformation);
}

// ---- Starting ----

void TBackupRun::Start(const TRunChoices& choices, bool compare) {
    OutputDirectory = choices.Folder;
    RunBanks = choices.Walk.Banks;
    RunByPresetNumber = choices.Walk.ByPresetNumber;
    RunSaveFiles = !compare && choices.SaveFiles;
    const bool printList = !compare && choices.PrintList;
    const int first = choices.Walk.First;
    const int last = choices.Walk.Last;
    UntitledName = QString::fromStdString(choices.Walk.UntitledName);
    // A run that does not get going leaves the unit's bank as it was known and
    // saves nothing.
    const int bankBefore = CurrentBank;
    auto undo = qScopeGuard([&] {
        CurrentBank = bankBefore;
        RunSaveFiles = false;
        compare_.Active = false;
        journalActive_ = false;
    });

    if (compare && !compare_.Prepare(OutputDirectory, UntitledName, host_))
        return;
    // The list's print job opens only once the run is sure to start, so an
    // early stop leaves no job open and no page printed with headings only.
    if (RunSaveFiles) {
        if (OutputDirectory.isEmpty())
            return;
        if (!OutputDirectory.endsWith('/') && !OutputDirectory.endsWith(QDir::separator()))
            OutputDirectory += QDir::separator();
        if (!QDir(OutputDirectory).exists())
            QDir().mkdir(OutputDirectory);
    }
    int banks = 1;
    if (!PreExpressMode) {
        Tell(host_.AddLogLine, "Originally selected Bank is: " + Letter(CurrentBank));
        OriginalBank = CurrentBank;
        CurrentBank = -1;
        NextSelectedBank();
        if (CurrentBank == -1) {
            // Nothing was selected: the unit is still on the bank it was.
            Tell(host_.ShowStatus, "Invalid bank selection");
            return;
        }
        banks = static_cast<int>(std::count(RunBanks.begin(), RunBanks.end(), true));
    }
    std::optional<TRunPosition> resume;
    if (RunSaveFiles && !OfferToContinue(first, last, resume)) {
        Tell(host_.ShowStatus, "Procedure cancelled");
        return;
    }
    if (resume && !PreExpressMode)
        CurrentBank = resume->Bank;
    SetPrintActive(printList);
    if (!PreExpressMode) {
        if (RunSaveFiles)
            TouchFolder(BankFolder(CurrentBank), Letter(CurrentBank));
        Tell(host_.SelectBank, CurrentBank);
    }
    link_.Wait(static_cast<std::uint32_t>(2 * RequestDelay));
    Tell(host_.AddLogLine, PreExpressMode ? QString("Begin processing of Pre-Express presets")
                                          : "Begin processing of Bank " + Letter(CurrentBank));
    RunPresetsTotal = (last - first + 1) + (banks - 1) * last;
    RunPresetIndex = first - 1;
    RunLastIndex = last - 1;
    RunPresetsDone = 0;
    if (resume) {
        RunPresetIndex = resume->Index;
        RunPresetsDone = PresetsBefore(runJournal_.Choices, *resume);
        Tell(host_.AddLogLine,
             "Continuing after preset " +
                 LocationText(PreExpressMode ? -1 : runJournal_.LastBank, runJournal_.LastNumber));
    }
    RunActive = true;
    undo.dismiss();
    Tell(host_.EnableRunCommands, false);
    ++runNumber_;
    RunUnconfirmed.clear();
    Tell(host_.Watchdog, true);
    // By program change the unit's table says which preset each step must reach.
    if (!RunByPresetNumber && !FetchRunTable()) {
        if (!RunActive)
            return;
        StopRun();
        const QString text = "The unit did not send its program table, so the presets selected "
                             "by program change could not be checked. Nothing was saved.";
        Tell(host_.AddLogLine, text);
        Tell(host_.ShowStatus, "Procedure aborted");
        Message(text, "Sorry...");
        return;
    }
    if (RunSaveFiles) {
        Tell(host_.AddLogLine, "Backup in progress");
        Tell(host_.AddLogLine, "Output directory: " + OutputDirectory);
    }
    if (compare_.Active) {
        Tell(host_.AddLogLine, "Comparison in progress");
        Tell(host_.AddLogLine, "Backup folder: " + compare_.Folder);
    }
    if (PrintActive)
        Tell(host_.AddLogLine, "Preset title print in progress");
    Tell(host_.AddLogLine, "Press Ctrl-c to abort");
    Tell(host_.ShowStatus, "Press Ctrl-c to abort");
    ShowRunProgress();
    RequestPreset();
}

// ---- Each preset ----

void TBackupRun::RequestPreset() {
    // The watchdog comes back during a select's waits: one select at a time.
    if (!RunActive || runSelecting_)
        return;
    {
        QScopedValueRollback selecting(runSelecting_, true);
        if (!SelectRunPreset())
            return;
    }
    // What came before the request cannot be its answer.
    link_.DiscardInput();
    link_.SendLong(CurrentPresetRequest(DeviceChannel));
    RunAwaitingDump = true;
    Tell(host_.ShowStatus, QString("Requested preset #%1").arg(RunPresetIndex + 1));
}

void TBackupRun::WatchdogFired() {
    if (!RunReceptionSeen || link_.Now() - LastReceptionTick > kRunWatchdogMs) {
        const QString text = "Last request timed out; restarting";
        Tell(host_.AddLogLine, text);
        Tell(host_.ShowStatus, text);
        Tell(host_.AddLogLine, "Press Ctrl-c to abort");
        RequestPreset();
    }
}

void TBackupRun::HandleRunEvent(std::unique_ptr<TMyMidiEvent> event) {
    // Only a preset dump counts; anything else that is 252 bytes long would
    // be saved under a preset's number.
    if (!event->HasSysex() || !IsPresetDump(event->Sysex.data(), event->Sysex.size()))
        return;
    // A second answer to one request (the watchdog asked again while the
    // first was on its way) would be taken for the next preset.
    if (!RunAwaitingDump)
        return;
    RunAwaitingDump = false;
    dump_ = event->Sysex;
    Tell(host_.PresetReceived, dump_);
    // The last preset ends the run, and with it the saving flag.
    const bool saving = RunSaveFiles;
    HandleRunPreset();
    if (!saving)
        Tell(host_.Monitor, std::move(event));
}

QString TBackupRun::BankFolder(int bank) const {
    return OutputDirectory + "Bank " + Letter(bank) + QDir::separator();
}

void TBackupRun::SavePresetFile(const QString& name) {
    const QString folder = PreExpressMode ? OutputDirectory : BankFolder(CurrentBank);
    WriteFileAtomically(ModelPath(folder + name), dump_.data(), PresetDumpLength);
    Tell(host_.AddLogLine, QString("Preset #%1 received: %2").arg(RunPresetIndex + 1).arg(name));
}

void TBackupRun::PrintPresetLine(const QString& title) {
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

void TBackupRun::HandleRunPreset() {
    const int number = RunPresetIndex + 1;
    UnitRecorder::Record({dump_.data(), PresetDumpLength},
                         compare_.Active ? "compare with folder" : "backup run",
                         PreExpressMode ? -1 : CurrentBank, number);
    QString title = QString::fromLatin1(PresetTitle(dump_.data(), dump_.size()));
    if (RunByPresetNumber)
        Tell(host_.NoteUnitTitle, CurrentBank, number, title.trimmed());
    if (title.isEmpty())
        title = UntitledName;
    if (compare_.Active) {
        compare_.Keep(PreExpressMode ? -1 : CurrentBank, number, dump_);
    } else if (title.isEmpty()) {
        Tell(host_.AddLogLine, QString("Preset #%1 is untitled (not saved)").arg(number));
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
    LastReceptionTick = link_.Now();
    RunReceptionSeen = true;
    AdvanceRun();
}

void TBackupRun::AdvanceRun() {
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
            Tell(host_.SelectBank, OriginalBank);
        }
        // Complete: nothing is left to continue.
        if (journalActive_)
            RemoveBackupJournal(JournalFolder());
        const bool comparing = compare_.Active;
        EndRun();
        if (comparing) {
            ShowComparison();
            return;
        }
        Tell(host_.RefreshFiles);
        const QString unsaved = UnconfirmedSummary();
        if (!unsaved.isEmpty()) {
            Tell(host_.AddLogLine, unsaved);
            Tell(host_.ShowStatus,
                 QString("Procedure is complete; %1 not saved").arg(RunUnconfirmed.size()));
            Message("Procedure is complete, but " + unsaved, "Sorry...");
            return;
        }
        Message("Procedure is complete", "Congratulations...");
        return;
    }
    if (RunSaveFiles)
        TouchFolder(BankFolder(CurrentBank), Letter(CurrentBank));
    Tell(host_.SelectBank, CurrentBank);
    Tell(host_.AddLogLine, "Begin processing Bank " + Letter(CurrentBank));
    link_.Wait(static_cast<std::uint32_t>(2 * RequestDelay));
    RunPresetIndex = 0;
    ShowRunProgress();
    RequestPreset();
}

void TBackupRun::ShowComparison() {
    const std::vector<TCompareRow> rows = compare_.Finish();
    Tell(host_.ShowComparison, compare_.Folder, compare_.Untitled, rows);
}

void TBackupRun::TouchFolder(const QString& path, const QString& bank) {
    if (QDir().mkdir(path))
        Tell(host_.AddLogLine, "Created subdirectory for bank " + bank);
}

void TBackupRun::NextSelectedBank() {
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

void TBackupRun::ShowRunProgress() {
    const QString preset = QString("preset %1 of %2").arg(RunPresetIndex + 1).arg(RunLastIndex + 1);
    Tell(host_.ShowProgress,
         PreExpressMode ? "Pre-Express " + preset : "Bank " + Letter(CurrentBank) + ": " + preset,
         std::min(RunPresetsDone, RunPresetsTotal), std::max(1, RunPresetsTotal));
}

// ---- Ending ----

void TBackupRun::EndRun() {
    // The run is over even when the port or the printer fails below.
    RunActive = false;
    Tell(host_.EnableRunCommands, true);
    RunSaveFiles = false;
    RunAwaitingDump = false;
    journalActive_ = false;
    compare_.Active = false;
    Tell(host_.Watchdog, false);
    Tell(host_.HideProgress);
    std::exception_ptr printError;
    try {
        SetPrintActive(false);
    } catch (...) {
        printError = std::current_exception();
    }
    if (link_.OutputOpen()) {
        link_.SendShort(ControlChange, BankSelectCoarse, 0);
        link_.SendShort(ControlChange, BankSelectFine, 0);
    }
    if (printError)
        std::rethrow_exception(printError);
}

void TBackupRun::StopRun() {
    const QString where = LocationText(PreExpressMode ? -1 : CurrentBank, RunPresetIndex + 1);
    EndRun();
    // The unit goes back to the bank it was on, as at the end of a whole run.
    if (!PreExpressMode && OriginalBank >= 0) {
        CurrentBank = OriginalBank;
        Tell(host_.SelectBank, OriginalBank);
    }
    Tell(host_.AddLogLine, "Stopped at preset " + where + ", before it was received");
}

void TBackupRun::AbortRun() {
    StopRun();
    Tell(host_.AddLogLine, "Procedure aborted");
    Tell(host_.ShowStatus, "Procedure aborted");
}

bool TBackupRun::AskToStop() {
    const QString what = compare_.Active ? "A comparison"
                         : RunSaveFiles  ? "A backup"
                                         : "A preset list print";
    return host_.Ask && host_.Ask(what + " is running. Stop it and quit?", "Confirm", mbYes | mbNo,
                                  TMsgDlgType::mtConfirmation) == mrYes;
}

void TBackupRun::CloseDevices() {
    RunActive = false;
    SetPrintActive(false);
}

// ---- The preset list ----

void TBackupRun::SetPrintActive(bool flag) {
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
        Tell(host_.AddLogLine, where);
        Tell(host_.ShowStatus, where);
    }
}

void TBackupRun::BeginPresetList() {
    BeginPrintJob(host_.PrintFont ? host_.PrintFont() : QFont(), ListHeading());
    try {
        PrintPageHeader("");
        PrintHeading(ListHeading());
        PrintListColumnHeads();
    } catch (...) {
        { TPrintJobGuard endsTheJob; }
        throw;
    }
}

void TBackupRun::PrintListColumnHeads() {
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

std::string TBackupRun::JournalFolder() const {
    return ModelPath(OutputDirectory);
}

bool TBackupRun::OfferToContinue(int first, int last, std::optional<TRunPosition>& resume) {
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
            const int answer =
                host_.Ask
                    ? host_.Ask(
                          "A backup into this folder with the same choices ended early, after "
                          "preset " +
                              LocationText(PreExpressMode ? -1 : kept->LastBank, kept->LastNumber) +
                              ".\n\nYes continues after it; No runs the whole backup again.",
                          "Continue backup", mbYes | mbNo | mbCancel, TMsgDlgType::mtConfirmation)
                    : mrCancel;
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

void TBackupRun::NoteInJournal() {
    runJournal_.LastBank = PreExpressMode ? 0 : CurrentBank;
    runJournal_.LastNumber = RunPresetIndex + 1;
    WriteBackupJournal(JournalFolder(), runJournal_);
}
