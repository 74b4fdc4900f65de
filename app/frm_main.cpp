// The main window: start-up, its menus, the editors it opens, close and destruction.
#include "app/frm_main.h"

#include "controls/app_error_handler.h"
#include "controls/busy_cursor.h"
#include "editor/frm_preset_editor.h"
#include "explorer/filepane/file_explorer_pane.h"
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
#include <QCloseEvent>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

TfrmMain::TfrmMain(QWidget* parent) : TfrmMIDIExplorer(parent) {
    setObjectName("frmMain");
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
        return StoreInUnit(message, location, sent, previous);
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
    RunActive = false;
    // What the list printed so far is kept.
    RunShowingErrors([this] { SetPrintActive(false); }, this);
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
