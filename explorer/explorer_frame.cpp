// The frame of the workbench window: start-up, devices, channel, status bar,
// keys, resizing, help, dropped files, closing and destruction.
#include "controls/app_error_handler.h"
#include "controls/busy_cursor.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/install_paths.h"
#include "controls/seams/shell_service.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "explorer/midi_explorer.h"
#include "explorer/msg_buf_memo.h"
#include "midi/input_capacity.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "settings/lv_reg_util.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

namespace {

const QString kSorry = "Sorry...";
const QString kNoDeviceTail = "Please consult your system documentation\r\nfor proper "
                              "installation and configuration of MIDI devices.";
constexpr int kMinMemoWidth = 50;
constexpr int kFoldersWritten = 7;
constexpr int kFoldersRead = 9;

QString FoldersKey(const TlvRegUtil& settings) {
    return settings.Path() + "\\Folders";
}

} // namespace

// ---- Status bar ----

namespace {
const QString kVirtualUnitName = QStringLiteral("HRZ2000 virtual unit");
const QString kVirtualUnitCaption = QStringLiteral(" - HRZ2000 virtual unit");
} // namespace

bool TfrmMIDIExplorer::IsVirtualUnitDevice(const QString& name) {
    return name == kVirtualUnitName || name.startsWith(kVirtualUnitName + ":");
}

bool TfrmMIDIExplorer::TalksToVirtualUnit() const {
    return (MidiIn && MidiIn->IsOpen() &&
            IsVirtualUnitDevice(QString::fromStdString(MidiIn->ProductName()))) ||
           (MidiOut && MidiOut->IsOpen() &&
            IsVirtualUnitDevice(QString::fromStdString(MidiOut->ProductName())));
}

void TfrmMIDIExplorer::UpdateDeviceCaption() {
    QString title = windowTitle();
    if (title.endsWith(kVirtualUnitCaption))
        title.chop(kVirtualUnitCaption.size());
    if (TalksToVirtualUnit())
        title += kVirtualUnitCaption;
    setWindowTitle(title);
}

void TfrmMIDIExplorer::SetStatusTexts(const QString& text) {
    // "The HRZ2000 is online!" from the virtual unit must not pass for the hardware.
    if (TalksToVirtualUnit() && !text.contains(QStringLiteral("virtual unit")))
        StatusPanel0->setText(text + " (" + kVirtualUnitName + ")");
    else
        StatusPanel0->setText(text);
    StatusPanel1->setText(InsertMode ? "Insert" : "Overwrite");
}

void TfrmMIDIExplorer::ShowStatus(const QString& text) {
    SetStatusTexts(text);
    stbStatBar->repaint();
    // Shows during long operations; user input waits until they are done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TfrmMIDIExplorer::StatusText(int panel) const {
    return (panel == 0 ? StatusPanel0 : StatusPanel1)->text();
}

// ---- Start-up ----

void TfrmMIDIExplorer::InitializeWindow(TlvRegUtil* settings, const QString& caption) {
    Settings = settings;
    BaseCaption = caption;
    TBusyCursor busy;

    MidiIn = std::make_unique<TMidiInput>();
    MidiIn->SetCapacity(kWorkbenchInputCapacity);
    MidiIn->OnMidiInput = [this](QObject*) { MidiInputReceived(*MidiIn); };
    MidiIn->OnOverflow = [this](QObject*) { InputOverflowed(); };
    MidiOut = std::make_unique<TMidiOutput>();
    if (MidiIn->NumDevs() == 0)
        ShowMessage(this, "No MIDI input device can be detected. " + kNoDeviceTail, kSorry);
    if (MidiOut->NumDevs() == 0)
        ShowMessage(this, "No MIDI output device can be detected. " + kNoDeviceTail, kSorry);
    // The virtual unit is no installed device: without one the status says so
    // (and the menus offer the unit to choose), but the start is not held up
    // by a message box.
    const int installedIn = InstalledDeviceCount(true);
    const int installedOut = InstalledDeviceCount(false);

    pgcTab->setCurrentIndex(0);
    InsertMode = true;

    QString savedIn, savedOut;
    QStringList folders;
    if (Settings) {
        savedIn = Settings->ReadString("MIDI_IN", true);
        savedOut = Settings->ReadString("MIDI_OUT", true);
        rightPaneWidth_ = Settings->ReadInteger("LPW", true, RightPaneWidth());
        if (isVisible())
            ApplyRightPaneWidth();

        int channel = Settings->ReadInteger("MIDI_OUT_CH", true, 0);
        if (channel < 0 || channel > 15) {
            Settings->RejectValue("MIDI_OUT_CH", QString::number(channel), 0);
            channel = 0;
        }
        TransmitChannel = channel;

        FilePane->SetFileDblClickAction(Settings->ReadInteger("DBL_CLICK_FILE_ACTION", true, 0));
        int logAction = Settings->ReadInteger("DBL_CLICK_LOG_ACTION", true, 0);
        if (logAction < 0 || logAction > 2) {
            Settings->RejectValue("DBL_CLICK_LOG_ACTION", QString::number(logAction), 0);
            logAction = 0;
        }
        LogDblClickAction = logAction;

        for (int i = 1; i <= kFoldersRead; ++i) {
            const QString folder =
                Settings->ReadKeyString(FoldersKey(*Settings), QString::number(i), true);
            if (!folder.isEmpty())
                folders << folder;
        }
    }
    miChannel[static_cast<std::size_t>(TransmitChannel)]->setChecked(true);
    QAction* logItems[] = {pmiSetLogLoadEvent, pmiSetLogEdit, pmiSetLogSend};
    logItems[LogDblClickAction]->setChecked(true);

    BuildDeviceMenus(savedIn, savedOut);
    ShowStatus((installedIn != 0 && installedOut != 0) || TalksToVirtualUnit()
                   ? "MIDI devices opened"
                   : "No MIDI devices found - check installation");

    FilePane->Setup(folders);

    LoadedFileName.clear();
    setWindowTitle(BaseCaption);
    UpdateDeviceCaption();
    Initialized = true;
    if (Settings && windowState() == Qt::WindowNoState)
        Settings->RestorePlacement(*this);
}

int TfrmMIDIExplorer::InstalledDeviceCount(bool input) {
    const int count = static_cast<int>(input ? MidiIn->NumDevs() : MidiOut->NumDevs());
    int installed = 0;
    for (int i = 0; i < count; ++i) {
        try {
            if (input)
                MidiIn->SetDeviceID(static_cast<std::uint16_t>(i));
            else
                MidiOut->SetDeviceID(i);
        } catch (const std::exception&) {
            ++installed; // a device that cannot tell its name is still installed
            continue;
        }
        if (!IsVirtualUnitDevice(
                QString::fromStdString(input ? MidiIn->ProductName() : MidiOut->ProductName())))
            ++installed;
    }
    return installed;
}

void TfrmMIDIExplorer::BuildDeviceMenus(const QString& savedIn, const QString& savedOut) {
    const int inputs = static_cast<int>(MidiIn->NumDevs());
    for (int i = 0; i < inputs; ++i) {
        MidiIn->SetDeviceID(static_cast<std::uint16_t>(i));
        auto item =
            std::make_unique<TlvMIDIMenuItem>(QString::fromStdString(MidiIn->ProductName()), i);
        TlvMIDIMenuItem* raw = item.get();
        inputGroup_->addAction(raw->MenuItem());
        miMIDIIn->addAction(raw->MenuItem());
        connect(raw->MenuItem(), &QAction::triggered, this,
                [this, raw] { SelectInputDevice(*raw); });
        InputDeviceItems.push_back(std::move(item));
    }
    // The virtual unit opens only when it was the device used last: a first
    // start without an interface must not look as if the unit answered.
    const auto opensAtStart = [](const TlvMIDIMenuItem& item, const QString& saved) {
        return !IsVirtualUnitDevice(item.DeviceName()) || item.DeviceName() == saved;
    };
    if (inputs > 0) {
        if (opensAtStart(*InputDeviceItems[0], savedIn))
            SelectInputDevice(*InputDeviceItems[0]);
        for (int i = 1; i < inputs; ++i)
            if (InputDeviceItems[static_cast<std::size_t>(i)]->DeviceName() == savedIn)
                SelectInputDevice(*InputDeviceItems[static_cast<std::size_t>(i)]);
    }
    miMIDIIn->setEnabled(inputs > 0);

    const int outputs = static_cast<int>(MidiOut->NumDevs());
    for (int i = 0; i < outputs; ++i) {
        MidiOut->SetDeviceID(i);
        auto item =
            std::make_unique<TlvMIDIMenuItem>(QString::fromStdString(MidiOut->ProductName()), i);
        TlvMIDIMenuItem* raw = item.get();
        outputGroup_->addAction(raw->MenuItem());
        miMIDIOut->addAction(raw->MenuItem());
        connect(raw->MenuItem(), &QAction::triggered, this,
                [this, raw] { SelectOutputDevice(*raw); });
        OutputDeviceItems.push_back(std::move(item));
    }
    if (outputs > 0) {
        if (opensAtStart(*OutputDeviceItems[0], savedOut))
            SelectOutputDevice(*OutputDeviceItems[0]);
        for (int i = 1; i < outputs; ++i)
            if (OutputDeviceItems[static_cast<std::size_t>(i)]->DeviceName() == savedOut)
                SelectOutputDevice(*OutputDeviceItems[static_cast<std::size_t>(i)]);
    }
    miMIDIOut->setEnabled(outputs > 0);
}

// ---- Devices and channel ----

void TfrmMIDIExplorer::SelectInputDevice(TlvMIDIMenuItem& item) {
    // The output is closed with the input; the one that was open comes back.
    TlvMIDIMenuItem* openOutput = nullptr;
    if (MidiOut && MidiOut->IsOpen())
        for (const auto& candidate : OutputDeviceItems)
            if (candidate->MenuItem()->isChecked())
                openOutput = candidate.get();
    {
        TBusyCursor busy;
        try {
            MidiIn->Close();
            MidiOut->Close();
            MidiIn->SetProductName(item.DeviceName().toStdString());
            MidiIn->Open();
            MidiIn->Start();
            ShowStatus(QString::fromStdString(MidiIn->ProductName()) + " opened for input");
            item.MenuItem()->setChecked(true);
        } catch (const std::exception& e) {
            UncheckDeviceItems(InputDeviceItems);
            ShowMessage(this, QString::fromUtf8(e.what()), "MIDI In error");
        }
    }
    if (openOutput)
        OpenOutputDevice(*openOutput, false);
    UpdateDeviceCaption();
}

void TfrmMIDIExplorer::SelectOutputDevice(TlvMIDIMenuItem& item) {
    OpenOutputDevice(item, true);
}

void TfrmMIDIExplorer::OpenOutputDevice(TlvMIDIMenuItem& item, bool showStatus) {
    TBusyCursor busy;
    try {
        MidiOut->Close();
        MidiOut->SetProductName(item.DeviceName().toStdString());
        MidiOut->Open();
        if (showStatus)
            ShowStatus(QString::fromStdString(MidiOut->ProductName()) + " opened for output");
        item.MenuItem()->setChecked(true);
    } catch (const std::exception& e) {
        // Nothing is open now: no tick may say otherwise.
        UncheckDeviceItems(OutputDeviceItems);
        ShowMessage(this, QString::fromUtf8(e.what()), "MIDI Out error");
    }
    UpdateDeviceCaption();
}

void TfrmMIDIExplorer::UncheckDeviceItems(
    const std::vector<std::unique_ptr<TlvMIDIMenuItem>>& items) {
    for (const auto& item : items)
        item->MenuItem()->setChecked(false);
}

void TfrmMIDIExplorer::miChannelClick(int tag) {
    if (tag < 0 || tag > 15)
        throw EHrzError("Invalid MIDI channel (0 thru 15)");
    TransmitChannel = tag;
    if (Settings)
        Settings->WriteInteger("MIDI_OUT_CH", tag);
    miChannel[static_cast<std::size_t>(tag)]->setChecked(true);
}

bool TfrmMIDIExplorer::OutputReady(bool switchToMonitor) {
    if (MidiOut && MidiOut->IsOpen()) {
        if (switchToMonitor)
            pgcTab->setCurrentWidget(tsMonitor);
        return true;
    }
    ShowMessage(this, "MIDI Out device not available", "MIDI communications error");
    return false;
}

void TfrmMIDIExplorer::WriteDblClickAction(const char* name, int action) {
    if (Settings)
        Settings->WriteInteger(name, action);
}

// ---- Showing, activation, keys ----

void TfrmMIDIExplorer::WindowShown() {}

void TfrmMIDIExplorer::CheckInitialized() {
    if (Initialized)
        return;
    Dialogs().MessageBox(this, "Not Initialized", QApplication::applicationName(), mbOK,
                         TMsgDlgType::mtError);
    QCoreApplication::exit(1);
    close();
}

int TfrmMIDIExplorer::RightPaneWidth() const {
    // Until the window is first shown the splitter has no real size yet.
    return paneWidthApplied_ ? splVertical->sizes().value(1) : rightPaneWidth_;
}

void TfrmMIDIExplorer::ApplyRightPaneWidth() {
    const int total = splVertical->width() - splVertical->handleWidth();
    const int right = std::clamp(rightPaneWidth_, 0, std::max(0, total - kMinMemoWidth));
    splVertical->setSizes({total - right, right});
    paneWidthApplied_ = true;
}

void TfrmMIDIExplorer::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!paneWidthApplied_)
        ApplyRightPaneWidth();
    if (!event->spontaneous())
        WindowShown();
}

void TfrmMIDIExplorer::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        CheckInitialized();
}

void TfrmMIDIExplorer::HandleFunctionKey(int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_F9) {
        miSendClick();
        key = 0;
    } else if (key == Qt::Key_F5) {
        FilePane->RefreshFileList();
        key = 0;
    }
}

bool TfrmMIDIExplorer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            auto* keyEvent = static_cast<QKeyEvent*>(event);
            int key = keyEvent->key();
            HandleFunctionKey(key, keyEvent->modifiers());
            if (key == 0)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Resizing ----

void TfrmMIDIExplorer::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMIDIExplorer::FormResize() {
    if (!isVisible())
        return;
    if (memMsgBuf->width() < kMinMemoWidth) {
        const int total = splVertical->width() - splVertical->handleWidth();
        splVertical->setSizes({kMinMemoWidth, total - kMinMemoWidth});
    }
    StatusPanel0->setMaximumWidth(static_cast<int>(std::lround(width() * 0.8)));
}

// ---- Help and dropped files ----

namespace {

// The shell's reason, then the page's full path, so it can be opened by hand.
QString HelpFailureText(int result, const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    switch (result) {
    case 0:
        return "Insufficient  resources\n\nThe help page is " + shown;
    case 2:
        return "Help file \"contents.htm\" not found\n\nIt belongs at " + shown +
               "; installing the program again puts it back.";
    case 3:
        return "Browser path not found\n\nOpen this file in a web browser:\n" + shown;
    case 11:
        return "Browser executable is not valid\n\nOpen this file in a web browser:\n" + shown;
    default:
        return "Cannot find browser to view help file\n\nOpen this file in a web browser:\n" +
               shown;
    }
}

} // namespace

void TfrmMIDIExplorer::ShowHelpContents() {
    const QString path = HelpPagePath();
    // A launcher may find only after it started that no browser is set.
    QPointer<TfrmMIDIExplorer> window(this);
    const auto late = [window, path](int result) {
        if (window && result <= 32)
            ShowMessage(window, HelpFailureText(result, path), "Unable to open help");
    };
    int result;
    {
        TBusyCursor busy;
        result = Shell().OpenDocument(path, late);
    }
    if (result <= 32)
        ShowMessage(this, HelpFailureText(result, path), "Unable to open help");
}

void TfrmMIDIExplorer::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMIDIExplorer::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    const QString path = urls.first().toLocalFile();
    RunShowingErrors(
        [&] {
            if (QFileInfo(path).isDir())
                LoadFolderToBuffer(path);
            else
                LoadFileToBuffer(path);
        },
        this);
}

// ---- Closing and destruction ----

void TfrmMIDIExplorer::closeEvent(QCloseEvent* event) {
    // A settings failure is reported; the window closes all the same.
    RunShowingErrors([this] { CloseMidiDevices(); }, this);
    event->accept();
}

void TfrmMIDIExplorer::CloseMidiDevices() {
    if (MidiIn) {
        if (MidiIn->NumDevs() != 0 && MidiIn->IsOpen() && Settings)
            Settings->WriteString("MIDI_IN", QString::fromStdString(MidiIn->ProductName()));
        MidiIn->Close();
    }
    if (MidiOut) {
        if (MidiOut->NumDevs() != 0 && MidiOut->IsOpen() && Settings)
            Settings->WriteString("MIDI_OUT", QString::fromStdString(MidiOut->ProductName()));
        MidiOut->Close();
        ShowStatus("MIDI devices closed");
    }
    if (Settings) {
        Settings->SavePlacement(*this);
        Settings->WriteInteger("LPW", RightPaneWidth());
        WriteFolderHistory();
    }
}

void TfrmMIDIExplorer::WriteFolderHistory() {
    const QStringList history = FilePane->FolderHistory();
    for (int i = 0; i < std::min<int>(kFoldersWritten, static_cast<int>(history.size())); ++i)
        Settings->WriteKeyString(FoldersKey(*Settings), QString::number(i + 1), history.at(i));
}

void TfrmMIDIExplorer::FormDestroy() {
    if (released_)
        return;
    released_ = true;
    ReleaseResources();
}

void TfrmMIDIExplorer::ReleaseResources() {
    InputDeviceItems.clear();
    OutputDeviceItems.clear();
    MidiIn.reset();
    MidiOut.reset();
    for (int n = LogCount(); n > 0; --n)
        DeleteLogLine(0);
}

// The workbench has no editors of its own; the main window opens them.
void TfrmMIDIExplorer::OpenBufferInEditor() {}
