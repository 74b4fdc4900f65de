#include "editor/preset_pages.h"

#include "controls/lv_lcd_meter.h"
#include "controls/lv_radio_group.h"
#include "controls/lv_track_bar.h"
#include "editor/latin1_string.h"
#include "model/digital_groups.h"
#include "model/preset.h"
#include "model/value_text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A radio group grows another column rather than more than this many rows.
constexpr int kMaxRadioRows = 7;
constexpr int kMidiPanCenter = 64;
// Long enough for one step per pixel or more on the widest range (0..127).
constexpr int kSliderWidth = 520;

QStringList ChoiceList(const TParamInfo& p) {
    QStringList items;
    for (auto c : p.Choices)
        items << Latin1String(c);
    return items;
}

// "trbCMPdrive" -> prefix + "CMPdrive".
QString Companion(const QString& prefix, std::string_view controlName) {
    return prefix + Latin1String(controlName.substr(3));
}

bool IsDigital(const TParamControl& c) {
    return c.Template->Section == TParamSection::Digital;
}

// The widest of a page's effects gives the page its controls; the others use a
// subset of them in the same order.
std::span<const TParamInfo> PageTemplate(int page) {
    std::span<const TParamInfo> widest;
    for (int e : Catalogue::EffectsOnPage(page)) {
        const auto params = Catalogue::DigitalEffectParams(e);
        if (params.size() > widest.size())
            widest = params;
    }
    return widest;
}

} // namespace

TlvTrackBar* TParamControl::Slider() const {
    return qobject_cast<TlvTrackBar*>(Control);
}
TlvRadioGroup* TParamControl::Radio() const {
    return qobject_cast<TlvRadioGroup*>(Control);
}
QCheckBox* TParamControl::Check() const {
    return qobject_cast<QCheckBox*>(Control);
}
TlvLCDmeter* TParamControl::Meter() const {
    return qobject_cast<TlvLCDmeter*>(Control);
}
QListWidget* TParamControl::List() const {
    return qobject_cast<QListWidget*>(Control);
}

TPresetPages::TPresetPages(QWidget* mixGroup, QTabWidget* analogPages, QTabWidget* digitalPages,
                           QObject* parent)
    : QObject(parent) {
    controls_.reserve(Catalogue::ParamCount);
    BuildMix(mixGroup);
    for (int a = 0; a < Catalogue::AnalogEffectCount; ++a)
        BuildAnalogPage(analogPages, a);
    for (int p = 0; p < Catalogue::DigitalPageCount; ++p)
        BuildDigitalPage(digitalPages, p);
}

TPresetPages::~TPresetPages() = default;

TParamControl* TPresetPages::Find(const QString& controlName) const {
    for (const auto& c : controls_)
        if (c->Control->objectName() == controlName)
            return c.get();
    return nullptr;
}

TParamControl* TPresetPages::FindByWidget(const QWidget* widget) const {
    for (const auto& c : controls_)
        if (c->Control == widget || (widget && c->Scroll == widget))
            return c.get();
    return nullptr;
}

QWidget* TPresetPages::AnalogPage(int analogEffect) const {
    return analogPages_.at(static_cast<std::size_t>(analogEffect));
}

QWidget* TPresetPages::DigitalPage(int page) const {
    return digitalPages_.at(static_cast<std::size_t>(page));
}

// ---- Building ----

TParamControl& TPresetPages::NewControl(const TParamInfo& param, QWidget* page) {
    auto c = std::make_unique<TParamControl>();
    c->Template = &param;
    c->Page = page;
    const QString name = Latin1String(param.ControlName);
    const auto caption = [&] {
        c->Caption = new QLabel(Latin1String(param.Caption), page);
        c->Caption->setObjectName(Companion("lbl", param.ControlName));
    };
    const auto valueLabel = [&] {
        c->Value = new QLabel(page);
        c->Value->setObjectName(Companion("txt", param.ControlName));
    };
    switch (param.Control) {
    case TControlKind::Slider:
    case TControlKind::ReversedSlider: {
        caption();
        const bool reversed = param.Control == TControlKind::ReversedSlider;
        auto* slider = new TlvTrackBar(reversed ? Qt::Vertical : Qt::Horizontal, page);
        slider->SetRange(param.Min, param.Max);
        slider->SetReversed(reversed);
        slider->setPageStep(std::max(1, (param.Max - param.Min) / 8));
        slider->setFocusPolicy(Qt::StrongFocus);
        c->Control = slider;
        valueLabel();
        if (reversed) {
            c->Center = new QPushButton("&Center", page);
            c->Center->setObjectName(Companion("btn", param.ControlName.substr(0, 6)) + "center");
        }
        break;
    }
    case TControlKind::RadioGroup: {
        auto* radio = new TlvRadioGroup(page);
        radio->setTitle(Latin1String(param.Caption));
        radio->SetDataAddend(param.Addend);
        radio->SetItems(ChoiceList(param));
        radio->SetColumns((radio->ButtonCount() + kMaxRadioRows - 1) / kMaxRadioRows);
        // A single choice is a state the unit shows, not one to pick.
        radio->setEnabled(radio->ButtonCount() > 1);
        c->Control = radio;
        break;
    }
    case TControlKind::CheckBox:
        c->Control = new QCheckBox(Latin1String(param.Caption), page);
        break;
    case TControlKind::Meter: {
        caption();
        auto* meter = new TlvLCDmeter(page);
        meter->SetRange(0, 0, EqualizerMax);
        meter->SetColor(Qt::black);
        meter->SetBrightColor(QColor(0, 0, 128));
        meter->SetDimColor(QColor(192, 192, 192));
        meter->SetPipSize(4);
        c->Control = meter;
        c->Scroll = new QScrollBar(Qt::Vertical, page);
        c->Scroll->setObjectName(Companion("scr", param.ControlName));
        c->Scroll->setRange(0, EqualizerMax);
        c->Scroll->setPageStep(1);
        c->Scroll->setFocusPolicy(Qt::StrongFocus);
        valueLabel();
        break;
    }
    case TControlKind::ListBox: {
        caption();
        auto* list = new QListWidget(page);
        QStringList keys;
        for (int k = 0; k < KeyNameCount; ++k)
            keys << QString::fromStdString(KeyName(k));
        list->addItems(keys);
        c->Control = list;
        break;
    }
    }
    c->Control->setObjectName(name);
    Connect(*c);
    controls_.push_back(std::move(c));
    return *controls_.back();
}

void TPresetPages::MakeSliderRow(TParamControl& c) {
    c.Caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.Control->setMaximumWidth(kSliderWidth);
    c.Value->setMinimumWidth(c.Value->fontMetrics().horizontalAdvance("17.80 KHz") + 8);
}

void TPresetPages::BuildMix(QWidget* group) {
    auto* grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (const auto& p : Catalogue::MixParams()) {
        TParamControl& c = NewControl(p, group);
        MakeSliderRow(c);
        grid->addWidget(c.Caption, row, 0);
        grid->addWidget(c.Control, row, 1);
        grid->addWidget(c.Value, row, 2);
        ++row;
    }
}

void TPresetPages::BuildAnalogPage(QTabWidget* pages, int analogEffect) {
    const auto& info = Catalogue::AnalogEffects()[static_cast<std::size_t>(analogEffect)];
    auto* page = new QWidget;
    page->setObjectName(Latin1String(info.SheetName));
    const int index = pages->addTab(page, Latin1String(info.PageCaption));
    pages->setTabToolTip(index, Latin1String(info.PageHint));
    analogPages_.push_back(page);
    const auto params = Catalogue::AnalogEffectParams(analogEffect);
    if (params.front().Control == TControlKind::Meter)
        BuildEqualizerPage(page, params);
    else
        BuildPage(page, params);
}

void TPresetPages::BuildDigitalPage(QTabWidget* pages, int pageIndex) {
    const auto& info = Catalogue::DigitalPages()[static_cast<std::size_t>(pageIndex)];
    auto* page = new QWidget;
    page->setObjectName(Latin1String(info.SheetName));
    pages->addTab(page, Latin1String(info.Caption));
    digitalPages_.push_back(page);
    BuildPage(page, PageTemplate(pageIndex));
}

void TPresetPages::BuildPage(QWidget* page, std::span<const TParamInfo> params) {
    auto* outer = new QVBoxLayout(page);
    auto* choices = new QHBoxLayout;
    choices->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* sliders = new QGridLayout;
    sliders->setColumnStretch(1, 3);
    sliders->setColumnStretch(3, 1);
    QVBoxLayout* boxes = nullptr;
    int row = 0;
    for (const auto& p : params) {
        TParamControl& c = NewControl(p, page);
        switch (p.Control) {
        case TControlKind::Slider:
            MakeSliderRow(c);
            sliders->addWidget(c.Caption, row, 0);
            sliders->addWidget(c.Control, row, 1);
            sliders->addWidget(c.Value, row, 2);
            ++row;
            break;
        case TControlKind::ReversedSlider: {
            // A tall bar with its value beside it and the button that centres it.
            auto* column = new QVBoxLayout;
            column->addWidget(c.Caption);
            auto* bar = new QHBoxLayout;
            c.Control->setMinimumHeight(200);
            bar->addWidget(c.Control);
            auto* side = new QVBoxLayout;
            side->addStretch();
            side->addWidget(c.Value);
            side->addWidget(c.Center);
            side->addStretch();
            bar->addLayout(side);
            column->addLayout(bar);
            choices->addLayout(column);
            break;
        }
        case TControlKind::RadioGroup:
            choices->addWidget(c.Control, 0, Qt::AlignTop);
            break;
        case TControlKind::CheckBox:
            if (!boxes) {
                boxes = new QVBoxLayout;
                boxes->setAlignment(Qt::AlignTop);
                choices->addLayout(boxes);
            }
            boxes->addWidget(c.Control);
            break;
        case TControlKind::ListBox: {
            auto* column = new QVBoxLayout;
            column->addWidget(c.Caption);
            c.Control->setFixedSize(c.Control->fontMetrics().horizontalAdvance("OFF  ") + 48, 140);
            column->addWidget(c.Control);
            choices->addLayout(column);
            break;
        }
        case TControlKind::Meter:
            break;
        }
    }
    choices->addStretch(1);
    outer->addLayout(choices);
    outer->addLayout(sliders);
    outer->addStretch(1);
}

void TPresetPages::BuildEqualizerPage(QWidget* page, std::span<const TParamInfo> params) {
    auto* outer = new QVBoxLayout(page);
    auto* bands = new QHBoxLayout;
    bands->setAlignment(Qt::AlignLeft);
    for (const auto& p : params) {
        TParamControl& c = NewControl(p, page);
        auto* column = new QVBoxLayout;
        c.Caption->setAlignment(Qt::AlignCenter);
        column->addWidget(c.Caption);
        auto* pair = new QHBoxLayout;
        c.Control->setFixedSize(5 * 4, 52 * 4);
        pair->addWidget(c.Control);
        c.Scroll->setFixedHeight(52 * 4);
        pair->addWidget(c.Scroll);
        column->addLayout(pair);
        c.Value->setAlignment(Qt::AlignCenter);
        c.Value->setMinimumWidth(c.Value->fontMetrics().horizontalAdvance("-15 db") + 12);
        column->addWidget(c.Value);
        bands->addLayout(column);
        bands->addSpacing(12);
    }
    outer->addLayout(bands);
    outer->addStretch(1);
}

// ---- Reports ----

void TPresetPages::Connect(TParamControl& c) {
    TParamControl* pc = &c;
    if (auto* slider = c.Slider()) {
        connect(slider, &TlvTrackBar::OnChange, this, [this, pc] {
            RefreshValue(*pc);
            Reported(*pc, false);
        });
        if (c.Center)
            connect(c.Center, &QPushButton::clicked, this,
                    [slider] { slider->SetValue(kMidiPanCenter); });
    } else if (auto* radio = c.Radio()) {
        connect(radio, &TlvRadioGroup::UserChanged, this, [this, pc] { Reported(*pc, false); });
    } else if (auto* check = c.Check()) {
        connect(check, &QCheckBox::toggled, this, [this, pc](bool on) {
            if (binding_ || !pc->Slot)
                return;
            *pc->Slot = on ? 1 : 0;
            Reported(*pc, true);
        });
    } else if (auto* meter = c.Meter()) {
        connect(meter, &TlvLCDmeter::OnChange, this, [this, pc] {
            RefreshValue(*pc);
            Reported(*pc, false);
        });
        connect(c.Scroll, &QScrollBar::valueChanged, this, [this, pc](int position) {
            if (!binding_)
                pc->Meter()->SetPosition(EqualizerMax - position);
        });
    } else if (auto* list = c.List()) {
        connect(list, &QListWidget::currentRowChanged, this, [this, pc](int row) {
            if (binding_ || !pc->Slot || row < 0)
                return;
            *pc->Slot = row;
            Reported(*pc, true);
        });
    }
}

void TPresetPages::Reported(TParamControl& c, bool immediate) {
    if (!binding_ && c.Slot)
        emit ParamChanged(immediate);
}

void TPresetPages::RefreshValue(TParamControl& c) {
    if (!c.Bound || !c.Slot)
        return;
    if (c.Value)
        c.Value->setText(QString::fromStdString(ValueText(*c.Bound, *c.Slot)));
    if (c.Scroll) {
        QScopedValueRollback quiet(binding_, true);
        c.Scroll->setValue(EqualizerMax - c.Meter()->Position());
    }
}

// ---- Binding ----

void TPresetPages::Bind(TParamControl& c, const TParamInfo& param, int* slot) {
    QScopedValueRollback quiet(binding_, true);
    c.Bound = &param;
    c.Slot = slot;
    if (auto* slider = c.Slider()) {
        slider->Bind(nullptr);
        slider->SetRange(param.Min, param.Max);
        slider->SetReversed(param.Control == TControlKind::ReversedSlider);
        slider->Bind(slot);
    } else if (auto* radio = c.Radio()) {
        radio->Bind(nullptr);
        const QStringList items = ChoiceList(param);
        if (radio->Items() != items) {
            radio->SetItems(items);
            radio->SetColumns((radio->ButtonCount() + kMaxRadioRows - 1) / kMaxRadioRows);
        }
        radio->SetDataAddend(param.Addend);
        radio->Bind(slot);
    } else if (auto* check = c.Check()) {
        check->setChecked(*slot == 1);
    } else if (auto* meter = c.Meter()) {
        meter->Bind(slot);
    } else if (auto* list = c.List()) {
        list->setCurrentRow(*slot >= 0 && *slot < list->count() ? *slot : -1);
    }
    RefreshValue(c);
}

void TPresetPages::Unbind(TParamControl& c) {
    QScopedValueRollback quiet(binding_, true);
    if (auto* slider = c.Slider())
        slider->Bind(nullptr);
    else if (auto* radio = c.Radio())
        radio->Bind(nullptr);
    else if (auto* meter = c.Meter())
        meter->Bind(nullptr);
    c.Bound = nullptr;
    c.Slot = nullptr;
}

void TPresetPages::BindMixAndAnalog(TPreset& preset) {
    for (const auto& c : controls_)
        if (!IsDigital(*c))
            Bind(*c, *c->Template, &preset.Params[static_cast<std::size_t>(c->Template->Slot)]);
}

void TPresetPages::BindDigital(TPreset& preset, int g) {
    for (const auto& c : controls_)
        if (IsDigital(*c))
            Unbind(*c);
    int slot = TPreset::FirstDigitalSlot;
    for (int e : DigitalGroups::Row(g)) {
        if (e < 0)
            break;
        for (const auto& p : Catalogue::DigitalEffectParams(e)) {
            if (slot >= TPreset::ParamCount)
                return;
            if (TParamControl* c = Find(Latin1String(p.ControlName)))
                Bind(*c, p, &preset.Params[static_cast<std::size_t>(slot)]);
            ++slot;
        }
    }
}

void TPresetPages::LayoutReverbPage(bool reverb3) {
    if (TParamControl* c = Find("trbREVdiffusion")) {
        c->Caption->setVisible(reverb3);
        c->Control->setVisible(reverb3);
        c->Value->setVisible(reverb3);
    }
}
