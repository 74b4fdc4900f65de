#pragma once
// The MIDI workbench window: the message buffer on the left, the file pane and
// the MIDI monitor on the right, the device and channel menus and a status
// bar. The main window derives from it and extends it through the virtual
// operations below (the hooks), in this order.
#include "explorer/hex_text.h"
#include "explorer/lv_midi_menu_item.h"
#include "midi/midi_event.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QListView;
class QMenu;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class TFileExplorerPane;
class TLogModel;
class TMsgBufMemo;
class TlvRegUtil;

class TfrmMIDIExplorer : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMaxLogLines = 500;
    static constexpr int kLogLineTextLimit = 255;
    static constexpr int kLogRefreshMs = 40;

    explicit TfrmMIDIExplorer(QWidget* parent = nullptr);
    ~TfrmMIDIExplorer() override;

    // ---- The hooks ----
    virtual void WindowShown();
    // Refuses to run a window whose InitializeWindow did not complete.
    virtual void CheckInitialized();
    // F9 sends the buffer, F5 refreshes the file list; a handled key is set to 0.
    virtual void HandleFunctionKey(int& key, Qt::KeyboardModifiers shift);
    // At close: remembers the devices, placement, pane width and folders; closes the ports.
    virtual void CloseMidiDevices();
    // At destruction. A class that overrides it calls FormDestroy() from its destructor.
    virtual void ReleaseResources();
    // Drains the input port into the monitor.
    virtual void MidiInputReceived(TMidiInput& sender);
    virtual void LoadFileToBuffer(const QString& path);
    // Opens the buffer in the editor that fits it; the workbench alone has none.
    virtual void OpenBufferInEditor();
    // True when the output port is open (then shows the monitor if asked);
    // otherwise tells the user.
    virtual bool OutputReady(bool switchToMonitor);
    virtual void AddLogLine(const QString& text);
    virtual void DeleteLogLine(int index);
    // Enables the buffer popup's items; runs when the popup opens.
    virtual void UpdateBufferMenu();
    virtual void InitializeWindow(TlvRegUtil* settings, const QString& caption);

    // ---- Frame ----
    void ShowStatus(const QString& text);
    QString StatusText(int panel) const;
    // The program's built-in virtual unit (or the standalone one under its
    // default name) is no installed device: whenever it is open, the status
    // bar and the caption say so.
    static bool IsVirtualUnitDevice(const QString& name);
    bool TalksToVirtualUnit() const;
    // The caption with " - HRZ2000 virtual unit" while the virtual unit is open.
    void UpdateDeviceCaption();
    void SelectInputDevice(TlvMIDIMenuItem& item);
    void SelectOutputDevice(TlvMIDIMenuItem& item);
    void miChannelClick(int tag);
    // Places a top-level menu before "&Help", which stays last.
    void AddTopLevelMenu(QMenu* menu);
    void AppendBufferPopupItem(QAction* item);
    void ShowHelpContents();
    // Runs ReleaseResources once; the most derived destructor calls it.
    void FormDestroy();

    // ---- Message buffer ----
    void ShowBufferText(const QString& text);
    bool BufferTextEmpty() const;
    bool ParseMessageBuffer();
    void SendMessageBuffer();
    void SaveMessageBuffer();
    void LoadEventIntoBuffer(const TMyMidiEvent& event);
    // The dumps of the folder's .hrz files in preset-number order, as hrzctl join
    // --sort writes them, so that Save writes them as one .syx. When they do not
    // fit the buffer, offers to save them as one .syx at once.
    void LoadFolderToBuffer(const QString& folder);
    bool ClipboardIsHex() const;
    // The send command (F9, menus, double-clicks).
    void miSendClick();
    void miClearOutClick();
    void pmiBufClearClick();
    void pmiPasteClick();
    void pmiSelectAllClick();
    std::vector<std::uint8_t> BufferBytes() const;

    // ---- Monitor ----
    void AddEventLine(std::unique_ptr<TMyMidiEvent> event);
    // What a received message is, in words, put before its bytes in the
    // monitor ("Preset dump: Wild Solo A1"); empty for a message not known.
    virtual QString DescribeEvent(const TMyMidiEvent& event) const;
    void lbxLogDblClick();
    void pgcTabChange(int index);
    void SetLogDblClickAction(int action);
    void UpdateLogMenu();
    void pmiDeleteClick();
    void pmiCopySelectedTextClick();
    void miClearInClick();
    // The log's lines (the view may show them a moment later).
    int LogCount() const;
    QString LogText(int index) const;
    TMyMidiEvent* LogEvent(int index) const;
    // Brings the view up to date with the log.
    void FlushLog();
    int CurrentLogLine();
    QList<int> SelectedLogLines();

    // ---- State ----
    std::array<std::uint8_t, kMessageBufferSize> MessageBufferBytes{};
    std::uint32_t MessageBufferCount = 0;
    bool InsertMode = false;
    QString LoadedFileName;
    QString BaseCaption;
    // The buffer no longer holds the file it was loaded from: the caption says
    // so and "Open current file in editor" names no file.
    void ForgetLoadedFile();
    int TransmitChannel = 0;
    int LogDblClickAction = 0;
    bool Initialized = false;
    TlvRegUtil* Settings = nullptr;
    std::unique_ptr<TMidiInput> MidiIn;
    std::unique_ptr<TMidiOutput> MidiOut;
    std::vector<std::unique_ptr<TlvMIDIMenuItem>> InputDeviceItems;
    std::vector<std::unique_ptr<TlvMIDIMenuItem>> OutputDeviceItems;
    // Events the input lost because they came faster than they were read.
    int LostInputEvents = 0;

    // ---- Controls ----
    TMsgBufMemo* memMsgBuf = nullptr;
    QSplitter* splVertical = nullptr;
    QTabWidget* pgcTab = nullptr;
    QWidget* tsExplorer = nullptr;
    QWidget* tsMonitor = nullptr;
    QListView* lbxLog = nullptr;
    TFileExplorerPane* FilePane = nullptr;
    QStatusBar* stbStatBar = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QMenu* miFile = nullptr;
    QMenu* miMIDIIn = nullptr;
    QMenu* miMIDIOut = nullptr;
    QMenu* miTransmitChannel = nullptr;
    QMenu* miHelp = nullptr;
    QAction* miSaveAs = nullptr;
    QAction* miClearOut = nullptr;
    QAction* miExit = nullptr;
    QAction* miClearIn = nullptr;
    QAction* miSend = nullptr;
    std::array<QAction*, 16> miChannel{};
    QAction* miContents = nullptr;
    QAction* miAbout = nullptr;
    QMenu* popMsgBuf = nullptr;
    QAction* pmiUndo = nullptr;
    QAction* pmiCut = nullptr;
    QAction* pmiCopy = nullptr;
    QAction* pmiPaste = nullptr;
    QAction* pmiSelectAll = nullptr;
    QAction* pmiBufClear = nullptr;
    QAction* pmiSendtoMIDIOut = nullptr;
    QAction* pmiSave = nullptr;
    QMenu* popInLog = nullptr;
    QAction* pmiDelete = nullptr;
    QAction* pmiClearinputLog = nullptr;
    QAction* pmiCopySelectedText = nullptr;
    QMenu* pmiSetDblClickLogOpt = nullptr;
    QAction* pmiSetLogLoadEvent = nullptr;
    QAction* pmiSetLogEdit = nullptr;
    QAction* pmiSetLogSend = nullptr;

protected:
    // The status texts without pumping messages (for handlers that run often).
    void SetStatusTexts(const QString& text);
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    void CreateBufferPopup();
    void CreateLogPopup();
    void CreateFilePane();
    void FormResize();
    int RightPaneWidth() const;
    void ApplyRightPaneWidth();
    void ReadWindowSettings();
    void BuildDeviceMenus(const QString& savedIn, const QString& savedOut);
    int InstalledDeviceCount(bool input);
    // Lists the devices present now in the MIDI In (or Out) menu, as it opens, so
    // that a device plugged in again is found without a restart.
    void RefreshDeviceMenu(bool input);
    void InputOverflowed();
    // Opens the output device of item; a failure is shown as "MIDI Out error".
    void OpenOutputDevice(TlvMIDIMenuItem& item, bool showStatus);
    static void UncheckDeviceItems(const std::vector<std::unique_ptr<TlvMIDIMenuItem>>& items);
    void WriteFolderHistory();
    void WriteDblClickAction(const char* name, int action);
    bool memMsgBufKeyDown(QKeyEvent& event);
    void memMsgBufKeyPress(QChar ch);
    void memMsgBufEnter();

    QActionGroup* inputGroup_ = nullptr;
    QActionGroup* outputGroup_ = nullptr;
    QActionGroup* channelGroup_ = nullptr;
    QActionGroup* logActionGroup_ = nullptr;
    bool released_ = false;
    bool draining_ = false;
    QTimer* logRefresh_ = nullptr;
    TLogModel* logModel_ = nullptr;
    int rightPaneWidth_ =
        520; // wide enough for the file list's four columns, until "LPW" says otherwise
    bool paneWidthApplied_ = false;
    int logLineHeight_ = 0;
};
