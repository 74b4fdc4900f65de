#pragma once
// "Select report options": which of the two program table reports to print.
#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

class TfrmMPTRptOpt : public QDialog {
    Q_OBJECT
public:
    static constexpr int kGridLayout = 0;
    static constexpr int kListWithFileNames = 1;

    explicit TfrmMPTRptOpt(QWidget* parent = nullptr);

    // The selected item's index, -1 when none is selected. Any value outside
    // the items selects none (as a style stored by a later version may be).
    int ReportStyle() const;
    void SetReportStyle(int index);

    QGroupBox* ragReportStyle = nullptr;
    QButtonGroup* ragReportStyleItems = nullptr;
    QRadioButton* rbGridLayout = nullptr;
    QRadioButton* rbListWithFileNames = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};
