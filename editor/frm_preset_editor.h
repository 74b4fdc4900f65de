#pragma once
// The preset editor: one preset with a control for every parameter of every
// effect. Controls write straight into the preset; the window marks it modified,
// keeps undo and redo snapshots, sends it to the unit at once or a second after a
// burst of moves, saves it to a .hrz file and asks before closing unsaved work.
#include "editor/editor_operations.h"
#include "model/digital_groups.h"
#include "model/edit_history.h"
#include "model/preset.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTimer;
class QToolButton;
class TFB7States;
class TPerfMidiPage;
class TPresetPages;
class TStream;
class TfrmStorePrompt;

// The one store dialog of all editors (made at the first store, freed with any editor).
std::unique_ptr<TfrmStorePrompt>& SharedStoreDialog();

class TfrmPresetEditor : public QWidget {
    Q_OBJECT
public:
    // A window shown beside the editors already on screen, not over them.
    void setVisible(bool visible) override;
    static constexpr int ChangeDelayMs = 1000;
    static constexpr int kDefaultWidth = 940;
    static constexpr int kDefaultHeight = 620;
    static const QString EditorTitle;
    static const QString SaveFilter;

    explicit TfrmPresetEditor(QWidget* parent = nullptr);
    ~TfrmPresetEditor() override;

    // Back to the state of a new window: a new preset, no file, empty history.
    void Reset();
    // How the editor reaches the unit (any of them may be empty).
    void SetOperations(TEditorOperations operations) { operations_ = std::move(operations); }
    const TEditorOperations& Operations() const { return operations_; }
    // Reads a 252-byte dump into the preset; ReadDump's errors pass to the caller.
    void LoadDump(TStream& stream);
    void SetFileName(const QString& fileName);
    const QString& FileName() const { return fileName_; }

    // Fills every control from the preset (run when the window is shown, and by
    // undo and redo).
    void ShowPreset();
    // The one change notification: immediate changes snapshot and send at once,
    // the others a second after the first of a burst.
    void NoteChange(bool immediate);
    void TakeSnapshot();
    // byUser: Send, F9 or a store; otherwise a change's automatic send.
    void SendPreset(bool byUser = true);
    // The save dialog and the file write; true when saved.
    bool SavePreset();
    void Undo();
    void Redo();

    // Digital effects, as the arrow buttons and double-clicks do it.
    void AddDigitalEffect(const QString& name);
    void RemoveDigitalEffect(const QString& name);
    // The "Valid Digital Groups" list.
    void PickGroup();

    // "&Print": the parameter listing of the preset, shown as the window shows
    // it; where the printout went shows in the status and the program's status bar.
    void btnPrintClick();
    // Prints the listing and returns where the printout went.
    QString PrintParameterListing();

    // "&Open": replaces the preset with a .hrz file.
    void OpenPresetFile();
    // "S&tore...": writes the preset into one of the unit's 200 locations.
    void StorePreset();
    // "Stored and verified" in the status; a store that did not verify in a message box.
    void ShowStoreReport(const TStoreReport& report);
    // The location a file name proposes: the number after ".hrz" (Lead.hrz042 gives
    // 42), else 1.
    static int ProposedLocation(const QString& fileName);
    // F0 1A channel 12 0A low high F7 for location 1..200.
    static std::vector<std::uint8_t> StoreMessage(int location);
    // The store dialog all editors share; null until the first store.
    static TfrmStorePrompt* StoreDialog();

    TPreset& Preset() { return *preset_; }
    const TPreset& Preset() const { return *preset_; }
    const TEditHistory& History() const { return history_; }
    TPresetPages& Pages() const { return *pages_; }
    TPerfMidiPage& PerfPage() const { return *perfPage_; }
    TFB7States& FB7() const { return *fb7_; }
    bool NeverSaved() const { return neverSaved_; }
    bool SendPending() const { return sendPending_; }
    bool Loading() const { return loading_; }

    // Folder of the last save, shared by every editor; empty until a save, then
    // ending with the folder separator.
    static QString& LastSaveFolder();

    // ---- Controls ----
    QToolButton* btnOpen = nullptr;
    QToolButton* btnUndo = nullptr;
    QToolButton* btnRedo = nullptr;
    QToolButton* btnSaveAs = nullptr;
    QToolButton* btnSendOut = nullptr;
    QToolButton* btnStore = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* btnPrtSetup = nullptr;
    QToolButton* btnExit = nullptr;
    QLineEdit* edtTitle = nullptr;
    QLabel* lblStatus = nullptr;
    QCheckBox* chkAutoSend = nullptr;
    QListWidget* cklAnalogSelect = nullptr;
    QLabel* lblDigGrp = nullptr;
    QListWidget* lbxDigAvail = nullptr;
    QListWidget* lbxDigSel = nullptr;
    QToolButton* btnAddDfx = nullptr;
    QToolButton* btnDelDfx = nullptr;
    QToolButton* btnDigGrp = nullptr;
    QWidget* grpMix = nullptr;
    QTabWidget* pgcPreset = nullptr;
    QTabWidget* pgcAnalogParams = nullptr;
    QTabWidget* pgcDigitalParams = nullptr;
    QWidget* tsAnalog = nullptr;
    QWidget* tsDigital = nullptr;
    QWidget* tsPerfMIDI = nullptr;
    QWidget* tsFB7 = nullptr;
    QTimer* timSys = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    // Undo (back) or redo (forward), keeping the three pages the user is on.
    void StepHistory(bool forward);
    QWidget* BuildToolBar();
    QWidget* BuildTitleRow();
    QWidget* BuildAnalogGroup();
    QWidget* BuildDigitalGroup();
    QWidget* BuildPages();

    void SetCaption();
    // The save question's caption: "Save changes to "title"?".
    QString SaveQuestionCaption() const;
    void SetStatus(const QString& text);
    // Fits the status into its label, cut in the middle with the whole in its hint.
    void ShowStatusText();
    void ShowPrintout(const QString& where);
    void RefreshUndoButtons();
    void timSysTimer();
    void edtTitleChange(const QString& text);
    // The user's check change of analog effect i.
    void AnalogSelectChanged(int i, bool checked);
    void ShowAnalogPages();
    // Lists, group label and digital pages after a change of the selection.
    void ShowDigitalSelection();
    void BindDigitalPages();
    void ActivateDigitalPage(int page);
    void DigitalListClicked(QListWidget* list, QToolButton* button);

    TEditorOperations operations_;
    std::unique_ptr<TPreset> preset_;
    std::unique_ptr<TDigitalSelection> selection_;
    TEditHistory history_;
    TPresetPages* pages_ = nullptr;
    TPerfMidiPage* perfPage_ = nullptr;
    TFB7States* fb7_ = nullptr;
    QString fileName_;
    // The whole status; the label may show it shortened.
    QString status_;
    bool neverSaved_ = true;
    bool loading_ = false;
    bool sendPending_ = false;
    bool outputMissingShown_ = false;
    bool closing_ = false;
};
