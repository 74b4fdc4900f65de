#pragma once
// The program's main window: the MIDI workbench extended with the unit's
// requests, the preset and table editors and their menus.
#include "app/owned_objects.h"
#include "app/runs/backup_run.h"
#include "app/runs/run_host.h"
#include "app/runs/verified_store.h"
#include "app/unit_store.h"
#include "controls/editor_operations.h"
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
    static constexpr int kDefaultRequestDelay = 1000;
    static constexpr int kMaxRequestDelay = 60000;
    // Shown but not painted this long: the online check runs all the same.
    static constexpr int kUnpaintedCheckMs = 500;

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

    // ---- Menus and editors ----
    // A menu item owned by the main window, added under parent (when given).
    QAction* AddMenuItem(const QString& caption, QMenu* parent, std::function<void()> onClick);
    void OpenPresetEditor();
    // A file named on the command line (opened from the file manager): loaded
    // as a dropped file is, then opened in its editor when it holds a preset or
    // table dump. A file that cannot be read gets the dropped file's message.
    void OpenGivenFile(const QString& path);
    void NewPreset();
    void OpenMptEditor(const QString& fileName);
    void NewMptTable();
    // The three ways an editor reaches the unit.
    TEditorOperations EditorOperations();
    TOwnedObjects& Owned();

    // ---- Messages to the unit ----
    void RequestCurrentPreset();
    void RequestAllPresets();
    void RequestMptTable();
    // Counts the request as pending, sends it and waits RequestDelay.
    void RequestStatusItem(std::uint8_t item);
    void SelectBank(int bank);
    void ToggleBypass();
    // Sends the whole stream as one system-exclusive block.
    void SendStream(TStream& stream, QString& statusText);
    // The backup run's current preset, selected, waited for and asked for.
    void RequestPreset();

    // ---- What came back ----
    // Also shows "Preset loaded: " and the title when it holds one.
    bool BufferHoldsPresetDump();
    bool BufferHoldsMptDump() const;
    QString BufferPresetTitle() const;
    // Applies a reply to a status request; false when the event is not one.
    bool HandleStatusReply(const TMyMidiEvent& event);

    // ---- Sequencing ----
    void CheckOnline();
    // Something the user must hear about from the start (the virtual unit's
    // memory file was damaged): in the monitor at once, and in the status bar
    // once the online check has said its piece, so that its texts do not
    // replace it unseen.
    void ShowStartNotice(const QString& text);
    // The unit's current preset number 1..256, or -1 when it does not answer.
    int QueryCurrentPresetNumber();
    void TogglePreExpress();
    void ApplyPreExpressMode();
    void timPresetReqTimer();

    // ---- The backup run ----
    void StartBackup(bool saveFiles);
    // "Compare with folder...": the same run, keeping each preset to compare it
    // with a backup folder's file of the same location.
    void StartCompare();
    // The backup run and its state (RunActive, RunPresetIndex ...).
    TBackupRun& BackupRun() { return *backup_; }

    // ---- Verified store ----
    // "Verify stored presets" is checked (the setting "VERIFY_STORE", on at first).
    bool VerifyStores() const;
    // Sends the store message for location 1..200 of the unit's current bank; with
    // verification on, reads the location back, compares it with sent (empty: the
    // unit's edit buffer, asked for first) and selects previous (1..256) again.
    TStoreReport StoreInUnit(const std::vector<std::uint8_t>& storeMessage, int location,
                             std::vector<std::uint8_t> sent, int previous);
    // The store and its check alone, for location of bank (text only), with what
    // the unit sent back; the unit stays on the stored location.
    TRestoreResult StoreAndCheck(const std::vector<std::uint8_t>& storeMessage, int bank,
                                 int location, std::vector<std::uint8_t> sent);
    // The comparison window's "Store": each folder dump into the edit buffer and
    // stored at its location (bank by bank), checked; then the unit's bank and
    // preset from before.
    std::vector<TRestoreResult> RestoreIntoUnit(const std::vector<TRestoreItem>& items);
    // An editor for a dump (the file it came from, or none).
    void OpenDumpInEditor(const std::vector<std::uint8_t>& dump, const QString& fileName);
    TfrmCompare* CompareWindow() const;
    // "Library...": every preset the user has had, and the unit's history.
    void ShowLibrary();
    TfrmLibrary* LibraryWindow() const;

    // ---- State ----
    std::vector<std::uint8_t> LastSentMessage;
    int PendingStatusReplies = 0;
    int CurrentBank = -1;
    int UnitPresetNumber = -1;

    TChildWindowList* ChildWindows = nullptr;

    // ---- Controls ----
    QTimer* timPresetReq = nullptr;
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

protected:
    void paintEvent(QPaintEvent* event) override;
    // Open editors are closed first, each asking about unsaved work; the program
    // stays when one of them is kept open.
    void closeEvent(QCloseEvent* event) override;

private:
    // The online check that showing the window asked for, once.
    void RunDueOnlineCheck();
    QMenu* AddOwnedMenu(const QString& caption, const QString& name);
    QAction* AddSeparator(QMenu* parent);
    // Tells the user when a newly chosen channel reaches the unit's messages.
    void TransmitChannelChosen();
    void BuildRequestsMenu(bool preExpressChecked, bool verifyChecked);
    void BuildEditorMenus();
    // Sends a message built into LastSentMessage.
    void SendBuiltMessage(std::vector<std::uint8_t> bytes);
    void BypassChanged();
    void PreExpressChanged();

public:
    // Closing during a run: asks, and stops it; false when the user keeps it.
    bool StopRunToClose();

private:
    void SetUpBackupDialog(TfrmBkupOpt& dialog, bool saveFiles);
    QString ProposedRunFolder() const;
    void ApplyLastRunChoices(TfrmBkupOpt& dialog) const;
    void KeepRunChoices(const TfrmBkupOpt& dialog);
    void DiscardPendingInput();
    void StartRun(bool saveFiles, bool compare);
    void ShowComparison(const QString& folder, const QString& untitled,
                        std::vector<TCompareRow> rows);
    // What the runs tell the window and ask of it.
    void BuildRunHost();
    TfrmPresetEditor* NewPresetWindow();
    TfrmMPTEdit* NewMptWindow();

    // ---- What the unit holds where, as far as this session saw it ----
public:
    // Why the buffer went to no editor.
    QString NotOpenedText() const;
    // The run commands are off while a run goes on.
    void EnableRunCommands(bool on);
    // "A 002", and " — now "title"" when the title there is known.
    QString DescribeLocation(int location) const;
    // A preset seen at location (1-based) of bank (-1: the single bank).
    void NoteUnitTitle(int bank, int location, const QString& title);

private:
    std::map<std::pair<int, int>, QString> unitTitles_;

    // ---- A bulk dump kept (bulk_dump_save.cpp) ----
public:
    void ExpectBulkDump();
    // Keeps a preset dump of an expected bulk dump; false for anything else.
    bool TakeBulkDump(const TMyMidiEvent& event);
    // The dumps stopped coming: offers to save them.
    void BulkDumpEnded();
    void SaveBulkDumpAsSyx();
    void SaveBulkDumpAsFiles();
    std::vector<std::vector<std::uint8_t>> BulkDumps() const { return bulkDumps_; }
    QTimer* bulkQuiet_ = nullptr;

private:
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
    QString startNotice_; // waits for the online check to finish
    void ShowWaitingStartNotice();
};
