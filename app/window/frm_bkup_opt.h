#pragma once
// "Automated backup and print options": which banks and presets a run walks,
// how it selects them, whether it saves files and/or prints the title list,
// and where the files go.
#include "app/runs/run_choices.h"

#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TUpDown;

class TfrmBkupOpt : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLowestPreset = 1;
    static constexpr int kPresetsPerBank = 200;
    static constexpr int kMptPresetsPreExpress = 128;

    explicit TfrmBkupOpt(QWidget* parent = nullptr);
    // The same choices for comparing the unit with a backup folder: the folder is
    // read, nothing is printed; untitled presets count as saved under the name given.
    void SetCompareMode();
    bool CompareMode() const { return compareMode_; }

    // ---- Rules ----
    void chkSaveClick();
    void chkPrintClick();
    void chkUntitledClick();
    void btnBrowseClick();
    void ragLoopMethodClick();
    // Take the edit's number; fail with the conversion error or
    // "Invalid preset number" (the focus goes back to the edit).
    void edtFirstNoExit();
    void edtLastNoExit();
    // False keeps the dialog open. Runs for Cancel too.
    bool FormCloseQuery(int result);

    // ---- What the dialog holds ----
    int LoopMethod() const; // 0 by preset number, 1 by program change
    void SetLoopMethod(int index);
    int FirstNo() const { return firstNo_; }
    int LastNo() const { return lastNo_; }
    int UpperBound() const;
    // The name for untitled presets; empty when they are to be skipped.
    QString UntitledName() const;
    // The path as typed or chosen (a chosen folder ends in a separator).
    QString Path() const;
    // All of it, for the run (the dialog stays the user's record of it).
    TRunChoices Choices() const;

    // ---- Controls ----
    QLabel* lblCurrentBank = nullptr;
    QGroupBox* grpBankOpts = nullptr;
    std::array<QCheckBox*, 4> chkBank{}; // chkBankA .. chkBankD
    QGroupBox* ragLoopMethod = nullptr;
    QButtonGroup* ragLoopMethodItems = nullptr;
    QLabel* lblFirstNo = nullptr;
    QLineEdit* edtFirstNo = nullptr;
    TUpDown* updFirstNo = nullptr;
    QLabel* lblLastNo = nullptr;
    QLineEdit* edtLastNo = nullptr;
    TUpDown* updLastNo = nullptr;
    QCheckBox* chkUntitled = nullptr;
    QLineEdit* edtUntitled = nullptr;
    QCheckBox* chkSave = nullptr;
    QCheckBox* chkPrint = nullptr;
    QPushButton* btnPrtSetup = nullptr;
    QLabel* lblOutPut = nullptr;
    QLineEdit* edtPath = nullptr;
    QPushButton* btnBrowse = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void UpdateOk();
    // Takes the number of edit into value; fails as the exit checks do.
    void CheckNumberEdit(QLineEdit* edit, int& value);
    bool NumberKeyAllowed(const QKeyEvent& key) const;

    bool compareMode_ = false;
    int firstNo_ = kLowestPreset;
    int lastNo_ = kPresetsPerBank;
};
