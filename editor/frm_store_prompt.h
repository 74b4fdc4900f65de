#pragma once
// Asks where in the unit to store a preset (1..200) and whether to send the
// edited preset first. The number is checked whenever the dialog closes.
#include <QDialog>

class QCheckBox;
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

    // Refuses to close (OK and Cancel alike) while the box holds no number in range.
    void done(int result) override;

    QCheckBox* chkDoSend = nullptr;
    QLineEdit* edtPresetNo = nullptr;
    TUpDown* updPresetNo = nullptr;
    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    // Opens with the number selected, ready to be typed over.
    void showEvent(QShowEvent* event) override;
};
