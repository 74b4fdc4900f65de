// The preset editor window: its layout, the preset it shows, changes, sending,
// saving, undo and redo, and closing.
#include "editor/frm_preset_editor.h"
#include "controls/compact_tabs.h"
#include "controls/model_path.h"

#include "controls/app_error_handler.h"
#include "controls/frm_pick_list.h"
#include "controls/screen_placement.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/printer_canvas.h"
#include "controls/window_placement.h"
#include "editor/fb7_states.h"
#include "editor/frm_store_prompt.h"
#include "editor/latin1_string.h"
#include "editor/perf_midi_page.h"
#include "editor/preset_pages.h"
#include "editor/title_validator.h"
#include "model/catalogue.h"
#include "model/errors.h"
#include "model/safe_file_name.h"
#include "model/stream.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumWidth(64);
    return b;
}

int DigitalPageOf(const QString& effectName) {
    for (const auto& e : Catalogue::DigitalEffects())
        if (Latin1String(e.Name) == effectName)
            return e.Page;
    return -1;
}

} // namespace

std::unique_ptr<TfrmStorePrompt>& SharedStoreDialog() {
    static std::unique_ptr<TfrmStorePrompt> dialog;
    return dialog;
}

const QString TfrmPresetEditor::EditorTitle = "HRZ2000e Preset Editor";
const QString TfrmPresetEditor::SaveFilter = "HRZ2000 presets (*.hrz*)";

QString& TfrmPresetEditor::LastSaveFolder() {
    static QString folder;
    return folder;
}

TfrmPresetEditor::TfrmPresetEditor(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmPresetEditor");
    // Editors never keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    preset_ = std::make_unique<TPreset>();
    selection_ = std::make_unique<TDigitalSelection>(*preset_);
    BuildWindow();
    timSys = new QTimer(this);
    timSys->setObjectName("timSys");
    timSys->setInterval(ChangeDelayMs);
    connect(timSys, &QTimer::timeout, this, [this] { timSysTimer(); });
    // The window sees its keys before the control that has the focus.
    qApp->installEventFilter(this);
    Reset();
}

TfrmPresetEditor::~TfrmPresetEditor() {
    qApp->removeEventFilter(this);
    // The shared store dialog goes with any editor, and so never outlives them all.
    SharedStoreDialog().reset();
}

// ---- Layout ----

void TfrmPresetEditor::BuildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(BuildToolBar());
    layout->addWidget(BuildTitleRow());
    auto* groups = new QHBoxLayout;
    groups->addWidget(BuildAnalogGroup());
    groups->addWidget(BuildDigitalGroup());
    grpMix = new QGroupBox("Mix", this);
    grpMix->setObjectName("grpMix");
    groups->addWidget(grpMix, 1);
    layout->addLayout(groups);
    layout->addWidget(BuildPages(), 1);
    CenterInFreeArea(*this, QSize(kDefaultWidth, kDefaultHeight));
}

QWidget* TfrmPresetEditor::BuildToolBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName("tlbEditor");
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    btnOpen = ToolButton(bar, "btnOpen", "&Open", "Open another preset...");
    btnUndo = ToolButton(bar, "btnUndo", "&Undo", {});
    btnRedo = ToolButton(bar, "btnRedo", "&Redo", {});
    btnSaveAs = ToolButton(bar, "btnSaveAs", "&Save...", "Save this preset to a file");
    btnSendOut = ToolButton(bar, "btnSendOut", "Sen&d", "Send preset to MIDI out (F9)");
    btnStore = ToolButton(bar, "btnStore", "S&tore...", "Store the current preset at...");
    btnPrint = ToolButton(bar, "btnPrint", "&Print", "Print preset data");
    btnPrtSetup = ToolButton(bar, "btnPrtSetup", "Set&up", "Printer selection/configuration");
    btnExit = ToolButton(bar, "btnExit", "&Exit", "Just what it says");
    for (QToolButton* b : {btnOpen, btnUndo, btnRedo, btnSaveAs, btnSendOut, btnStore, btnPrint,
                           btnPrtSetup, btnExit})
        row->addWidget(b);
    row->addStretch();

    connect(btnOpen, &QToolButton::clicked, this, [this] { OpenPresetFile(); });
    connect(btnStore, &QToolButton::clicked, this, [this] { StorePreset(); });
    connect(btnUndo, &QToolButton::clicked, this, [this] { Undo(); });
    connect(btnRedo, &QToolButton::clicked, this, [this] { Redo(); });
    connect(btnSaveAs, &QToolButton::clicked, this, [this] { SavePreset(); });
    connect(btnSendOut, &QToolButton::clicked, this, [this] { SendPreset(); });
    connect(btnPrint, &QToolButton::clicked, this, [this] { btnPrintClick(); });
    // The printer chosen here is the one every printout of the program uses.
    connect(btnPrtSetup, &QToolButton::clicked, this, [this] { PrinterSetup(this); });
    connect(btnExit, &QToolButton::clicked, this, [this] { close(); });
    return bar;
}

QWidget* TfrmPresetEditor::BuildTitleRow() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel("Title:", box);
    edtTitle = new QLineEdit(box);
    edtTitle->setObjectName("edtTitle");
    edtTitle->setMaxLength(TPreset::TitleLength);
    edtTitle->setValidator(new TTitleValidator(edtTitle));
    edtTitle->setFixedWidth(edtTitle->fontMetrics().horizontalAdvance(QString(18, 'W')));
    caption->setBuddy(edtTitle);
    lblStatus = new QLabel(box);
    lblStatus->setObjectName("lblStatus");
    QFont italic = lblStatus->font();
    italic.setItalic(true);
    lblStatus->setFont(italic);
    // A long status (where a printout went) never widens the window.
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    chkAutoSend = new QCheckBox("Auto send", box);
    chkAutoSend->setObjectName("chkAutoSend");
    chkAutoSend->setToolTip("Check on to automatically send changes to MIDI out");
    row->addWidget(caption);
    row->addWidget(edtTitle);
    row->addSpacing(12);
    row->addWidget(lblStatus, 1);
    row->addWidget(chkAutoSend);
    connect(edtTitle, &QLineEdit::textEdited, this,
            [this](const QString& text) { edtTitleChange(text); });
    return box;
}

QWidget* TfrmPresetEditor::BuildAnalogGroup() {
    auto* group = new QGroupBox("Analog Effects", this);
    group->setObjectName("grpAnalog");
    auto* layout = new QVBoxLayout(group);
    cklAnalogSelect = new QListWidget(group);
    cklAnalogSelect->setObjectName("cklAnalogSelect");
    cklAnalogSelect->setToolTip("Click on to add, off to remove effects");
    int widest = 0;
    for (const auto& effect : Catalogue::AnalogEffects()) {
        auto* item = new QListWidgetItem(Latin1String(effect.Name), cklAnalogSelect);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
        widest = std::max(widest, cklAnalogSelect->fontMetrics().horizontalAdvance(item->text()));
    }
    // Two columns, filled top to bottom.
    const int rows = (Catalogue::AnalogEffectCount + 1) / 2;
    const int rowHeight = std::max(cklAnalogSelect->sizeHintForRow(0), 18);
    cklAnalogSelect->setFlow(QListView::TopToBottom);
    cklAnalogSelect->setWrapping(true);
    cklAnalogSelect->setResizeMode(QListView::Adjust);
    cklAnalogSelect->setGridSize(QSize(widest + 34, rowHeight));
    cklAnalogSelect->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cklAnalogSelect->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * cklAnalogSelect->frameWidth();
    cklAnalogSelect->setFixedSize(2 * (widest + 34) + frame + 4, rows * rowHeight + frame + 4);
    layout->addWidget(cklAnalogSelect);
    connect(cklAnalogSelect, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!loading_)
            AnalogSelectChanged(cklAnalogSelect->row(item), item->checkState() == Qt::Checked);
    });
    return group;
}

QWidget* TfrmPresetEditor::BuildDigitalGroup() {
    auto* group = new QGroupBox("Digital Effects", this);
    group->setObjectName("grpDigital");
    auto* layout = new QGridLayout(group);
    lblDigGrp = new QLabel(group);
    lblDigGrp->setObjectName("lblDigGrp");
    lbxDigAvail = new QListWidget(group);
    lbxDigAvail->setObjectName("lbxDigAvail");
    lbxDigAvail->setToolTip("Double-click (or use arrow) to add effect");
    btnAddDfx = new QToolButton(group);
    btnAddDfx->setObjectName("btnAddDfx");
    btnAddDfx->setArrowType(Qt::RightArrow);
    btnAddDfx->setToolTip("Add the selected effect");
    btnDelDfx = new QToolButton(group);
    btnDelDfx->setObjectName("btnDelDfx");
    btnDelDfx->setArrowType(Qt::LeftArrow);
    btnDelDfx->setToolTip("Remove the selected effect");
    lbxDigSel = new QListWidget(group);
    lbxDigSel->setObjectName("lbxDigSel");
    lbxDigSel->setToolTip("Double-click (or use arrow) to remove effect");
    btnDigGrp = new QToolButton(group);
    btnDigGrp->setObjectName("btnDigGrp");
    btnDigGrp->setText("Groups...");
    btnDigGrp->setToolTip("View / select from list of valid digital groups");

    const int listWidth = lbxDigAvail->fontMetrics().horizontalAdvance("Tapped DDL S") + 36;
    for (QListWidget* list : {lbxDigAvail, lbxDigSel}) {
        list->setFixedWidth(listWidth);
        list->setFixedHeight(6 * std::max(list->fontMetrics().height() + 2, 18) + 6);
    }
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(btnAddDfx);
    arrows->addWidget(btnDelDfx);
    arrows->addStretch();
    layout->addWidget(lbxDigAvail, 0, 0, 2, 1);
    layout->addLayout(arrows, 0, 1, 2, 1);
    layout->addWidget(lbxDigSel, 0, 2, 2, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(lblDigGrp);
    side->addStretch();
    side->addWidget(btnDigGrp);
    layout->addLayout(side, 0, 3, 2, 1);

    for (auto pair : {std::pair{lbxDigAvail, btnAddDfx}, std::pair{lbxDigSel, btnDelDfx}}) {
        // Named copies: clang 14 cannot capture structured bindings.
        QListWidget* list = pair.first;
        QToolButton* button = pair.second;
        button->setEnabled(false);
        connect(list, &QListWidget::itemClicked, this,
                [this, list, button] { DigitalListClicked(list, button); });
        list->installEventFilter(this);
    }
    connect(lbxDigAvail, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { AddDigitalEffect(item->text()); });
    connect(lbxDigSel, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { RemoveDigitalEffect(item->text()); });
    connect(btnAddDfx, &QToolButton::clicked, this, [this] {
        if (auto* item = lbxDigAvail->currentItem(); item && item->isSelected())
            AddDigitalEffect(item->text());
    });
    connect(btnDelDfx, &QToolButton::clicked, this, [this] {
        if (auto* item = lbxDigSel->currentItem(); item && item->isSelected())
            RemoveDigitalEffect(item->text());
    });
    connect(btnDigGrp, &QToolButton::clicked, this, [this] { PickGroup(); });
    return group;
}

QWidget* TfrmPresetEditor::BuildPages() {
    pgcPreset = new QTabWidget(this);
    pgcPreset->setObjectName("pgcPreset");
    tsAnalog = new QWidget;
    tsAnalog->setObjectName("tsAnalog");
    tsDigital = new QWidget;
    tsDigital->setObjectName("tsDigital");
    tsPerfMIDI = new QWidget;
    tsPerfMIDI->setObjectName("tsPerfMIDI");
    tsFB7 = new QWidget;
    tsFB7->setObjectName("tsFB7");
    pgcPreset->addTab(tsAnalog, "Analog effects");
    pgcPreset->addTab(tsDigital, "Digital effects");
    pgcPreset->addTab(tsPerfMIDI, "Performance MIDI");
    pgcPreset->addTab(tsFB7, "FB7 states");

    pgcAnalogParams = new QTabWidget(tsAnalog);
    pgcAnalogParams->setObjectName("pgcAnalogParams");
    UseCompactTabs(*pgcAnalogParams->tabBar());
    (new QVBoxLayout(tsAnalog))->addWidget(pgcAnalogParams);
    pgcDigitalParams = new QTabWidget(tsDigital);
    pgcDigitalParams->setObjectName("pgcDigitalParams");
    (new QVBoxLayout(tsDigital))->addWidget(pgcDigitalParams);

    pages_ = new TPresetPages(grpMix, pgcAnalogParams, pgcDigitalParams, this);
    connect(pages_, &TPresetPages::ParamChanged, this,
            [this](bool immediate) { NoteChange(immediate); });
    perfPage_ = new TPerfMidiPage(*this, tsPerfMIDI);
    fb7_ = new TFB7States(*this, tsFB7);
    connect(pgcPreset, &QTabWidget::currentChanged, this,
            [this] { perfPage_->ActivatePerfPage(); });
    return pgcPreset;
}

// ---- State ----

void TfrmPresetEditor::Reset() {
    setWindowTitle(EditorTitle + " <not saved>");
    QScopedValueRollback loading(loading_, true);
    // The same record throughout: every control keeps pointing into it.
    *preset_ = TPreset();
    selection_ = std::make_unique<TDigitalSelection>(*preset_);
    history_.Clear();
    timSys->stop();
    sendPending_ = false;
    neverSaved_ = true;
    perfPage_->PrepareControllerGrid();
    fileName_.clear();
    SetStatus({});
}

void TfrmPresetEditor::LoadDump(TStream& stream) {
    preset_->ReadDump(stream);
    neverSaved_ = false;
}

void TfrmPresetEditor::SetFileName(const QString& fileName) {
    fileName_ = fileName;
    SetCaption();
}

void TfrmPresetEditor::SetCaption() {
    setWindowTitle(fileName_.isEmpty() ? EditorTitle + " <not saved>"
                                       : EditorTitle + " - " + fileName_);
}

void TfrmPresetEditor::SetStatus(const QString& text) {
    status_ = text;
    ShowStatusText();
}

void TfrmPresetEditor::ShowStatusText() {
    const QFontMetrics metrics = lblStatus->fontMetrics();
    // Before the window is laid out the label has no width of its own yet.
    const bool fits =
        !lblStatus->isVisible() || metrics.horizontalAdvance(status_) <= lblStatus->width();
    lblStatus->setText(fits ? status_
                            : metrics.elidedText(status_, Qt::ElideMiddle, lblStatus->width()));
    lblStatus->setToolTip(fits ? QString() : status_);
}

// ---- Showing the preset ----

void TfrmPresetEditor::ShowPreset() {
    {
        QScopedValueRollback loading(loading_, true);
        edtTitle->setText(Latin1String(preset_->Title));
        for (int i = 0; i < Catalogue::AnalogEffectCount; ++i)
            cklAnalogSelect->item(i)->setCheckState(preset_->AnalogSelect(i) ? Qt::Checked
                                                                             : Qt::Unchecked);
        pages_->BindMixAndAnalog(*preset_);
        ShowAnalogPages();
        for (int i = 0; i < Catalogue::AnalogEffectCount; ++i)
            if (preset_->AnalogSelect(i)) {
                pgcAnalogParams->setCurrentIndex(i);
                break;
            }

        lbxDigSel->clear();
        if (selection_->LoadFromPreset())
            Dialogs().MessageBox(this,
                                 "Digital effect configuration is invalid and will be ignored.\n"
                                 "The remaining preset data will be shown as is.\n"
                                 "Saving this preset may cause loss of data (but it appears "
                                 "corrupted already).",
                                 "Preset error", mbOK, TMsgDlgType::mtError);
        ShowDigitalSelection();
        for (int p = 0; p < Catalogue::DigitalPageCount; ++p)
            if (pgcDigitalParams->isTabVisible(p)) {
                ActivateDigitalPage(p);
                break;
            }
        fb7_->RefreshFB7States(true);
        pgcPreset->setCurrentWidget(tsAnalog);

        chkAutoSend->setChecked(true);
        sendPending_ = false;
        timSys->stop();
        SetStatus({});
        perfPage_->RebuildEntryList(true);
    }
    TakeSnapshot();
    RefreshUndoButtons();
}

void TfrmPresetEditor::ShowAnalogPages() {
    bool any = false;
    for (int i = 0; i < Catalogue::AnalogEffectCount; ++i) {
        const bool on = preset_->AnalogSelect(i);
        pgcAnalogParams->setTabVisible(i, on);
        any = any || on;
    }
    pgcAnalogParams->setVisible(any);
}

void TfrmPresetEditor::ShowDigitalSelection() {
    lblDigGrp->setText(QString::fromStdString(DigitalGroups::GroupLabel(preset_->DigitalGroup())));
    lbxDigSel->clear();
    for (const auto& name : selection_->Selected())
        lbxDigSel->addItem(QString::fromStdString(name));
    lbxDigAvail->clear();
    for (const auto& name : selection_->Available())
        lbxDigAvail->addItem(QString::fromStdString(name));
    BindDigitalPages();
}

void TfrmPresetEditor::BindDigitalPages() {
    std::array<bool, Catalogue::DigitalPageCount> shown{};
    bool reverb3 = false;
    for (const auto& name : selection_->Selected()) {
        const int page = DigitalPageOf(QString::fromStdString(name));
        if (page >= 0)
            shown[static_cast<std::size_t>(page)] = true;
        reverb3 = reverb3 || name == "Reverb 3";
    }
    for (int p = 0; p < Catalogue::DigitalPageCount; ++p)
        pgcDigitalParams->setTabVisible(p, shown[static_cast<std::size_t>(p)]);
    pgcDigitalParams->setVisible(!selection_->Selected().empty());
    pages_->BindDigital(*preset_, preset_->DigitalGroup());
    pages_->LayoutReverbPage(reverb3);
}

void TfrmPresetEditor::ActivateDigitalPage(int page) {
    if (page >= 0 && pgcDigitalParams->isTabVisible(page))
        pgcDigitalParams->setCurrentIndex(page);
}

// ---- Changes ----

void TfrmPresetEditor::NoteChange(bool immediate) {
    if (loading_)
        return;
    SetStatus("Modified");
    if (chkAutoSend->isChecked() && !immediate && !sendPending_)
        sendPending_ = true;
    if (immediate) {
        TakeSnapshot();
        history_.ClearRedo();
        // Before the send, which may fail: the undo buttons show the snapshot.
        RefreshUndoButtons();
        SendPreset(false);
        return;
    }
    if (!timSys->isActive())
        timSys->start();
    RefreshUndoButtons();
}

void TfrmPresetEditor::timSysTimer() {
    timSys->stop();
    const bool send = sendPending_;
    sendPending_ = false;
    TakeSnapshot();
    history_.ClearRedo();
    RefreshUndoButtons();
    if (send)
        SendPreset(false);
}

void TfrmPresetEditor::TakeSnapshot() {
    history_.TakeSnapshot(*preset_);
}

void TfrmPresetEditor::SendPreset(bool byUser) {
    if (operations_.SendStream) {
        TMemoryStream dump;
        preset_->WriteDump(dump);
        QString text;
        try {
            operations_.SendStream(dump, text);
        } catch (const EOutputNotOpen&) {
            // Editing offline: the first automatic send says why nothing goes
            // out, the later ones keep quiet; "Sent" is not shown either way.
            if (byUser || !outputMissingShown_) {
                outputMissingShown_ = true;
                throw;
            }
            return;
        }
    }
    if (!status_.contains("Sent"))
        SetStatus(status_.isEmpty() ? "Sent" : status_ + ", Sent");
}

void TfrmPresetEditor::RefreshUndoButtons() {
    btnUndo->setEnabled(history_.CanUndo());
    btnUndo->setToolTip(QString::fromStdString(history_.UndoHint()));
    btnRedo->setEnabled(history_.CanRedo());
    btnRedo->setToolTip(QString::fromStdString(history_.RedoHint()));
}

void TfrmPresetEditor::edtTitleChange(const QString& text) {
    preset_->Title = text.toLatin1().toStdString();
    NoteChange(true);
}

// ---- Analog effects ----

void TfrmPresetEditor::AnalogSelectChanged(int i, bool checked) {
    preset_->SetAnalogSelect(i, checked);
    if (checked) {
        Catalogue::ResetAnalogEffect(*preset_, i);
        QScopedValueRollback loading(loading_, true);
        pages_->BindMixAndAnalog(*preset_);
    }
    if (checked && !pgcAnalogParams->isVisible())
        pgcAnalogParams->setVisible(true);
    pgcAnalogParams->setTabVisible(i, checked);
    if (checked)
        pgcAnalogParams->setCurrentIndex(i);
    const int current = pgcAnalogParams->currentIndex();
    if (current < 0 || !pgcAnalogParams->isTabVisible(current)) {
        for (int p = 0; p < Catalogue::AnalogEffectCount; ++p)
            if (pgcAnalogParams->isTabVisible(p)) {
                pgcAnalogParams->setCurrentIndex(p);
                break;
            }
    }
    bool any = false;
    for (int p = 0; p < Catalogue::AnalogEffectCount; ++p)
        any = any || pgcAnalogParams->isTabVisible(p);
    pgcAnalogParams->setVisible(any);
    perfPage_->RebuildEntryList(false);
    fb7_->RefreshFB7States(false);
    NoteChange(true);
}

// ---- Digital effects ----

void TfrmPresetEditor::DigitalListClicked(QListWidget* list, QToolButton* button) {
    button->setEnabled(list->currentItem() && list->currentItem()->isSelected());
}

void TfrmPresetEditor::AddDigitalEffect(const QString& name) {
    if (!selection_->Add(name.toStdString()))
        return;
    ShowDigitalSelection();
    fb7_->RefreshFB7States(false);
    perfPage_->RebuildEntryList(false);
    btnAddDfx->setEnabled(false);
    ActivateDigitalPage(DigitalPageOf(name));
    NoteChange(true);
}

void TfrmPresetEditor::RemoveDigitalEffect(const QString& name) {
    if (!selection_->Remove(name.toStdString()))
        return;
    ShowDigitalSelection();
    fb7_->RefreshFB7States(false);
    perfPage_->RebuildEntryList(false);
    btnDelDfx->setEnabled(false);
    NoteChange(true);
}

void TfrmPresetEditor::PickGroup() {
    QStringList lines;
    for (const auto& line : DigitalGroups::PickListLines())
        lines << QString::fromStdString(line);
    TfrmPickList pick("Valid Digital Groups", lines, this);
    // Opens on the group the preset is on, so the choice starts from where it is.
    const int current = preset_->DigitalGroup();
    if (current >= 0 && current < pick.lbxItems->count()) {
        pick.lbxItems->setCurrentRow(current);
        pick.lbxItems->scrollToItem(pick.lbxItems->currentItem(),
                                    QAbstractItemView::PositionAtCenter);
    }
    if (Dialogs().ExecModal(pick) != mrOk || pick.SelectedIndex() < 0)
        return;
    for (const auto& step : selection_->PickGroupSteps(pick.SelectedIndex())) {
        if (step.IsAddition)
            AddDigitalEffect(QString::fromStdString(step.Name));
        else
            RemoveDigitalEffect(QString::fromStdString(step.Name));
    }
}

// ---- Undo and redo ----

void TfrmPresetEditor::Undo() {
    StepHistory(false);
}

void TfrmPresetEditor::Redo() {
    StepHistory(true);
}

void TfrmPresetEditor::StepHistory(bool forward) {
    // A burst still waiting for its snapshot is a state of its own to step back from.
    if (timSys->isActive())
        timSysTimer();
    if (forward ? !history_.CanRedo() : !history_.CanUndo())
        return;
    const std::array<int, 3> pages{pgcPreset->currentIndex(), pgcAnalogParams->currentIndex(),
                                   pgcDigitalParams->currentIndex()};
    const auto show = [this, &pages](TStream& snapshot) {
        LoadDump(snapshot);
        ShowPreset();
        pgcPreset->setCurrentIndex(pages[0]);
        pgcAnalogParams->setCurrentIndex(pages[1]);
        pgcDigitalParams->setCurrentIndex(pages[2]);
    };
    // Showing checks "Auto send" again; whether it was on decides the send.
    const bool autoSend = chkAutoSend->isChecked();
    if (forward)
        history_.Redo(show);
    else
        history_.Undo(show);
    RefreshUndoButtons();
    // The unit plays what the window shows, as after a change.
    if (autoSend)
        SendPreset(false);
}

// ---- Saving ----

bool TfrmPresetEditor::SavePreset() {
    const QString suggested =
        fileName_.isEmpty()
            ? LastSaveFolder() +
                  Latin1String(SafeFileName(
                      Latin1String(preset_->Title).trimmed().toLatin1().toStdString())) +
                  ".hrz"
            : fileName_;
    const QString path = Dialogs().SaveFileName(this, "Save preset", suggested, SaveFilter);
    if (path.isEmpty())
        return false;
    const std::string file = ModelPath(path);
    const auto bytes = preset_->DumpBytes();
    WriteFileAtomically(file, bytes.data(), bytes.size());
    // What is on disk now is what later changes are measured against.
    const auto written = ReadWholeFile(file);
    if (written.size() != TPreset::DumpSize)
        throw EStreamError("The saved file " + file + " does not hold one preset");
    std::copy(written.begin(), written.end(), preset_->LoadedDump.begin());
    preset_->HasLoadedDump = true;

    SetFileName(path);
    LastSaveFolder() = QFileInfo(path).absolutePath() + QDir::separator();
    neverSaved_ = false;
    SetStatus("Saved");
    history_.Clear();
    RefreshUndoButtons();
    return true;
}

QString TfrmPresetEditor::SaveQuestionCaption() const {
    QString name = Latin1String(preset_->Title).trimmed();
    if (name.isEmpty() && !fileName_.isEmpty())
        name = QFileInfo(fileName_).fileName();
    return name.isEmpty() ? QString("Save changes to the new preset?")
                          : "Save changes to \"" + name + "\"?";
}

// ---- Window events ----

void TfrmPresetEditor::setVisible(bool visible) {
    // Placed before the window system sees it, beside an editor already shown.
    if (visible && !isVisible())
        CascadeOverSiblings(*this);
    QWidget::setVisible(visible);
}

void TfrmPresetEditor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        ShowPreset();
}

void TfrmPresetEditor::closeEvent(QCloseEvent* event) {
    if (neverSaved_ || preset_->IsChanged()) {
        const int answer =
            Dialogs().MessageBox(this, "Do you want to save your changes?", SaveQuestionCaption(),
                                 mbYes | mbNo | mbCancel, TMsgDlgType::mtConfirmation);
        bool close = answer == mrNo;
        if (answer == mrYes)
            RunShowingErrors([this, &close] { close = SavePreset(); }, this);
        if (!close) {
            event->ignore();
            return;
        }
    }
    // A burst of moves still waiting goes out before the window goes.
    if (timSys->isActive())
        RunShowingErrors([this] { timSysTimer(); }, this);
    event->accept();
}

bool TfrmPresetEditor::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Resize || type == QEvent::Show) && watched == lblStatus) {
        ShowStatusText();
        return false;
    }
    if (type == QEvent::FocusOut && (watched == lbxDigAvail || watched == lbxDigSel)) {
        // Leaving a list disables its arrow unless the arrow took the focus.
        QToolButton* button = watched == lbxDigAvail ? btnAddDfx : btnDelDfx;
        if (QApplication::focusWidget() != button)
            button->setEnabled(false);
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const auto modifiers =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool f9 = key->key() == Qt::Key_F9;
    const bool undo = modifiers == Qt::ControlModifier && key->key() == Qt::Key_Z;
    const bool redo = modifiers == Qt::ControlModifier && key->key() == Qt::Key_Y;
    if (!f9 && !undo && !redo)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Keep the focused control's own shortcut (a line edit's undo) off these keys.
        event->accept();
        return true;
    }
    if (f9)
        SendPreset();
    else if (undo)
        Undo();
    else
        Redo();
    return true;
}
