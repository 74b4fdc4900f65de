#include "app/window/frm_bkup_opt.h"

#include "controls/app_error_handler.h"
#include "controls/browse_folder.h"
#include "controls/lv_up_down.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/printer_canvas.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/unit_location.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

template <class T> T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace

TfrmBkupOpt::TfrmBkupOpt(QWidget* parent) : QDialog(parent) {
    setObjectName("frmBkupOpt");
    setWindowTitle("Automated backup and print options");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    BuildControls();
    // A fixed dialog border: the size the controls need, no resizing.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    for (QCheckBox* box : chkBank)
        box->setEnabled(!PreExpressMode);
    lblOutPut->setText(PreExpressMode
                           ? "Output directory:"
                           : "Output directory (bank subdirectories will be created as needed)");
}

void TfrmBkupOpt::BuildControls() {
    auto* main = new QVBoxLayout(this);
    lblCurrentBank = Named(new QLabel(this), "lblCurrentBank");
    main->addWidget(lblCurrentBank);

    grpBankOpts = Named(new QGroupBox("Get presets for", this), "grpBankOpts");
    auto* banks = new QHBoxLayout(grpBankOpts);
    const char* bankNames[] = {"chkBankA", "chkBankB", "chkBankC", "chkBankD"};
    for (int b = 0; b < 4; ++b) {
        auto* box = new QCheckBox(QString("Bank &%1").arg(QString::fromStdString(BankLetter(b))),
                                  grpBankOpts);
        box->setObjectName(bankNames[b]);
        banks->addWidget(box);
        chkBank[static_cast<std::size_t>(b)] = box;
    }
    main->addWidget(grpBankOpts);

    ragLoopMethod = Named(new QGroupBox("Loop thru presets", this), "ragLoopMethod");
    auto* methods = new QGridLayout(ragLoopMethod);
    ragLoopMethodItems = new QButtonGroup(ragLoopMethod);
    const char* methodTexts[] = {"By Preset Number", "By Program Change (MPT)"};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(methodTexts[i], ragLoopMethod);
        item->setObjectName(QString("ragLoopMethodItem%1").arg(i));
        ragLoopMethodItems->addButton(item, i);
        methods->addWidget(item, 0, i); // two columns
    }
    ragLoopMethodItems->button(0)->setChecked(true);
    connect(ragLoopMethodItems, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            ragLoopMethodClick();
    });
    main->addWidget(ragLoopMethod);

    auto* numbers = new QHBoxLayout;
    lblFirstNo = Named(new QLabel("Start with preset no.", this), "lblFirstNo");
    edtFirstNo = Named(new QLineEdit("1", this), "edtFirstNo");
    updFirstNo = Named(new TUpDown(edtFirstNo, this), "updFirstNo");
    lblLastNo = Named(new QLabel("thru preset no.", this), "lblLastNo");
    edtLastNo = Named(new QLineEdit("200", this), "edtLastNo");
    updLastNo = Named(new TUpDown(edtLastNo, this), "updLastNo");
    for (QLineEdit* edit : {edtFirstNo, edtLastNo}) {
        edit->setFixedWidth(fontMetrics().horizontalAdvance("00000") + 12);
        edit->installEventFilter(this);
    }
    for (TUpDown* upDown : {updFirstNo, updLastNo})
        upDown->SetRange(kLowestPreset, kPresetsPerBank);
    lblFirstNo->setBuddy(edtFirstNo);
    lblLastNo->setBuddy(edtLastNo);
    numbers->addWidget(lblFirstNo);
    numbers->addWidget(edtFirstNo);
    numbers->addWidget(updFirstNo);
    numbers->addSpacing(12);
    numbers->addWidget(lblLastNo);
    numbers->addWidget(edtLastNo);
    numbers->addWidget(updLastNo);
    numbers->addStretch();
    main->addLayout(numbers);

    auto* untitled = new QHBoxLayout;
    chkUntitled = Named(new QCheckBox("&Save untitled presets as:", this), "chkUntitled");
    edtUntitled = Named(new QLineEdit("Untitled", this), "edtUntitled");
    edtUntitled->setEnabled(false);
    untitled->addWidget(chkUntitled);
    untitled->addWidget(edtUntitled);
    main->addLayout(untitled);
    connect(chkUntitled, &QCheckBox::toggled, this, [this] { chkUntitledClick(); });

    auto* output = new QHBoxLayout;
    chkSave = Named(new QCheckBox("Save to &files", this), "chkSave");
    chkPrint = Named(new QCheckBox("&Print preset list", this), "chkPrint");
    btnPrtSetup = Named(new QPushButton("Set&up", this), "btnPrtSetup");
    btnPrtSetup->setToolTip("Printer selection/configuration");
    output->addWidget(chkSave);
    output->addWidget(chkPrint);
    output->addStretch();
    output->addWidget(btnPrtSetup);
    main->addLayout(output);
    connect(chkSave, &QCheckBox::toggled, this, [this] { chkSaveClick(); });
    connect(chkPrint, &QCheckBox::toggled, this, [this] { chkPrintClick(); });
    connect(btnPrtSetup, &QPushButton::clicked, this, [this] { PrinterSetup(this); });

    lblOutPut = Named(new QLabel(this), "lblOutPut");
    main->addWidget(lblOutPut);
    auto* path = new QHBoxLayout;
    edtPath = Named(new QLineEdit(this), "edtPath");
    edtPath->setMinimumWidth(fontMetrics().horizontalAdvance('x') * 48);
    btnBrowse = Named(new QPushButton("B&rowse", this), "btnBrowse");
    path->addWidget(edtPath);
    path->addWidget(btnBrowse);
    main->addLayout(path);
    connect(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowseClick(); });

    auto* buttons = new QHBoxLayout;
    btnOk = Named(new QPushButton("OK", this), "btnOk");
    btnCancel = Named(new QPushButton("Cancel", this), "btnCancel");
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    main->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });

    // Enter anywhere is "Set&up".
    for (QPushButton* button : {btnOk, btnCancel, btnBrowse})
        button->setAutoDefault(false);
    btnPrtSetup->setDefault(true);
    chkSaveClick();
}

void TfrmBkupOpt::SetCompareMode() {
    compareMode_ = true;
    setWindowTitle("Compare with folder");
    chkSave->setChecked(true);
    chkPrint->setChecked(false);
    for (QWidget* w : std::initializer_list<QWidget*>{chkSave, chkPrint, btnPrtSetup})
        w->hide();
    btnPrtSetup->setDefault(false);
    btnOk->setDefault(true);
    chkUntitled->setText("&Untitled presets saved as:");
    lblOutPut->setText(PreExpressMode ? "Backup folder:"
                                      : "Backup folder (the one holding the bank subfolders)");
}

void TfrmBkupOpt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

// ---- Rules ----

void TfrmBkupOpt::UpdateOk() {
    btnOk->setEnabled(chkSave->isChecked() || chkPrint->isChecked());
}

void TfrmBkupOpt::chkSaveClick() {
    edtPath->setEnabled(chkSave->isChecked());
    btnBrowse->setEnabled(chkSave->isChecked());
    UpdateOk();
}

void TfrmBkupOpt::chkPrintClick() {
    UpdateOk();
}

void TfrmBkupOpt::chkUntitledClick() {
    edtUntitled->setEnabled(chkUntitled->isChecked());
    if (edtUntitled->isEnabled() && edtUntitled->text().isEmpty())
        edtUntitled->setText("Untitled");
}

void TfrmBkupOpt::btnBrowseClick() {
    const QString chosen = BrowseFolder(
        this, compareMode_ ? "Select backup folder:" : "Select output folder:", edtPath->text());
    if (!chosen.isEmpty())
        edtPath->setText(chosen);
}

int TfrmBkupOpt::UpperBound() const {
    return PreExpressMode && LoopMethod() == 1 ? kMptPresetsPreExpress : kPresetsPerBank;
}

void TfrmBkupOpt::ragLoopMethodClick() {
    const int bound = UpperBound();
    updFirstNo->SetRange(kLowestPreset, bound);
    updLastNo->SetRange(kLowestPreset, bound);
    edtLastNo->setText(QString::number(bound));
}

int TfrmBkupOpt::LoopMethod() const {
    return ragLoopMethodItems->checkedId();
}

void TfrmBkupOpt::SetLoopMethod(int index) {
    if (QAbstractButton* item = ragLoopMethodItems->button(index))
        item->setChecked(true);
}

QString TfrmBkupOpt::UntitledName() const {
    if (!edtUntitled->isEnabled())
        return {};
    return edtUntitled->text().isEmpty() ? QString("Untitled") : edtUntitled->text();
}

QString TfrmBkupOpt::Path() const {
    return edtPath->text();
}

// ---- Preset numbers ----

void TfrmBkupOpt::CheckNumberEdit(QLineEdit* edit, int& value) {
    bool ok = false;
    const int number = edit->text().toInt(&ok);
    if (!ok) {
        edit->setFocus();
        throw EHrzError(
            QString("'%1' is not a valid integer value").arg(edit->text()).toStdString());
    }
    value = number;
    if (number < kLowestPreset || number > UpperBound()) {
        edit->setFocus();
        throw EHrzError("Invalid preset number");
    }
}

void TfrmBkupOpt::edtFirstNoExit() {
    CheckNumberEdit(edtFirstNo, firstNo_);
}

void TfrmBkupOpt::edtLastNoExit() {
    CheckNumberEdit(edtLastNo, lastNo_);
}

bool TfrmBkupOpt::FormCloseQuery(int result) {
    if (!RunShowingErrors(
            [this] {
                edtFirstNoExit();
                edtLastNoExit();
            },
            this))
        return false;
    if (result != mrOk)
        return true;
    const int bound = UpperBound();
    if (lastNo_ < firstNo_ || firstNo_ < kLowestPreset || lastNo_ > bound) {
        Dialogs().MessageBox(this, "Invalid preset number range", "Error", mbOK,
                             TMsgDlgType::mtError);
        return false;
    }
    return true;
}

void TfrmBkupOpt::done(int result) {
    if (FormCloseQuery(result))
        QDialog::done(result);
}

// ---- Keys and focus of the number edits ----

bool TfrmBkupOpt::NumberKeyAllowed(const QKeyEvent& key) const {
    // Keys that move around or close the dialog are not typed characters.
    switch (key.key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        break;
    }
    // Shortcuts (select all, copy, paste) are no typing; what they bring in
    // is checked when the edit is left.
    if (key.text().isEmpty() || (key.modifiers() & Qt::ControlModifier))
        return true;
    const QChar c = key.text().at(0);
    // Backspace and control characters are typed characters too.
    return c >= '0' && c <= '9';
}

bool TfrmBkupOpt::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || (edit != edtFirstNo && edit != edtLastNo))
        return QDialog::eventFilter(watched, event);
    TUpDown* upDown = edit == edtFirstNo ? updFirstNo : updLastNo;
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down) {
            upDown->Step(key.key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
        if (!NumberKeyAllowed(key))
            return true;
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent&>(*event).reason();
        QWidget* next = QApplication::focusWidget();
        // OK and Cancel check both numbers themselves; leaving the window is no exit.
        const bool leavesWithinDialog =
            reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason ||
            reason == Qt::OtherFocusReason;
        if (leavesWithinDialog && next != btnOk && next != btnCancel)
            QTimer::singleShot(0, this, [this, edit] {
                RunShowingErrors(
                    [&] { CheckNumberEdit(edit, edit == edtFirstNo ? firstNo_ : lastNo_); }, this);
            });
    }
    return QDialog::eventFilter(watched, event);
}

TRunChoices TfrmBkupOpt::Choices() const {
    TRunChoices choices;
    for (std::size_t b = 0; b < 4; ++b)
        choices.Walk.Banks[b] = chkBank[b]->isChecked();
    choices.Walk.First = FirstNo();
    choices.Walk.Last = LastNo();
    choices.Walk.ByPresetNumber = LoopMethod() == 0;
    choices.Walk.UntitledName = UntitledName().toStdString();
    choices.Folder = Path();
    choices.SaveFiles = chkSave->isChecked();
    choices.PrintList = chkPrint->isChecked();
    return choices;
}
