#include "library_window/frm_library_restore.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfrmLibraryRestore::TfrmLibraryRestore(TPresetLibrary& library, bool preExpress, QWidget* parent)
    : QDialog(parent), library_(library), preExpress_(preExpress) {
    setObjectName("TfrmLibraryRestore");
    setWindowTitle("Restore a bank as it was");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    cmbBank = new QComboBox(this);
    cmbBank->setObjectName("cmbBank");
    if (preExpress)
        cmbBank->addItem("Pre-Express unit - single bank");
    else
        for (const char* b : {"Bank A", "Bank B", "Bank C", "Bank D"})
            cmbBank->addItem(b);
    form->addRow("Bank:", cmbBank);
    dtpDate = new QDateTimeEdit(QDateTime::currentDateTime(), this);
    dtpDate->setObjectName("dtpDate");
    dtpDate->setCalendarPopup(true);
    dtpDate->setDisplayFormat("yyyy-MM-dd hh:mm:ss"); // records are to the second
    form->addRow("As it was on:", dtpDate);
    layout->addLayout(form);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName("lblSummary");
    layout->addWidget(lblSummary);
    lbxChanges = new QListWidget(this);
    lbxChanges->setObjectName("lbxChanges");
    layout->addWidget(lbxChanges);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton("Store in the unit", QDialogButtonBox::AcceptRole);
    btnOK->setObjectName("btnOK");
    btnCancel = buttons->addButton(QDialogButtonBox::Cancel);
    btnCancel->setObjectName("btnCancel");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cmbBank, &QComboBox::currentIndexChanged, this, [this] { UpdatePlan(); });
    connect(dtpDate, &QDateTimeEdit::dateTimeChanged, this, [this] { UpdatePlan(); });
    resize(520, 420);
    UpdatePlan();
}

int TfrmLibraryRestore::Bank() const {
    return preExpress_ ? -1 : cmbBank->currentIndex();
}

void TfrmLibraryRestore::UpdatePlan() {
    plan_ = library_.RestorePlan(Bank(), dtpDate->dateTime().toSecsSinceEpoch());
    lbxChanges->clear();
    for (const auto& step : plan_)
        lbxChanges->addItem(QString::fromStdString(UnitLocationText(Bank(), step.Number)) + ":  " +
                            (step.CurrentTitle.empty()
                                 ? QString("(unknown)")
                                 : QString::fromStdString(step.CurrentTitle)) +
                            "  ->  " + QString::fromStdString(step.Title));
    lblSummary->setText(plan_.empty()
                            ? "Nothing to change: the library knows no other preset of this bank "
                              "at that time."
                            : QString("%1 location(s) would change:").arg(plan_.size()));
    btnOK->setEnabled(!plan_.empty());
}
