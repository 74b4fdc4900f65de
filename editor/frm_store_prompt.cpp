#include "editor/frm_store_prompt.h"

#include "controls/lv_up_down.h"
#include "controls/seams/dialog_service.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

TfrmStorePrompt::TfrmStorePrompt(QWidget* parent) : QDialog(parent) {
    setObjectName("frmStorePrompt");
    setWindowTitle("Store Preset");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    chkDoSend = new QCheckBox("Send the current preset before storing", this);
    chkDoSend->setObjectName("chkDoSend");
    chkDoSend->setToolTip("Uncheck = store what's already loaded in the unit itself");
    chkDoSend->setChecked(true);
    auto* caption = new QLabel("Store current preset at location:", this);
    edtPresetNo = new QLineEdit("1", this);
    edtPresetNo->setObjectName("edtPresetNo");
    // Digits only: anything else typed is discarded.
    edtPresetNo->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,6}"), edtPresetNo));
    edtPresetNo->setFixedWidth(edtPresetNo->fontMetrics().horizontalAdvance("00000") + 12);
    caption->setBuddy(edtPresetNo);
    updPresetNo = new TUpDown(edtPresetNo, this);
    updPresetNo->setObjectName("updPresetNo");
    updPresetNo->SetRange(MinNumber, MaxNumber);
    btnUp = updPresetNo->btnUp;
    btnDown = updPresetNo->btnDown;
    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");

    auto* number = new QHBoxLayout;
    number->addWidget(caption);
    number->addWidget(edtPresetNo);
    number->addWidget(updPresetNo);
    number->addStretch();
    lblTarget = new QLabel(this);
    lblTarget->setObjectName("lblTarget");
    lblTarget->setTextFormat(Qt::PlainText);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkDoSend);
    layout->addLayout(number);
    layout->addWidget(lblTarget);
    layout->addLayout(buttons);

    connect(edtPresetNo, &QLineEdit::textChanged, this, &TfrmStorePrompt::ShowTarget);
    ShowTarget();

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmStorePrompt::PresetNumber() const {
    return edtPresetNo->text().toInt();
}

void TfrmStorePrompt::SetPresetNumber(int number) {
    edtPresetNo->setText(QString::number(std::clamp(number, MinNumber, MaxNumber)));
}

void TfrmStorePrompt::SetDescribeLocation(std::function<QString(int location)> describe) {
    describe_ = std::move(describe);
    ShowTarget();
}

void TfrmStorePrompt::ShowTarget() {
    bool ok = false;
    const int n = edtPresetNo->text().toInt(&ok);
    if (!ok || n < MinNumber || n > MaxNumber) {
        lblTarget->setText(QString("Locations are %1 to %2").arg(MinNumber).arg(MaxNumber));
        return;
    }
    lblTarget->setText("Store at " +
                       (describe_ ? describe_(n) : QString("%1").arg(n, 3, 10, QChar('0'))));
}

bool TfrmStorePrompt::SendFirst() const {
    return chkDoSend->isChecked();
}

void TfrmStorePrompt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtPresetNo->setFocus();
    edtPresetNo->selectAll();
}

void TfrmStorePrompt::done(int result) {
    const QString text = edtPresetNo->text();
    bool ok = false;
    const int typed = text.toInt(&ok);
    if (!ok) {
        ShowMessage(this, "'" + text + "' is not a valid integer value", "Invalid entry");
        return;
    }
    SetPresetNumber(typed);
    if (PresetNumber() != typed) {
        ShowMessage(this, "Preset number out of range", "Invalid entry");
        return;
    }
    QDialog::done(result);
}
