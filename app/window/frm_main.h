#pragma once
// The program's main window: the MIDI workbench extended with the unit's
// requests, the preset and table editors and their menus.
#include "app/runs/backup_run.h"
#include "app/runs/run_host.h"
#include "app/runs/verified_store.h"
#include "app/window/owned_objects.h"
#include "app/window/unit_store.h"
#include "editor/editor_operations.h"
#include "explorer/midi_explorer.h"
#include "model/backup_journal.h"
#include "model/library_compare.h"

#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QProgressBar;
class QTimer;
class TStream;
class TfrmBkupOpt;
class TfrmCompare;
class TfrmLibrary;
class TfrmMPTEdit;
class TfrmPresetEditor;

// The file names a backup would give a bulk dump's presets, in order (numbered from 1).
QStringList BulkDumpFileNames(const std::vector<std::vector<std::uint8_t>>& dumps);

class TfrmMain : public TfrmMIDIExplorer {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // ---- The hooks ----
    void WindowShown() override;
    void CheckInitialized() override;
    // F10 asks for the current preset; Ctrl+C aborts a run.
    void HandleFunctionKey(int& key, Qt::KeyboardModifiers shift) override;
    void CloseMidiDevices() override;
    void ReleaseResources() override;
    // Status replies update what is known of the unit; everything else goes to
    // the monitor. During a run only the run's presets count.
    void MidiInputReceived(TMidiInput& sender) override;
    void OpenBufferInEditor() override;
    void UpdateBufferMenu() override;
    void InitializeWindow(TlvRegUtil* settings, const QString& caption) override;
    // The unit's dumps and replies by name.
    QString DescribeEvent(const TMyMidiEvent& event) const override;

    // ---- What the program and the user start ----
    // A file named on the command line (opened from the file manager): loaded
    // as a dropped file is, then opened in its editor when it holds a preset or
    // table dump. A file that cannot be read gets the dropped file's message.
    void OpenGivenFile(const QString& path);
    // Something the user must hear about from the start (the virtual unit's
    // memory file was damaged): in the monitor at once, and in the status bar
    // once the online check has said its piece, so that its texts do not
    // replace it unseen.
    void ShowStartNotice(const QString& text);
    // "Get/Save each preset individually..." (true) or "Print list of presets...".
    void StartBackup(bool saveFiles);
    // Asks the unit for its bypass and bank.
    void CheckOnline();
    void SelectBank(int bank);
    // An editor for a dump (the file it came from, or none).
    void OpenDumpInEditor(const std::vector<std::uint8_t>& dump, const QString& fileName);
    // The ways an editor reaches the unit, the verified store among them.
    TEditorOperations EditorOperations();
    // Applies a reply to a status request; false when the event is not one.
    bool HandleStatusReply(const TMyMidiEvent& event);
    // A preset seen at location (1-based) of bank (-1: the single bank).
    void NoteUnitTitle(int bank, int location, const QString& title);

    // ---- What the window holds ----
    // The backup run and its state (RunActive, RunPresetIndex ...).
    TBackupRun& BackupRun() { return *backup_; }
    TfrmCompare* CompareWindow() const;
    TfrmLibrary* LibraryWindow() const;
    std::vector<std::vector<std::uint8_t>> BulkDumps() const { return bulkDumps_; }
    std::vector<std::uint8_t> LastSentMessage;
    int PendingStatusReplies = 0;
    int CurrentBank = -1;
    int UnitPresetNumber = -1;
    TChildWindowList* ChildWindows = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Open editors are closed first, each asking about unsaved work; the program
    // stays when one of them is kept open.
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr int kDefaultRequestDelay = 1000;
    static constexpr int kMaxRequestDelay = 60000;
    // Shown but not painted this long: the online check runs all the same.
    static constexpr int kUnpaintedCheckMs = 500;

    // ---- Menus and editors (frm_main.cpp) ----
    // A menu item owned by the main window, added under parent (when given).
    QAction* AddMenuItem(const QString& caption, QMenu* parent, std::function<void()> onClick);
    QMenu* AddOwnedMenu(const QString& caption, const QString& name);
    QAction* AddSeparator(QMenu* parent);
    void BuildRequestsMenu(bool preExpressChecked, bool verifyChecked);
    void BuildEditorMenus();
    void OpenPresetEditor();
    void NewPreset();
    void OpenMptEditor(const QString& fileName);
    void NewMptTable();
    TfrmPresetEditor* NewPresetWindow();
    TfrmMPTEdit* NewMptWindow();
    TOwnedObjects& Owned();
    // "Library...": every preset the user has had, and the unit's history.
    void ShowLibrary();
    // The online check that showing the window asked for, once.
    void RunDueOnlineCheck();
    void ShowWaitingStartNotice();
    // Tells the user when a newly chosen channel reaches the unit's messages.
    void TransmitChannelChosen();

    // ---- Runs (frm_main.cpp) ----
    // "Compare with folder...": the same run, keeping each preset to compare it
    // with a backup folder's file of the same location.
    void StartCompare();
    void StartRun(bool saveFiles, bool compare);
    void SetUpBackupDialog(TfrmBkupOpt& dialog, bool saveFiles);
    QString ProposedRunFolder() const;
    void ApplyLastRunChoices(TfrmBkupOpt& dialog) const;
    void KeepRunChoices(const TfrmBkupOpt& dialog);
    void ShowComparison(const QString& folder, const QString& untitled,
                        std::vector<TCompareRow> rows);
    // Closing during a run: asks, and stops it; false when the user keeps it.
    bool StopRunToClose();
    // The run commands are off while a run goes on.
    void EnableRunCommands(bool on);
    // What the runs tell the window and ask of it.
    void BuildRunHost();

    // ---- Messages to the unit and what came back (device_requests.cpp) ----
    void RequestCurrentPreset();
    void RequestAllPresets();
    void RequestMptTable();
    // Counts the request as pending, sends it and waits RequestDelay.
    void RequestStatusItem(std::uint8_t item);
    void ToggleBypass();
    void BypassChanged();
    // Sends the whole stream as one system-exclusive block.
    void SendStream(TStream& stream, QString& statusText);
    // Sends a message built into LastSentMessage.
    void SendBuiltMessage(std::vector<std::uint8_t> bytes);
    void DiscardPendingInput();
    // Also shows "Preset loaded: " and the title when it holds one.
    bool BufferHoldsPresetDump();
    bool BufferHoldsMptDump() const;
    QString BufferPresetTitle() const;
    // Why the buffer went to no editor.
    QString NotOpenedText() const;
    // The unit's current preset number 1..256, or -1 when it does not answer.
    int QueryCurrentPresetNumber();
    void TogglePreExpress();
    void PreExpressChanged();
    void ApplyPreExpressMode();
    void timPresetReqTimer();
    // "Verify stored presets" is checked (the setting "VERIFY_STORE", on at first).
    bool VerifyStores() const;
    // The comparison window's and the library's "Store": through the verified store.
    std::vector<TRestoreResult> RestoreIntoUnit(const std::vector<TRestoreItem>& items);
    // "A 002", and " — now "title"" when the title there is known.
    QString DescribeLocation(int location) const;

    // ---- A bulk dump kept (device_requests.cpp) ----
    void ExpectBulkDump();
    // Keeps a preset dump of an expected bulk dump; false for anything else.
    bool TakeBulkDump(const TMyMidiEvent& event);
    // The dumps stopped coming: offers to save them.
    void BulkDumpEnded();
    void SaveBulkDumpAsSyx();
    void SaveBulkDumpAsFiles();

    // ---- Controls ----
    QTimer* timPresetReq = nullptr;
    QTimer* bulkQuiet_ = nullptr;
    QProgressBar* prgRun = nullptr;
    QMenu* miHRZRequests = nullptr;
    QAction* miGetCurrentPreset = nullptr;
    QAction* miGetSaveEach = nullptr;
    QAction* miPrintList = nullptr;
    QAction* miCompare = nullptr;
    QAction* miGetBulkDump = nullptr;
    QAction* miGetMPT = nullptr;
    QAction* miBypass = nullptr;
    std::array<QAction*, 4> miSelectBank{};
    QAction* miPreExpress = nullptr;
    QAction* miVerifyStore = nullptr;
    QMenu* miPresets = nullptr;
    QAction* miPresetsOpen = nullptr;
    QAction* miNewPreset = nullptr;
    QMenu* miMPT = nullptr;
    QAction* miMPTOpen = nullptr;
    QAction* miNewMPT = nullptr;
    QAction* pmiEdit = nullptr;

    // ---- State ----
    // What the unit holds where, as far as this session saw it.
    std::map<std::pair<int, int>, QString> unitTitles_;
    bool bulkExpected_ = false;
    std::vector<std::vector<std::uint8_t>> bulkDumps_;
    // The window's ports and waits as the runs reach the unit (device_requests.cpp).
    class TLink;
    std::unique_ptr<TOwnedObjects> ownedObjects_;
    std::unique_ptr<TLink> link_;
    TRunHost host_;
    std::unique_ptr<TBackupRun> backup_;
    std::unique_ptr<TVerifiedStore> store_;
    QPointer<TfrmCompare> compareWindow_;
    QPointer<TfrmLibrary> libraryWindow_;
    bool draining_ = false;
    bool checkingOnline_ = false;
    bool onlineCheckDue_ = false;
    // Preset-number requests (item 64) sent and neither answered nor given up.
    int presetNumberQueriesOut_ = 0;
    QString startNotice_; // waits for the online check to finish
};
