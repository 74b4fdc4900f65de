#include "editor/perf_midi_page.h"

#include "controls/seams/dialog_service.h"
#include "editor/frm_preset_editor.h"
#include "editor/latin1_string.h"
#include "model/unit_names.h"
#include "settings/lv_reg_util.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

const QString TPerfMidiPage::MonitorLine = Latin1String(TPerfTargets::MonitorCaption);
const QString TPerfMidiPage::MixLine = Latin1String(TPerfTargets::MixCaption);
const QString TPerfMidiPage::InactiveMark = " (effect off)";

TPerfMidiPage::TPerfMidiPage(TfrmPresetEditor& editor, QWidget* page)
    : QObject(page), editor_(editor) {
    BuildPage(page);
}

QString TPerfMidiPage::ControllersKey() {
    TlvRegUtil* store = RegUtil();
    return store ? store->Path() + "\\Controllers" : QString();
}

// ---- Layout ----

void TPerfMidiPage::BuildPage(QWidget* page) {
    auto* grid = new QGridLayout(page);

    auto* entries = new QVBoxLayout;
    entries->addWidget(new QLabel("Controllers defined:", page));
    lbxPMIdefctl = new QListWidget(page);
    lbxPMIdefctl->setObjectName("lbxPMIdefctl");
    lbxPMIdefctl->setSortingEnabled(true);
    lbxPMIdefctl->setToolTip("Right-click for options...");
    lbxPMIdefctl->setContextMenuPolicy(Qt::CustomContextMenu);
    entries->addWidget(lbxPMIdefctl, 1);
    btnPMIadd = new QPushButton("&Add controller", page);
    btnPMIadd->setObjectName("btnPMIadd");
    btnPMIadd->setToolTip("Add new controller");
    btnPMIdel = new QPushButton("Delete Controller", page);
    btnPMIdel->setObjectName("btnPMIdel");
    btnPMIdel->setToolTip("Delete controller");
    entries->addWidget(btnPMIadd);
    entries->addWidget(btnPMIdel);
    // Wide enough for the longest delete caption and an entry whose effect is
    // off, so the page does not shift and no line is cut.
    const int entriesWidth =
        std::max(btnPMIdel->fontMetrics().horizontalAdvance("Delete Controller #8"),
                 lbxPMIdefctl->fontMetrics().horizontalAdvance("Controller #8" + InactiveMark) +
                     8) +
        24;
    for (QWidget* w : {static_cast<QWidget*>(lbxPMIdefctl), static_cast<QWidget*>(btnPMIadd),
                       static_cast<QWidget*>(btnPMIdel)})
        w->setFixedWidth(entriesWidth);
    popPMIctldef = new QMenu(lbxPMIdefctl);
    popPMIctldef->setObjectName("popPMIctldef");
    pmiAddController = popPMIctldef->addAction("&Add controller");
    pmiAddController->setObjectName("pmiAddController");
    pmiDeleteController = popPMIctldef->addAction("&Delete controller");
    pmiDeleteController->setObjectName("pmiDeleteController");

    auto* target = new QGridLayout;
    target->addWidget(new QLabel("Effect / parameter  to control:", page), 0, 0, 1, 3);
    lbxCtlParam = new QListWidget(page);
    lbxCtlParam->setObjectName("lbxCtlParam");
    lbxParamNames = new QListWidget(page);
    lbxParamNames->setObjectName("lbxParamNames");
    const int listWidth = lbxCtlParam->fontMetrics().horizontalAdvance("Envelope Filter") + 36;
    lbxCtlParam->setFixedWidth(listWidth);
    target->addWidget(lbxCtlParam, 1, 0);
    target->addWidget(lbxParamNames, 1, 1, 1, 2);
    scrLowValue = new QScrollBar(Qt::Horizontal, page);
    scrLowValue->setObjectName("scrLowValue");
    scrLowValue->setToolTip(
        "The minimum parameter value (may be > max to specify a reversed range)");
    scrHighValue = new QScrollBar(Qt::Horizontal, page);
    scrHighValue->setObjectName("scrHighValue");
    scrHighValue->setToolTip(
        "The maximum parameter value (may be < min to specify a reversed range)");
    lblPMILowValue = new QLabel(page);
    lblPMILowValue->setObjectName("lblPMILowValue");
    lblPMIHighValue = new QLabel(page);
    lblPMIHighValue->setObjectName("lblPMIHighValue");
    lblPMIcurrval = new QLabel(page);
    lblPMIcurrval->setObjectName("lblPMIcurrval");
    lblPMIcurrval->setToolTip("The current value of the selected parameter");
    const int valueWidth = lblPMIcurrval->fontMetrics().horizontalAdvance("Open Ambience") + 8;
    for (QLabel* l : {lblPMILowValue, lblPMIHighValue, lblPMIcurrval})
        l->setMinimumWidth(valueWidth);
    for (QScrollBar* bar : {scrLowValue, scrHighValue}) {
        bar->setPageStep(1);
        bar->setFocusPolicy(Qt::StrongFocus);
    }
    target->addWidget(new QLabel("Low range value:", page), 2, 0);
    target->addWidget(scrLowValue, 2, 1);
    target->addWidget(lblPMILowValue, 2, 2);
    target->addWidget(new QLabel("High range value:", page), 3, 0);
    target->addWidget(scrHighValue, 3, 1);
    target->addWidget(lblPMIHighValue, 3, 2);
    target->addWidget(new QLabel("Current value:", page), 4, 0);
    target->addWidget(lblPMIcurrval, 4, 1, 1, 2);
    target->setColumnStretch(1, 1);

    auto* controllers = new QVBoxLayout;
    controllers->addWidget(new QLabel("MIDI controller assignment:", page));
    grdPMctl = new QTableWidget(UnitNames::ControllerRowCount, 2, page);
    grdPMctl->setObjectName("grdPMctl");
    grdPMctl->setToolTip("The controller no. to be monitored for these parameter changes (you "
                         "can key in your own controller names)");
    grdPMctl->horizontalHeader()->hide();
    grdPMctl->verticalHeader()->hide();
    grdPMctl->setSelectionMode(QAbstractItemView::SingleSelection);
    grdPMctl->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPMctl->verticalHeader()->setDefaultSectionSize(grdPMctl->fontMetrics().height() + 4);
    grdPMctl->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    grdPMctl->setMinimumWidth(grdPMctl->fontMetrics().horizontalAdvance("Note Off key velocity") +
                              grdPMctl->fontMetrics().horizontalAdvance("XXXX") + 40);
    controllers->addWidget(grdPMctl, 1);
    auto* pedals = new QHBoxLayout;
    btnFB7left = new QPushButton("FB7 &left", page);
    btnFB7left->setObjectName("btnFB7left");
    btnFB7left->setToolTip("This selects the default controller used by the FB7's left pedal");
    btnFB7right = new QPushButton("FB7 &right", page);
    btnFB7right->setObjectName("btnFB7right");
    btnFB7right->setToolTip("This selects the default controller used by the FB7's right pedal");
    pedals->addWidget(btnFB7left);
    pedals->addWidget(btnFB7right);
    controllers->addLayout(pedals);

    grid->addLayout(entries, 0, 0);
    grid->addLayout(target, 0, 1);
    grid->addLayout(controllers, 0, 2);
    grid->setColumnStretch(1, 1);

    OnPick(lbxPMIdefctl, &TPerfMidiPage::lbxPMIdefctlClick);
    connect(lbxPMIdefctl, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0)
            RefreshEntryButtons();
    });
    connect(lbxPMIdefctl, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popPMIctldefPopup();
        popPMIctldef->popup(lbxPMIdefctl->viewport()->mapToGlobal(at));
    });
    connect(pmiAddController, &QAction::triggered, this, [this] { btnPMIaddClick(); });
    connect(pmiDeleteController, &QAction::triggered, this, [this] { btnPMIdelClick(); });
    connect(btnPMIadd, &QPushButton::clicked, this, [this] { btnPMIaddClick(); });
    connect(btnPMIdel, &QPushButton::clicked, this, [this] { btnPMIdelClick(); });
    OnPick(lbxCtlParam, &TPerfMidiPage::lbxCtlParamClick);
    OnPick(lbxParamNames, &TPerfMidiPage::lbxParamNamesClick);
    connect(scrLowValue, &QScrollBar::valueChanged, this, [this] {
        if (!quiet_)
            scrLowValueChange();
    });
    connect(scrHighValue, &QScrollBar::valueChanged, this, [this] {
        if (!quiet_)
            scrHighValueChange();
    });
    connect(grdPMctl, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!quiet_ && row >= 0)
            grdPMctlClick();
    });
    connect(grdPMctl, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!quiet_ && item->column() == 1)
            grdPMctlSetEditText(item->row(), item->text());
    });
    connect(btnFB7left, &QPushButton::clicked, this, [this] { btnFB7leftClick(); });
    connect(btnFB7right, &QPushButton::clicked, this, [this] { btnFB7rightClick(); });
}

void TPerfMidiPage::OnPick(QListWidget* list, void (TPerfMidiPage::*handler)()) {
    connect(list, &QListWidget::currentRowChanged, this, [this, handler](int row) {
        if (!quiet_ && row >= 0)
            (this->*handler)();
    });
    // A click on the line already current changes no row: it still counts as a pick.
    connect(list, &QListWidget::itemClicked, this, [this, list, handler](QListWidgetItem* item) {
        if (!quiet_ && pressedList_ == list && list->row(item) == rowBeforePress_)
            (this->*handler)();
    });
    list->viewport()->installEventFilter(this);
}

bool TPerfMidiPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        for (QListWidget* list : {lbxPMIdefctl, lbxCtlParam, lbxParamNames})
            if (watched == list->viewport()) {
                pressedList_ = list;
                rowBeforePress_ = list->currentRow();
            }
    return false;
}

// ---- Controller names ----

void TPerfMidiPage::PrepareControllerGrid() {
    QScopedValueRollback quiet(quiet_, true);
    const int numberWidth = grdPMctl->fontMetrics().horizontalAdvance("XXXX");
    grdPMctl->setColumnWidth(0, numberWidth);
    grdPMctl->horizontalHeader()->setStretchLastSection(true);
    TlvRegUtil* store = RegUtil();
    const QString key = ControllersKey();
    for (int row = 0; row < UnitNames::ControllerRowCount; ++row) {
        if (!grdPMctl->item(row, 0)) {
            auto* number = new QTableWidgetItem(QString::number(row));
            number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            grdPMctl->setItem(row, 0, number);
        }
        QTableWidgetItem* name = grdPMctl->item(row, 1);
        if (!name) {
            name = new QTableWidgetItem;
            grdPMctl->setItem(row, 1, name);
        }
        if (name->text().isEmpty() && store)
            name->setText(store->ReadKeyString(key, QString::number(row), false));
        if (name->text().isEmpty())
            name->setText(Latin1String(UnitNames::BuiltInControllerName(row)));
    }
}

void TPerfMidiPage::grdPMctlSetEditText(int row, const QString& text) {
    if (TlvRegUtil* store = RegUtil())
        store->WriteKeyString(ControllersKey(), QString::number(row), text);
}

// ---- The entry list ----

bool TPerfMidiPage::EntryEffectActive(int k) const {
    return Targets().EntryActive(editor_.Preset(), k);
}

QString TPerfMidiPage::EntryLineText(int k, bool active) {
    const QString line = "Controller #" + QString::number(k + 1);
    return active ? line : line + InactiveMark;
}

void TPerfMidiPage::RebuildEntryList(bool showing) {
    TPreset& preset = editor_.Preset();
    {
        QScopedValueRollback quiet(quiet_, true);
        lbxPMIdefctl->clear();
    }
    for (int k = 0; k < EntryCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        if (!preset.PerfEnabled[slot])
            continue;
        const bool active = EntryEffectActive(k);
        // The unit keeps entries of effects that are off, and so does a preset
        // shown here; only taking away the effect an entry drives removes it.
        if (showing)
            keptOff_[slot] = !active;
        else if (active)
            keptOff_[slot] = false;
        if (!active && !keptOff_[slot]) {
            preset.PerfEnabled[slot] = false;
            preset.PerfMIDI[slot].Reset();
            continue;
        }
        QScopedValueRollback quiet(quiet_, true);
        lbxPMIdefctl->addItem(EntryLineText(k, active));
    }
    RebuildParamLists(true);
}

void TPerfMidiPage::RebuildParamLists(bool refillEffects) {
    {
        QScopedValueRollback quiet(quiet_, true);
        lbxParamNames->clear();
        ParamTargets.clear();
        RangeShown = false;
        for (QLabel* l : {lblPMILowValue, lblPMIHighValue, lblPMIcurrval})
            l->clear();
        if (refillEffects) {
            lbxCtlParam->clear();
            const TPerfTargets targets = Targets();
            for (const TPerfTargetEffect& effect : targets.Effects())
                if (effect.Active)
                    lbxCtlParam->addItem(Latin1String(effect.Caption));
        }
    }
    RefreshEntryButtons();
}

void TPerfMidiPage::ActivatePerfPage() {
    {
        QScopedValueRollback quiet(quiet_, true);
        lbxPMIdefctl->setCurrentRow(-1);
        lbxPMIdefctl->clearSelection();
    }
    if (editor_.pgcPreset->currentWidget() != editor_.tsPerfMIDI) {
        RefreshEntryButtons();
        return;
    }
    RebuildParamLists(true);
    lbxCtlParam->setEnabled(false);
    EnableEntryControls(false);
    scrLowValue->setEnabled(false);
    scrHighValue->setEnabled(false);
}

void TPerfMidiPage::RefreshEntryButtons() {
    pmiAddController->setEnabled(lbxPMIdefctl->count() < EntryCount);
    // The list picks one line at a time: its current line is the one picked.
    QListWidgetItem* line = lbxPMIdefctl->currentItem();
    if (line) {
        pmiDeleteController->setEnabled(true);
        pmiDeleteController->setText("Delete " + line->text());
    } else {
        pmiDeleteController->setEnabled(false);
        pmiDeleteController->setText("Delete Controller");
    }
    btnPMIadd->setEnabled(pmiAddController->isEnabled());
    btnPMIdel->setEnabled(pmiDeleteController->isEnabled());
    btnPMIdel->setText(pmiDeleteController->text());
    btnPMIdel->setToolTip(pmiDeleteController->text());
}

void TPerfMidiPage::popPMIctldefPopup() {
    RefreshEntryButtons();
}

// ---- Picking ----

void TPerfMidiPage::lbxPMIdefctlClick() {
    QListWidgetItem* line = lbxPMIdefctl->currentItem();
    if (!line)
        return;
    const QString text = line->text();
    const int hash = text.indexOf('#');
    const int number = hash >= 0 && hash + 1 < text.size() ? text.mid(hash + 1, 1).toInt() : 0;
    if (number < 1 || number > EntryCount) {
        PreError("Invalid controller item");
        return;
    }
    CurrentEntry = number - 1;
    ShowEntry();
}

void TPerfMidiPage::ShowEntryLine(int row) {
    {
        QScopedValueRollback quiet(quiet_, true);
        lbxPMIdefctl->setCurrentRow(row);
    }
    lbxPMIdefctlClick();
}

void TPerfMidiPage::EnableEntryControls(bool on) {
    lbxParamNames->setEnabled(on);
    grdPMctl->setEnabled(on);
    btnFB7left->setEnabled(on);
    btnFB7right->setEnabled(on);
}

void TPerfMidiPage::ShowEntry() {
    lbxCtlParam->setEnabled(lbxPMIdefctl->currentItem() != nullptr);
    EnableEntryControls(lbxCtlParam->isEnabled());
    RefreshEntryButtons();
    const TPerfMIDI& entry = Entry();
    const int a = entry.ParamNumber;
    if (a == TPerfMIDI::MonitorParam) {
        PickEffect(MonitorLine);
        ShowParameter();
    } else if (a <= TPerfMIDI::LastMixParam) {
        PickEffect(MixLine);
        SelectParamLine(a - 1);
        ShowParameter();
    } else {
        QString caption;
        int index = 0;
        if (!LocateParameter(a, caption, index)) {
            PreError("Performance MIDI controller data is invalid");
            return;
        }
        if (PickEffect(caption)) {
            SelectParamLine(index - 1);
            ShowParameter();
            if (RangeShown) {
                const int low = BarPosition(Entry().LowValue);
                const int high = BarPosition(Entry().HighValue);
                if (low < scrLowValue->minimum() || low > scrLowValue->maximum())
                    PreError("Invalid low range value");
                else
                    SetBar(scrLowValue, low);
                if (high < scrHighValue->minimum() || high > scrHighValue->maximum())
                    PreError("Invalid high range value");
                else
                    SetBar(scrHighValue, high);
                RefreshRangeLabels();
            }
        }
    }
    SelectGridRow(Entry().Controller);
}

bool TPerfMidiPage::LocateParameter(int a, QString& caption, int& index) const {
    if (a <= TPerfMIDI::LastMixParam)
        return false;
    const TPerfTargets targets = Targets();
    const TPerfTargets::TPlace place = targets.Locate(a);
    if (!place.Effect)
        return false;
    caption = Latin1String(place.Effect->Caption);
    index = place.Line + 1;
    return true;
}

int TPerfMidiPage::ParameterNumberOf(const QString& effect, int line) const {
    return Targets().ParamNumberAt(effect.toStdString(), line);
}

bool TPerfMidiPage::PickEffect(const QString& caption) {
    const auto found = lbxCtlParam->findItems(caption, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    {
        QScopedValueRollback quiet(quiet_, true);
        lbxCtlParam->setCurrentItem(found.first());
    }
    const bool saved = quiet_;
    quiet_ = true; // shown, not chosen: nothing changes in the preset
    lbxCtlParamClick();
    quiet_ = saved;
    return true;
}

void TPerfMidiPage::SelectParamLine(int line) {
    QScopedValueRollback quiet(quiet_, true);
    lbxParamNames->setCurrentRow(line >= 0 && line < lbxParamNames->count() ? line : -1);
}

void TPerfMidiPage::SelectGridRow(int row) {
    QScopedValueRollback quiet(quiet_, true);
    if (row >= 0 && row < grdPMctl->rowCount()) {
        grdPMctl->setCurrentCell(row, 1);
        grdPMctl->scrollToItem(grdPMctl->item(row, 1));
    }
}

void TPerfMidiPage::lbxCtlParamClick() {
    const auto before = DumpNow();
    RebuildParamLists(false);
    scrLowValue->setEnabled(false);
    scrHighValue->setEnabled(false);
    QListWidgetItem* effect = lbxCtlParam->currentItem();
    if (!effect)
        return;
    const QString caption = effect->text();
    {
        QScopedValueRollback quiet(quiet_, true);
        const TPerfTargets targets = Targets();
        if (const TPerfTargetEffect* picked = targets.ActiveEffect(caption.toStdString()))
            for (const TPerfTarget& target : picked->Params) {
                lbxParamNames->addItem(Latin1String(target.Line));
                ParamTargets.push_back(target);
            }
        if (caption == MonitorLine)
            lbxParamNames->setCurrentRow(0);
    }
    if (!quiet_)
        ReportIfChanged(before);
}

void TPerfMidiPage::lbxParamNamesClick() {
    const auto before = DumpNow();
    QListWidgetItem* effect = lbxCtlParam->currentItem();
    const int line = lbxParamNames->currentRow();
    if (!effect || line < 0)
        return;
    const int a = ParameterNumberOf(effect->text(), line);
    TPerfMIDI& entry = Entry();
    if (a >= 0 && a != entry.ParamNumber) {
        entry.Enabled = false;
        entry.ParamNumber = a;
        // Pointed at a parameter of an effect that is on: no longer kept off.
        keptOff_[static_cast<std::size_t>(CurrentEntry)] = false;
        if (QListWidgetItem* item = lbxPMIdefctl->currentItem()) {
            QScopedValueRollback quiet(quiet_, true);
            item->setText(EntryLineText(CurrentEntry, true));
        }
        ShowParameter();
    } else if (!RangeShown) {
        ShowParameter();
    }
    if (grdPMctl->currentRow() >= 0)
        entry.Controller = grdPMctl->currentRow();
    ReportIfChanged(before);
}

const TPerfTarget* TPerfMidiPage::SelectedTarget() const {
    const int line = lbxParamNames->currentRow();
    if (line < 0 || line >= static_cast<int>(ParamTargets.size()))
        return nullptr;
    const TPerfTarget& target = ParamTargets[static_cast<std::size_t>(line)];
    return target.Param ? &target : nullptr;
}

TPerfTargets TPerfMidiPage::Targets() const {
    return TPerfTargets(editor_.Preset());
}

bool TPerfMidiPage::Reversed() const {
    const TPerfTarget* target = SelectedTarget();
    return target && target->Reversed;
}

int TPerfMidiPage::BarPosition(int stored) const {
    return Reversed() ? scrLowValue->maximum() - stored : stored;
}

int TPerfMidiPage::StoredValue(int barPosition) const {
    return Reversed() ? scrLowValue->maximum() - barPosition : barPosition;
}

void TPerfMidiPage::SetBar(QScrollBar* bar, int position) {
    QScopedValueRollback quiet(quiet_, true);
    bar->setValue(position);
}

void TPerfMidiPage::ShowParameter() {
    QListWidgetItem* effect = lbxCtlParam->currentItem();
    const TPerfTarget* target = SelectedTarget();
    if (effect && effect->text() == MonitorLine) {
        scrLowValue->setEnabled(false);
        scrHighValue->setEnabled(false);
        for (QLabel* l : {lblPMILowValue, lblPMIHighValue, lblPMIcurrval})
            l->clear();
        grdPMctl->setEnabled(true);
        btnFB7left->setEnabled(true);
        btnFB7right->setEnabled(true);
        return;
    }
    if (!effect || !target)
        return;
    btnFB7left->setEnabled(true);
    btnFB7right->setEnabled(true);
    scrLowValue->setEnabled(true);
    scrHighValue->setEnabled(true);

    const int min = target->Min;
    const int max = target->Max;
    const int value = target->ControlValue(editor_.Preset());
    {
        QScopedValueRollback quiet(quiet_, true);
        for (QScrollBar* bar : {scrLowValue, scrHighValue})
            bar->setRange(min, max);
        scrLowValue->setValue(value);
    }
    lblPMIcurrval->setText(ValueText(value));
    TPerfMIDI& entry = Entry();
    if (!entry.Enabled) {
        // The full range; a reversed slider's values span the same numbers.
        entry.LowValue = min;
        entry.HighValue = max;
        entry.Enabled = true;
    }
    entry.ExtraValue = 255;
    SetBar(scrLowValue, BarPosition(entry.LowValue));
    SetBar(scrHighValue, BarPosition(entry.HighValue));
    RefreshRangeLabels();
    RangeShown = true;
}

void TPerfMidiPage::RefreshRangeLabels() {
    lblPMILowValue->setText(ValueText(scrLowValue->value()));
    lblPMIHighValue->setText(ValueText(scrHighValue->value()));
}

QString TPerfMidiPage::ValueText(int value) const {
    const TPerfTarget* target = SelectedTarget();
    return target ? QString::fromStdString(target->ValueText(value)) : QString();
}

// ---- Ranges and controllers ----

void TPerfMidiPage::scrLowValueChange() {
    if (RangeShown) {
        Entry().LowValue = StoredValue(scrLowValue->value());
        lblPMILowValue->setText(ValueText(scrLowValue->value()));
    }
    editor_.NoteChange(false);
}

void TPerfMidiPage::scrHighValueChange() {
    if (RangeShown) {
        Entry().HighValue = StoredValue(scrHighValue->value());
        lblPMIHighValue->setText(ValueText(scrHighValue->value()));
    }
    editor_.NoteChange(false);
}

void TPerfMidiPage::grdPMctlClick() {
    const auto before = DumpNow();
    Entry().Controller = grdPMctl->currentRow();
    ReportIfChanged(before);
}

void TPerfMidiPage::btnFB7leftClick() {
    const auto before = DumpNow();
    SelectGridRow(FB7LeftController);
    Entry().Controller = FB7LeftController;
    ReportIfChanged(before);
}

void TPerfMidiPage::btnFB7rightClick() {
    const auto before = DumpNow();
    SelectGridRow(FB7RightController);
    Entry().Controller = FB7RightController;
    ReportIfChanged(before);
}

// ---- Adding and deleting ----

void TPerfMidiPage::btnPMIaddClick() {
    TPreset& preset = editor_.Preset();
    for (int k = 0; k < EntryCount; ++k) {
        if (preset.PerfEnabled[static_cast<std::size_t>(k)])
            continue;
        const QString text = EntryLineText(k, true);
        {
            QScopedValueRollback quiet(quiet_, true);
            lbxPMIdefctl->addItem(text);
        }
        CurrentEntry = k;
        keptOff_[static_cast<std::size_t>(k)] = false;
        preset.PerfMIDI[static_cast<std::size_t>(k)].Reset();
        preset.PerfEnabled[static_cast<std::size_t>(k)] = true;
        SelectGridRow(preset.PerfMIDI[static_cast<std::size_t>(k)].Controller);
        {
            QScopedValueRollback quiet(quiet_, true);
            lbxPMIdefctl->setCurrentItem(lbxPMIdefctl->findItems(text, Qt::MatchExactly).first());
        }
        ShowEntry();
        break;
    }
    editor_.NoteChange(true);
}

void TPerfMidiPage::btnPMIdelClick() {
    QListWidgetItem* line = lbxPMIdefctl->currentItem();
    if (!line)
        return;
    // The entry the line names, which is the one shown since it was picked.
    const int hash = line->text().indexOf('#');
    const int number = hash >= 0 ? line->text().mid(hash + 1, 1).toInt() : 0;
    const int k = number >= 1 && number <= EntryCount ? number - 1 : CurrentEntry;
    {
        QScopedValueRollback quiet(quiet_, true);
        delete lbxPMIdefctl->takeItem(lbxPMIdefctl->row(line));
    }
    editor_.Preset().PerfEnabled[static_cast<std::size_t>(k)] = false;
    editor_.Preset().PerfMIDI[static_cast<std::size_t>(k)].Reset();
    ActivatePerfPage();
    editor_.NoteChange(true);
}

// ---- Helpers ----

TPerfMIDI& TPerfMidiPage::Entry() const {
    return editor_.Preset().PerfMIDI[static_cast<std::size_t>(CurrentEntry)];
}

std::vector<std::uint8_t> TPerfMidiPage::DumpNow() const {
    const auto bytes = editor_.Preset().DumpBytes();
    return {bytes.begin(), bytes.end()};
}

void TPerfMidiPage::ReportIfChanged(const std::vector<std::uint8_t>& before) {
    if (DumpNow() != before)
        editor_.NoteChange(true);
}

void TPerfMidiPage::PreError(const QString& text) {
    Dialogs().MessageBox(editor_.tsPerfMIDI, text, "Preset error", mbOK, TMsgDlgType::mtError);
}
