#pragma once
// The "Performance MIDI" page of the preset editor: the preset's eight
// controller assignments, each driving one parameter between a low and a high
// value, with a grid of 129 named controllers whose names the user may change.
#include "model/perf_targets.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

#include <vector>

class QLabel;
class QListWidget;
class QAction;
class QMenu;
class QPushButton;
class QScrollBar;
class QTableWidget;
class QWidget;
class TfrmPresetEditor;
class TPerfMIDI;

class TPerfMidiPage : public QObject {
    Q_OBJECT
public:
    static constexpr int EntryCount = 8;
    static constexpr int FB7LeftController = 4;
    static constexpr int FB7RightController = 11;
    static const QString MonitorLine; // "MIDI Monitor"
    static const QString MixLine;     // "Mix"

    // Builds the page's controls into page.
    TPerfMidiPage(TfrmPresetEditor& editor, QWidget* page);

    // The settings key of the user's controller names.
    static QString ControllersKey();

    // ---- What the window calls ----
    void PrepareControllerGrid();
    // Lists the entries in use; those whose effect is off are marked so. Shown
    // as they came when showing; otherwise an entry whose effect was taken
    // away since the last rebuild is dropped.
    void RebuildEntryList(bool showing);
    // The entry's parameter belongs to the mix or to an effect switched on.
    bool EntryEffectActive(int k) const;
    static QString EntryLineText(int k, bool active);
    static const QString InactiveMark; // " (effect off)"
    // Run whenever the active page of the editor changes.
    void ActivatePerfPage();

    // ---- The page's own steps ----
    void RebuildParamLists(bool refillEffects);
    void RefreshEntryButtons();
    void ShowEntry();
    void ShowParameter();
    // The text of a range value for the selected parameter; empty with none selected.
    QString ValueText(int value) const;

    // Selects line row of "Controllers defined:" and shows its entry, as a click
    // on it does (the parameter listing walks the entries so).
    void ShowEntryLine(int row);

    // ---- Handlers ----
    void lbxPMIdefctlClick();
    void lbxCtlParamClick();
    void lbxParamNamesClick();
    void scrLowValueChange();
    void scrHighValueChange();
    void grdPMctlClick();
    void grdPMctlSetEditText(int row, const QString& text);
    void btnFB7leftClick();
    void btnFB7rightClick();
    void btnPMIaddClick();
    void btnPMIdelClick();
    void popPMIctldefPopup();

    // Effect page caption and 1-based position on it of parameter number a
    // (4 and up); false when no active group or page holds it.
    bool LocateParameter(int a, QString& caption, int& index) const;
    // The parameter number a line of the parameter list stands for.
    int ParameterNumberOf(const QString& effect, int line) const;

    int CurrentEntry = 0;
    bool RangeShown = false;
    // The parameter each line of the parameter list stands for.
    std::vector<TPerfTarget> ParamTargets;

    QListWidget* lbxPMIdefctl = nullptr;
    QMenu* popPMIctldef = nullptr;
    QAction* pmiAddController = nullptr;
    QAction* pmiDeleteController = nullptr;
    QPushButton* btnPMIadd = nullptr;
    QPushButton* btnPMIdel = nullptr;
    QListWidget* lbxCtlParam = nullptr;
    QListWidget* lbxParamNames = nullptr;
    QScrollBar* scrLowValue = nullptr;
    QScrollBar* scrHighValue = nullptr;
    QLabel* lblPMILowValue = nullptr;
    QLabel* lblPMIHighValue = nullptr;
    QLabel* lblPMIcurrval = nullptr;
    QTableWidget* grdPMctl = nullptr;
    QPushButton* btnFB7left = nullptr;
    QPushButton* btnFB7right = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs handler when the user picks a line of list: by keyboard or mouse onto a
    // new line, or by clicking the line that is already picked.
    void OnPick(QListWidget* list, void (TPerfMidiPage::*handler)());
    void BuildPage(QWidget* page);
    TPerfMIDI& Entry() const;
    // The parameter of the picked line; null for none and for the monitor's line.
    const TPerfTarget* SelectedTarget() const;
    TPerfTargets Targets() const;
    // Selects the line with this text in the effect list and runs the effect pick.
    bool PickEffect(const QString& caption);
    void SelectParamLine(int line);
    void SelectGridRow(int row);
    // Puts a stored range value into a bar (reversed sliders run the other way).
    int BarPosition(int stored) const;
    int StoredValue(int barPosition) const;
    bool Reversed() const;
    void SetBar(QScrollBar* bar, int position);
    void RefreshRangeLabels();
    void EnableEntryControls(bool on);
    // Reports a change the user made when it changed the preset.
    void ReportIfChanged(const std::vector<std::uint8_t>& before);
    std::vector<std::uint8_t> DumpNow() const;
    void PreError(const QString& text);

    TfrmPresetEditor& editor_;
    // Entries whose effect was off when the preset was shown and has not been
    // on since: kept as they came.
    std::array<bool, EntryCount> keptOff_{};
    // Set while the page moves its own lists, bars and grid.
    bool quiet_ = false;
    // The line of the list pressed last that was current before the press.
    QListWidget* pressedList_ = nullptr;
    int rowBeforePress_ = -1;
};
