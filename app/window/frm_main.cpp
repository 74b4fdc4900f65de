// The main window: start-up, its menus, the editors it opens, close and destruction.
#include "app/window/frm_main.h"

#include "app/window/frm_bkup_opt.h"
#include "app/window/frm_compare.h"
#include "app/window/frm_main_link.h"
#include "app/window/unit_store.h"
#include "controls/app_error_handler.h"
#include "controls/busy_cursor.h"
#include "controls/seams/dialog_service.h"
#include "controls/window_placement.h"
#include "editor/frm_preset_editor.h"
#include "editor/frm_store_prompt.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "library/unit_recorder.h"
#include "library_window/frm_library.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/hrz_messages.h"
#include "model/stream.h"
#include "model/unit_location.h"
#include "mpt/frm_mpt_edit.h"
#include "settings/lv_reg_util.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>

namespace {

QString Letter(int bank) {
    return QString::fromStdString(BankLetter(bank));
}

QStringList ReportLines(const std::vector<TRestoreItem>& items,
                        const std::vector<TRestoreResult>& results) {
    QStringList lines;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString where = LocationText(items[i].Bank, items[i].Number);
        if (i >= results.size()) {
            lines << where + ": not stored";
            continue;
        }
        const TStoreReport& r = results[i].Report;
        switch (r.Outcome) {
        case TStoreReport::TOutcome::Verified:
            lines << where + ": stored and verified";
            break;
        case TStoreReport::TOutcome::NotChecked:
            lines << where + ": stored" + (r.Text.isEmpty() ? QString() : " (" + r.Text + ")");
            break;
        default:
            lines << where + ": " + (r.Text.isEmpty() ? QString("no answer") : r.Text);
        }
    }
    return lines;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : TfrmMIDIExplorer(parent), link_(std::make_unique<TLink>(*this)),
      backup_(std::make_unique<TBackupRun>(*link_, host_, CurrentBank)),
      store_(std::make_unique<TVerifiedStore>(*link_, host_, *backup_, CurrentBank)) {
    setObjectName("frmMain");
    BuildRunHost();
    timPresetReq = new QTimer(this);
    timPresetReq->setObjectName("timPresetReq");
    timPresetReq->setInterval(10000);
    connect(timPresetReq, &QTimer::timeout, this, [this] { timPresetReqTimer(); });
    bulkQuiet_ = new QTimer(this);
    bulkQuiet_->setSingleShot(true);
    connect(bulkQuiet_, &QTimer::timeout, this,
            [this] { RunShowingErrors([this] { BulkDumpEnded(); }, this); });
    // A run's progress, shown while it lasts.
    prgRun = new QProgressBar(stbStatBar);
    prgRun->setObjectName("prgRun");
    prgRun->setTextVisible(true);
    // Wide enough for its longest text on one line, whatever the font.
    prgRun->setMinimumWidth(
        prgRun->fontMetrics().horizontalAdvance("Pre-Express preset 200 of 200") + 40);
    prgRun->hide();
    stbStatBar->addPermanentWidget(prgRun);
}

void TfrmMain::BuildRunHost() {
    host_.ShowStatus = [this](const QString& text) { ShowStatus(text); };
    host_.AddLogLine = [this](const QString& text) { AddLogLine(text); };
    host_.Ask = [this](const QString& text, const QString& caption, int buttons, TMsgDlgType type) {
        return Dialogs().MessageBox(this, text, caption, buttons, type);
    };
    host_.ShowProgress = [this](const QString& text, int value, int maximum) {
        prgRun->setFormat(text);
        prgRun->setRange(0, maximum);
        prgRun->setValue(value);
        prgRun->show();
    };
    host_.HideProgress = [this] { prgRun->hide(); };
    host_.EnableRunCommands = [this](bool on) { EnableRunCommands(on); };
    host_.Watchdog = [this](bool on) {
        if (!on) {
            timPresetReq->stop();
            return;
        }
        timPresetReq->setInterval(RequestDelay * 10);
        timPresetReq->start();
    };
    host_.SelectBank = [this](int bank) { SelectBank(bank); };
    host_.PresetReceived = [this](const std::vector<std::uint8_t>& dump) {
        MessageBufferBytes.fill(0);
        std::copy(dump.begin(), dump.end(), MessageBufferBytes.begin());
        MessageBufferCount = static_cast<std::uint32_t>(dump.size());
    };
    host_.Monitor = [this](std::unique_ptr<TMyMidiEvent> event) { AddEventLine(std::move(event)); };
    host_.NoteUnitTitle = [this](int bank, int location, const QString& title) {
        NoteUnitTitle(bank, location, title);
    };
    host_.RefreshFiles = [this] { FilePane->RefreshFileList(); };
    host_.ShowComparison = [this](const QString& folder, const QString& untitled,
                                  std::vector<TCompareRow> rows) {
        ShowComparison(folder, untitled, std::move(rows));
    };
    host_.PrintFont = [this] { return font(); };
    host_.VerifyStores = [this] { return VerifyStores(); };
    host_.QueryCurrentPresetNumber = [this] { return QueryCurrentPresetNumber(); };
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

TOwnedObjects& TfrmMain::Owned() {
    if (!ownedObjects_)
        ownedObjects_ = std::make_unique<TOwnedObjects>();
    return *ownedObjects_;
}

// ---- Start-up ----

void TfrmMain::InitializeWindow(TlvRegUtil* settings, const QString& caption) {
    TfrmMIDIExplorer::InitializeWindow(settings, caption);
    bool preExpress = false;
    bool verifyStores = true;
    int delay = kDefaultRequestDelay;
    if (Settings) {
        for (const char* old : {"HRZ_REQ_DELAY", "LEFT_PANE_WIDTH", "RECT_MAIN", "RECT_MPT"})
            Settings->DeleteValue(old);
        preExpress = Settings->ReadBool("PRE_EXPRESS", true, false);
        verifyStores = Settings->ReadBool("VERIFY_STORE", true, true);
        delay = Settings->ReadInteger("HRZReqDelay", true, kDefaultRequestDelay);
    }
    BuildRequestsMenu(preExpress, verifyStores);
    BuildEditorMenus();

    pmiEdit = new QAction("&Edit...");
    pmiEdit->setObjectName("pmiEdit");
    Owned().Add(pmiEdit);
    connect(pmiEdit, &QAction::triggered, this, [this] { OpenBufferInEditor(); });
    AppendBufferPopupItem(pmiEdit);

    // A stored 0 means the default; so does a value that would stall every
    // wait (negative) or overflow the watchdog interval.
    RequestDelay = (delay < 1 || delay > kMaxRequestDelay) ? kDefaultRequestDelay : delay;
    DeviceChannel = static_cast<std::uint8_t>(TransmitChannel);
    for (QAction* item : miChannel)
        connect(item, &QAction::triggered, this, [this] { TransmitChannelChosen(); });
    ApplyPreExpressMode();
    CurrentBank = -1;
    ChildWindows = new TChildWindowList;
    ChildWindows->setObjectName("ChildWindows");
    Owned().Add(ChildWindows);
    Initialized = true;
}

void TfrmMain::TransmitChannelChosen() {
    // The unit's messages keep the channel they were started with.
    const QString channel = QString::number(TransmitChannel + 1);
    if (TransmitChannel == DeviceChannel)
        ShowStatus("The HRZ2000 messages use channel " + channel + ".");
    else
        ShowStatus("The HRZ2000 messages use channel " + channel +
                   " after the program is restarted.");
}

QAction* TfrmMain::AddMenuItem(const QString& caption, QMenu* parent,
                               std::function<void()> onClick) {
    auto* item = new QAction(caption);
    Owned().Add(item);
    if (onClick)
        connect(item, &QAction::triggered, this, [onClick = std::move(onClick)] { onClick(); });
    if (parent)
        parent->addAction(item);
    return item;
}

QMenu* TfrmMain::AddOwnedMenu(const QString& caption, const QString& name) {
    auto* menu = new QMenu(caption);
    menu->setObjectName(name);
    Owned().Add(menu);
    return menu;
}

QAction* TfrmMain::AddSeparator(QMenu* parent) {
    // No text: some styles draw a separator's text beside its line.
    QAction* separator = AddMenuItem(QString(), parent, nullptr);
    separator->setSeparator(true);
    return separator;
}

void TfrmMain::BuildRequestsMenu(bool preExpressChecked, bool verifyChecked) {
    miHRZRequests = AddOwnedMenu("HRZ2000 Requests", "miHRZRequests");
    QMenu* m = miHRZRequests;
    miGetCurrentPreset =
        AddMenuItem("Get current preset only (F10)", m, [this] { RequestCurrentPreset(); });
    miGetCurrentPreset->setObjectName("miGetCurrentPreset");
    miGetSaveEach =
        AddMenuItem("Get/Save each preset individually...", m, [this] { StartBackup(true); });
    miGetSaveEach->setObjectName("miGetSaveEach");
    miPrintList = AddMenuItem("Print list of presets...", m, [this] { StartBackup(false); });
    miPrintList->setObjectName("miPrintList");
    miCompare = AddMenuItem("Compare with folder...", m, [this] { StartCompare(); });
    miCompare->setObjectName("miCompare");
    miGetBulkDump = AddMenuItem("Get preset bulk dump", m, [this] { RequestAllPresets(); });
    miGetBulkDump->setObjectName("miGetBulkDump");
    AddSeparator(m);
    miGetMPT = AddMenuItem("Get MPT Table", m, [this] { RequestMptTable(); });
    miGetMPT->setObjectName("miGetMPT");
    // Qt flips a check item before it reports the click.
    miBypass = AddMenuItem("Bypass", m, [this] { BypassChanged(); });
    miBypass->setObjectName("miBypass");
    miBypass->setCheckable(true);
    AddSeparator(m);
    for (int bank = 0; bank < 4; ++bank) {
        const QString letter = QString::fromStdString(BankLetter(bank));
        QAction* item =
            AddMenuItem("Select Bank &" + letter, m, [this, bank] { SelectBank(bank); });
        item->setObjectName("miSelectBank" + letter);
        miSelectBank[static_cast<std::size_t>(bank)] = item;
    }
    AddSeparator(m);
    miPreExpress = AddMenuItem("Use Pre-Express options", m, [this] { PreExpressChanged(); });
    miPreExpress->setObjectName("miPreExpress");
    miPreExpress->setCheckable(true);
    miPreExpress->setChecked(preExpressChecked);
    miVerifyStore = AddMenuItem("Verify stored presets", m, [this] {
        if (Settings)
            RunShowingErrors(
                [this] { Settings->WriteBool("VERIFY_STORE", miVerifyStore->isChecked()); }, this);
    });
    miVerifyStore->setObjectName("miVerifyStore");
    miVerifyStore->setCheckable(true);
    miVerifyStore->setChecked(verifyChecked);
    AddTopLevelMenu(miHRZRequests);
}

void TfrmMain::BuildEditorMenus() {
    miPresets = AddOwnedMenu("Presets", "miPresets");
    miPresetsOpen =
        AddMenuItem("Open current file in editor", miPresets, [this] { OpenPresetEditor(); });
    miPresetsOpen->setObjectName("miPresetsOpen");
    miNewPreset = AddMenuItem("New preset", miPresets, [this] { NewPreset(); });
    AddMenuItem("Library...", miPresets, [this] { ShowLibrary(); })->setObjectName("miLibrary");
    miNewPreset->setObjectName("miNewPreset");
    connect(miPresets, &QMenu::aboutToShow, this,
            [this] { miPresetsOpen->setEnabled(BufferHoldsPresetDump()); });
    AddTopLevelMenu(miPresets);

    miMPT = AddOwnedMenu("MPT", "miMPT");
    miMPTOpen = AddMenuItem("Open current file in editor", miMPT, [this] {
        if (BufferHoldsMptDump())
            OpenMptEditor(LoadedFileName);
    });
    miMPTOpen->setObjectName("miMPTOpen");
    miNewMPT = AddMenuItem("New MPT table", miMPT, [this] { NewMptTable(); });
    miNewMPT->setObjectName("miNewMPT");
    connect(miMPT, &QMenu::aboutToShow, this,
            [this] { miMPTOpen->setEnabled(BufferHoldsMptDump()); });
    AddTopLevelMenu(miMPT);

    const bool devices = MidiIn && MidiOut && MidiIn->NumDevs() > 0 && MidiOut->NumDevs() > 0;
    for (QMenu* menu : {miHRZRequests, miPresets, miMPT})
        menu->setEnabled(devices);
}

// ---- Showing and activation ----

void TfrmMain::WindowShown() {
    // The window is painted first and the check runs from the event loop, so
    // the window is on screen at once and shows the check's texts as replies
    // come. A window that is never painted (hidden at once) is checked anyway.
    onlineCheckDue_ = true;
    QTimer::singleShot(kUnpaintedCheckMs, this, [this] { RunDueOnlineCheck(); });
    TfrmMIDIExplorer::WindowShown();
}

void TfrmMain::paintEvent(QPaintEvent* event) {
    TfrmMIDIExplorer::paintEvent(event);
    if (onlineCheckDue_)
        QTimer::singleShot(0, this, [this] { RunDueOnlineCheck(); });
}

void TfrmMain::RunDueOnlineCheck() {
    if (!onlineCheckDue_)
        return;
    onlineCheckDue_ = false;
    CheckOnline();
    if (PendingStatusReplies == 0)
        ShowWaitingStartNotice(); // no check ran (no output device), or it is over
}

void TfrmMain::ShowStartNotice(const QString& text) {
    AddLogLine(text);
    // Before the window is first shown the check is still to come.
    if (!isVisible() || onlineCheckDue_ || checkingOnline_ || PendingStatusReplies > 0) {
        startNotice_ = text;
        return;
    }
    ShowStatus(text);
}

void TfrmMain::ShowWaitingStartNotice() {
    if (startNotice_.isEmpty())
        return;
    ShowStatus(startNotice_);
    startNotice_.clear();
}

void TfrmMain::CheckInitialized() {
    TfrmMIDIExplorer::CheckInitialized();
}

// ---- The message buffer's editors ----

void TfrmMain::UpdateBufferMenu() {
    TfrmMIDIExplorer::UpdateBufferMenu();
    if (pmiEdit)
        pmiEdit->setEnabled(MessageBufferCount == HrzMessages::PresetDumpLength ||
                            MessageBufferCount == HrzMessages::MptDumpLength(PreExpressMode));
}

void TfrmMain::OpenBufferInEditor() {
    if (BufferHoldsPresetDump())
        OpenPresetEditor();
    else if (BufferHoldsMptDump())
        OpenMptEditor(LoadedFileName);
    else
        ShowStatus(NotOpenedText());
}

void TfrmMain::OpenGivenFile(const QString& path) {
    if (RunShowingErrors([&] { LoadFileToBuffer(path); }))
        OpenBufferInEditor();
}

TEditorOperations TfrmMain::EditorOperations() {
    TEditorOperations operations;
    operations.SendLong = [this](const std::uint8_t* bytes, std::uint16_t length) {
        if (!MidiOut)
            throw EHrzError("MIDI Out device not available");
        MidiOut->SendLong(bytes, length);
    };
    operations.SendStream = [this](TStream& stream, QString& text) { SendStream(stream, text); };
    operations.QueryCurrentPresetNumber = [this] { return QueryCurrentPresetNumber(); };
    operations.ShowStatus = [this](const QString& text) { ShowStatus(text); };
    operations.DescribeLocation = [this](int location) { return DescribeLocation(location); };
    operations.StoreInUnit = [this](const std::vector<std::uint8_t>& message, int location,
                                    const std::vector<std::uint8_t>& sent, int previous) {
        return store_->StoreInUnit(message, location, sent, previous);
    };
    return operations;
}

TfrmPresetEditor* TfrmMain::NewPresetWindow() {
    auto* editor = new TfrmPresetEditor;
    editor->SetOperations(EditorOperations());
    return editor;
}

void TfrmMain::OpenPresetEditor() {
    if (!BufferHoldsPresetDump())
        return;
    OpenDumpInEditor(
        std::vector<std::uint8_t>(MessageBufferBytes.begin(),
                                  MessageBufferBytes.begin() + HrzMessages::PresetDumpLength),
        LoadedFileName);
}

void TfrmMain::NewPreset() {
    TBusyCursor busy;
    TfrmPresetEditor* editor = NewPresetWindow();
    Owned().Add(editor);
    editor->show();
}

TfrmMPTEdit* TfrmMain::NewMptWindow() {
    // Frees itself when closed, and goes with the main window at the latest.
    auto* editor = new TfrmMPTEdit(Settings, this);
    editor->SetSendHandler([this](TStream& stream, QString& text) { SendStream(stream, text); });
    // Where a printout went shows in the program's status bar too.
    editor->SetStatusHandler([this](const QString& text) { ShowStatus(text); });
    if (FilePane)
        editor->SetSaveFolder(FilePane->CurrentFolder());
    return editor;
}

void TfrmMain::OpenMptEditor(const QString& fileName) {
    const auto length = HrzMessages::MptDumpLength(PreExpressMode);
    TBusyCursor busy;
    TMemoryStream dump(
        std::vector<std::uint8_t>(MessageBufferBytes.begin(), MessageBufferBytes.begin() + length));
    TfrmMPTEdit* editor = NewMptWindow();
    // A table from a file is saved back to that file unless the user picks another.
    if (!fileName.isEmpty())
        editor->SetFileName(fileName);
    editor->LoadTable(dump);
    editor->show();
    editor->raise();
}

void TfrmMain::NewMptTable() {
    TBusyCursor busy;
    NewMptWindow()->show();
}

// ---- Runs ----

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

void TfrmMain::StartCompare() {
    StartRun(false, true);
}

void TfrmMain::StartRun(bool saveFiles, bool compare) {
    // One run at a time; the menus stay open during the waits of a run.
    if (backup_->RunActive || backup_->Starting) {
        ShowMessage(this, "A run is in progress. Press Ctrl-c to abort it before starting another.",
                    "Sorry...");
        return;
    }
    if (!OutputReady(true))
        return;
    QScopedValueRollback starting(backup_->Starting, true);
    CheckOnline();

    TRunChoices choices;
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
        choices = dialog.Choices();
    }
    backup_->Start(choices, compare);
}

void TfrmMain::ShowComparison(const QString& folder, const QString& untitled,
                              std::vector<TCompareRow> rows) {
    if (!compareWindow_) {
        compareWindow_ = new TfrmCompare(this);
        TCompareHandlers handlers;
        handlers.StoreInUnit = [this](const std::vector<TRestoreItem>& items) {
            return RestoreIntoUnit(items);
        };
        handlers.OpenInEditor = [this](const std::vector<std::uint8_t>& dump,
                                       const QString& fileName) {
            OpenDumpInEditor(dump, fileName);
        };
        handlers.ShowStatus = [this](const QString& text) { ShowStatus(text); };
        compareWindow_->SetHandlers(std::move(handlers));
    }
    compareWindow_->SetComparison(folder, untitled, std::move(rows));
    const TCompareCounts counts = CountStates(compareWindow_->Rows());
    const QString summary =
        counts.NotSame() == 0 ? QString("Comparison complete: all %1 the same").arg(counts.Total())
                              : QString("Comparison complete: %1 of %2 not the same")
                                    .arg(counts.NotSame())
                                    .arg(counts.Total());
    AddLogLine(summary);
    ShowStatus(summary);
    compareWindow_->show();
    compareWindow_->raise();
    compareWindow_->activateWindow();
}

TfrmCompare* TfrmMain::CompareWindow() const {
    return compareWindow_.data();
}

void TfrmMain::OpenDumpInEditor(const std::vector<std::uint8_t>& dump, const QString& fileName) {
    TBusyCursor busy;
    TfrmPresetEditor* editor = ChildWindows->FirstHidden<TfrmPresetEditor>();
    if (editor) {
        editor->Reset();
        editor->SetOperations(EditorOperations());
    } else {
        editor = NewPresetWindow();
        ChildWindows->Add(editor);
    }
    TMemoryStream stream(dump);
    editor->SetFileName(fileName);
    editor->LoadDump(stream);
    editor->show();
    editor->raise();
    editor->activateWindow();
}

bool TfrmMain::StopRunToClose() {
    if (!backup_->RunActive)
        return true;
    if (!backup_->AskToStop())
        return false;
    if (backup_->RunActive)
        RunShowingErrors([this] { backup_->AbortRun(); }, this);
    return true;
}

// ---- The Library window ----

void TfrmMain::ShowLibrary() {
    if (!libraryWindow_) {
        TPresetLibrary* library = nullptr;
        try {
            if (!UnitRecorder::Enabled())
                UnitRecorder::Enable(DefaultLibraryPath());
            library = UnitRecorder::Library();
        } catch (const std::exception& e) {
            ShowMessage(this, QString::fromStdString(e.what()), "Sorry...");
            return;
        }
        TLibraryHost host;
        host.OpenInEditor = [this](const std::vector<std::uint8_t>& dump, const QString&) {
            OpenDumpInEditor(dump, QString());
        };
        host.Send = [this](const std::vector<std::uint8_t>& dump) {
            if (!OutputReady(false))
                return;
            std::vector<std::uint8_t> bytes = dump;
            bytes[2] = DeviceChannel;
            TMemoryStream stream(std::move(bytes));
            QString status;
            SendStream(stream, status);
            ShowStatus(status);
        };
        const auto restore = [this](const std::vector<TRestoreItem>& items) {
            // The verified store records each read-back at its location.
            const auto results = RestoreIntoUnit(items);
            return ReportLines(items, results);
        };
        host.Store = [this, restore](const std::vector<std::uint8_t>& dump) {
            TfrmStorePrompt prompt(this);
            prompt.chkDoSend->setChecked(true);
            prompt.chkDoSend->setEnabled(false); // the library's preset is what is stored
            if (Dialogs().ExecModal(prompt) != QDialog::Accepted)
                return;
            const TRestoreItem item{PreExpressMode ? -1 : CurrentBank, prompt.PresetNumber(), dump};
            const QStringList lines = restore({item});
            if (!lines.isEmpty())
                ShowStatus(lines.front());
        };
        host.RestoreBank = [restore](int bank, const auto& steps) {
            std::vector<TRestoreItem> items;
            for (const auto& [number, dump] : steps)
                items.push_back({bank, number, dump});
            return restore(items);
        };
        host.PreExpress = [] { return PreExpressMode; };
        libraryWindow_ = new TfrmLibrary(*library, std::move(host), this);
        // Centred, and all of it on the screen, frame included.
        const QRect room = FreeScreenArea(*this);
        QRect placed(QPoint(), libraryWindow_->size());
        placed.moveCenter(room.center());
        libraryWindow_->setGeometry(OnScreen(placed, TypicalFrameMargins(), room));
    }
    libraryWindow_->show();
    libraryWindow_->raise();
    libraryWindow_->activateWindow();
}

TfrmLibrary* TfrmMain::LibraryWindow() const {
    return libraryWindow_.data();
}

// ---- Closing and destruction ----

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!StopRunToClose()) {
        event->ignore();
        return;
    }
    // Editors with unsaved changes ask first; one that stays open keeps the
    // program running.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* editor = qobject_cast<TfrmPresetEditor*>(top);
        if (editor && editor->isVisible() && !editor->close()) {
            event->ignore();
            return;
        }
    }
    for (TfrmMPTEdit* editor : findChildren<TfrmMPTEdit*>(Qt::FindDirectChildrenOnly))
        if (editor->isVisible() && !editor->close()) {
            event->ignore();
            return;
        }
    TfrmMIDIExplorer::closeEvent(event);
}

void TfrmMain::CloseMidiDevices() {
    // Nothing may reach for the ports once they are closed.
    timPresetReq->stop();
    // What the list printed so far is kept.
    RunShowingErrors([this] { backup_->CloseDevices(); }, this);
    if (Settings) {
        Settings->WriteInteger("HRZReqDelay", RequestDelay);
        if (miPreExpress)
            Settings->WriteBool("PRE_EXPRESS", miPreExpress->isChecked());
    }
    TfrmMIDIExplorer::CloseMidiDevices();
}

void TfrmMain::ReleaseResources() {
    timPresetReq->stop();
    if (ownedObjects_) {
        ownedObjects_->ReleaseAll();
        ownedObjects_.reset();
    }
    ChildWindows = nullptr;
    pmiEdit = miBypass = miPreExpress = miVerifyStore = miCompare = miPresetsOpen = miMPTOpen =
        nullptr;
    miHRZRequests = miPresets = miMPT = nullptr;
    miSelectBank.fill(nullptr);
    TfrmMIDIExplorer::ReleaseResources();
}
