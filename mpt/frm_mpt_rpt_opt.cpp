#include "mpt/frm_mpt_rpt_opt.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmMPTRptOpt::TfrmMPTRptOpt(QWidget* parent) : QDialog(parent) {
    setObjectName("frmMPTRptOpt");
    setWindowTitle("Select report options");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto* main = new QVBoxLayout(this);
    ragReportStyle = new QGroupBox("Report Style", this);
    ragReportStyle->setObjectName("ragReportStyle");
    auto* items = new QVBoxLayout(ragReportStyle);
    ragReportStyleItems = new QButtonGroup(ragReportStyle);
    rbGridLayout = new QRadioButton("Grid layout", ragReportStyle);
    rbGridLayout->setObjectName("rbGridLayout");
    rbListWithFileNames = new QRadioButton("List with filenames", ragReportStyle);
    rbListWithFileNames->setObjectName("rbListWithFileNames");
    ragReportStyleItems->addButton(rbGridLayout, kGridLayout);
    ragReportStyleItems->addButton(rbListWithFileNames, kListWithFileNames);
    items->addWidget(rbGridLayout);
    items->addWidget(rbListWithFileNames);
    rbGridLayout->setChecked(true);
    main->addWidget(ragReportStyle);

    auto* buttons = new QHBoxLayout;
    btnOk = new QPushButton("OK", this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    main->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Wide enough for the caption next to the title bar's buttons.
    ragReportStyle->setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 120);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

int TfrmMPTRptOpt::ReportStyle() const {
    return ragReportStyleItems->checkedId();
}

void TfrmMPTRptOpt::SetReportStyle(int index) {
    if (QAbstractButton* item = ragReportStyleItems->button(index)) {
        item->setChecked(true);
        return;
    }
    // An exclusive group keeps one item checked; clearing them all needs it lifted.
    ragReportStyleItems->setExclusive(false);
    for (QAbstractButton* item : ragReportStyleItems->buttons())
        item->setChecked(false);
    ragReportStyleItems->setExclusive(true);
}
