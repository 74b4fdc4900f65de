#pragma once
// "Restore bank": a bank and a date, and the locations whose preset would change
// if the bank were put back as the library saw it then.
#include "library/preset_library.h"

#include <QDialog>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QListWidget;
class QPushButton;

class TfrmLibraryRestore : public QDialog {
    Q_OBJECT
public:
    // preExpress: the single bank, no bank choice.
    TfrmLibraryRestore(TPresetLibrary& library, bool preExpress, QWidget* parent = nullptr);

    int Bank() const;
    const std::vector<TRestoreStep>& Plan() const { return plan_; }
    // Recomputes the plan for the bank and date shown.
    void UpdatePlan();

    QComboBox* cmbBank = nullptr;
    QDateTimeEdit* dtpDate = nullptr;
    QListWidget* lbxChanges = nullptr;
    QLabel* lblSummary = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    TPresetLibrary& library_;
    bool preExpress_;
    std::vector<TRestoreStep> plan_;
};
