#pragma once
// Asks where in the unit to store a preset (1..200) and whether to send the
// edited preset first. The number is checked whenever the dialog closes.
#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TUpDown;

class TfrmStorePrompt : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinNumber = 1;
    static constexpr int MaxNumber = 200;

    explicit TfrmStorePrompt(QWidget* parent = nullptr);

    // The number in the edit box (0 when it holds none).
    int PresetNumber() const;
    // Clamps into 1..200 and shows the clamped number.
    void SetPresetNumber(int number);
    bool SendFirst() const;
    // Names the location the number stands for and what it holds now
    // (lblTarget); without it the label names the number only.
    void SetDescribeLocation(std::function<QString(int location)> describe);

    // Refuses to close (OK and Cancel alike) while the box holds no number in range.
    void done(int result) override;

    QCheckBox* chkDoSend = nullptr;
    QLabel* lblTarget = nullptr;
    QLineEdit* edtPresetNo = nullptr;
    TUpDown* updPresetNo = nullptr;
    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void ShowTarget();
    std::function<QString(int location)> describe_;

protected:
    // Opens with the number selected, ready to be typed over.
    void showEvent(QShowEvent* event) override;
};
