#include "model/perf_targets.h"

#include "model/digital_groups.h"
#include "model/perf_value_text.h"
#include "model/preset.h"
#include "model/value_text.h"

#include <algorithm>

static_assert(TPerfMIDI::LastMixParam == Catalogue::MixCount);
static_assert(TPerfMIDI::LastAnalogParam == Catalogue::MixCount + Catalogue::AnalogParamCount);
static_assert(TPerfMIDI::LastAnalogParam == TPreset::FirstDigitalSlot);

namespace {

// "pan_pos_1" -> "pan pos 1", cut where the page's lines end.
std::string LineOf(const TParamInfo& param) {
    std::string line(param.ShortName().substr(0, TPerfTargets::MaxLineLength));
    std::replace(line.begin(), line.end(), '_', ' ');
    return line;
}

TPerfTargetEffect EffectOf(std::string_view caption, bool active,
                           std::span<const TParamInfo> params, int firstSlot) {
    TPerfTargetEffect effect{std::string(caption), active, firstSlot + 1, {}};
    int slot = firstSlot;
    for (const auto& p : params) {
        TPerfTarget t;
        t.Param = &p;
        t.Slot = slot;
        t.ParamNumber = slot + 1;
        t.Line = LineOf(p);
        t.Min = p.Min;
        t.Max = p.Max;
        t.Reversed = p.Control == TControlKind::ReversedSlider;
        effect.Params.push_back(std::move(t));
        ++slot;
    }
    return effect;
}

TPerfControlKind KindOf(TControlKind control) {
    switch (control) {
    case TControlKind::RadioGroup:
        return TPerfControlKind::RadioGroup;
    case TControlKind::CheckBox:
        return TPerfControlKind::CheckBox;
    case TControlKind::Meter:
        return TPerfControlKind::ScrollBar;
    case TControlKind::ListBox:
        return TPerfControlKind::ListBox;
    case TControlKind::Slider:
    case TControlKind::ReversedSlider:
        break;
    }
    return TPerfControlKind::Slider;
}

} // namespace

int TPerfTarget::ControlValue(const TPreset& preset) const {
    if (!Param || Slot < 0 || Slot >= TPreset::ParamCount)
        return 0;
    const int v = preset.Params[static_cast<std::size_t>(Slot)];
    switch (Param->Control) {
    case TControlKind::ReversedSlider:
        return std::clamp(Max - v, Min, Max);
    case TControlKind::RadioGroup:
    case TControlKind::ListBox:
        return v >= Min && v <= Max ? v : Min - 1;
    case TControlKind::CheckBox:
        return v == 1 ? 1 : 0;
    case TControlKind::Slider:
    case TControlKind::Meter:
        break;
    }
    return std::clamp(v, Min, Max);
}

std::string TPerfTarget::ValueText(int position) const {
    if (!Param)
        return {};
    std::vector<std::string> items;
    if (Param->Control == TControlKind::RadioGroup)
        items.assign(Param->Choices.begin(), Param->Choices.end());
    else if (Param->Control == TControlKind::ListBox)
        for (int k = 0; k < KeyNameCount; ++k)
            items.push_back(KeyName(k));
    return PerfValueText({KindOf(Param->Control), Param->ControlName, Min, Max, &items}, position);
}

std::string TPerfTarget::RangeText(int stored) const {
    return ValueText(std::clamp(Reversed ? Max - stored : stored, Min, Max));
}

const TPerfTarget* TPerfTargets::TPlace::Target() const {
    if (!Effect || Line < 0 || Line >= static_cast<int>(Effect->Params.size()))
        return nullptr;
    return &Effect->Params[static_cast<std::size_t>(Line)];
}

TPerfTargets::TPerfTargets(const TPreset& preset) {
    TPerfTargetEffect monitor{std::string(MonitorCaption), true, TPerfMIDI::MonitorParam, {}};
    TPerfTarget enabled;
    enabled.Line = "enabled";
    monitor.Params.push_back(enabled);
    effects_.push_back(std::move(monitor));
    effects_.push_back(EffectOf(MixCaption, true, Catalogue::MixParams(), 0));

    const auto analog = Catalogue::AnalogEffects();
    for (int a = 0; a < Catalogue::AnalogEffectCount; ++a) {
        const auto& info = analog[static_cast<std::size_t>(a)];
        effects_.push_back(EffectOf(info.PageCaption, preset.AnalogSelect(a),
                                    Catalogue::AnalogEffectParams(a), info.FirstSlot));
    }

    const int g = preset.DigitalGroup();
    if (g < 0 || g >= DigitalGroups::RowCount)
        return;
    // The page shows digital effects in page order; their slots follow the row.
    const auto& row = DigitalGroups::Row(g);
    std::vector<std::pair<int, TPerfTargetEffect>> digital;
    int slot = TPreset::FirstDigitalSlot;
    for (int j = 0; j < DigitalGroups::RowLength && row[static_cast<std::size_t>(j)] >= 0; ++j) {
        const int e = row[static_cast<std::size_t>(j)];
        const int page = Catalogue::DigitalEffects()[static_cast<std::size_t>(e)].Page;
        const auto params = Catalogue::DigitalEffectParams(e);
        digital.emplace_back(
            page, EffectOf(Catalogue::DigitalPages()[static_cast<std::size_t>(page)].Caption,
                           preset.DigitalActive(j), params, slot));
        slot += static_cast<int>(params.size());
    }
    std::stable_sort(digital.begin(), digital.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [page, effect] : digital)
        effects_.push_back(std::move(effect));
}

const TPerfTargetEffect* TPerfTargets::ActiveEffect(std::string_view caption) const {
    for (const auto& effect : effects_)
        if (effect.Active && effect.Caption == caption)
            return &effect;
    return nullptr;
}

TPerfTargets::TPlace TPerfTargets::Locate(int paramNumber) const {
    for (const auto& effect : effects_) {
        const int line = paramNumber - effect.FirstParamNumber;
        if (line >= 0 && line < static_cast<int>(effect.Params.size()))
            return {&effect, line};
    }
    return {};
}

int TPerfTargets::ParamNumberAt(std::string_view caption, int line) const {
    for (const auto& effect : effects_)
        if (effect.Caption == caption)
            return caption == MonitorCaption ? TPerfMIDI::MonitorParam
                                             : effect.FirstParamNumber + line;
    return -1;
}

bool TPerfTargets::EntryActive(const TPreset& preset, int k) const {
    const int a = preset.PerfMIDI.at(static_cast<std::size_t>(k)).ParamNumber;
    if (a <= TPerfMIDI::LastMixParam)
        return true;
    const TPlace place = Locate(a);
    return place.Effect && place.Effect->Active;
}
