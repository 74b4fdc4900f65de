#pragma once
// A modal list to pick one line from: OK is enabled once a line is chosen, and
// OK or a double-click confirms it; Cancel confirms none.
#include <QDialog>

class QListWidget;
class QPushButton;

class TfrmPickList : public QDialog {
    Q_OBJECT
public:
    TfrmPickList(const QString& caption, const QStringList& lines, QWidget* parent = nullptr);

    // Index of the confirmed (or currently chosen) line; -1 when none.
    int SelectedIndex() const;

    QListWidget* lbxItems = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
