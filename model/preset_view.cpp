#include "model/preset_view.h"

#include "model/device_globals.h"
#include "model/digital_groups.h"
#include "model/stream.h"
#include "model/unit_names.h"
#include "model/value_text.h"

TPreset PresetFromDump(const std::vector<std::uint8_t>& dump) {
    TMemoryStream stream(dump);
    TPreset preset;
    preset.ReadDump(stream);
    return preset;
}

std::string EffectNameOf(const TParamInfo& param) {
    switch (param.Section) {
    case TParamSection::Mix:
        return "Mix";
    case TParamSection::Analog:
        return std::string(Catalogue::AnalogEffects()[static_cast<std::size_t>(param.Effect)].Name);
    case TParamSection::Digital:
        return std::string(
            Catalogue::DigitalEffects()[static_cast<std::size_t>(param.Effect)].Name);
    }
    return {};
}

std::string ParamLabel(const TParamInfo& param) {
    return EffectNameOf(param) + " " + std::string(param.Caption);
}

std::string ControllerText(int controller, const std::string& name) {
    return name.empty() ? std::to_string(controller)
                        : std::to_string(controller) + " (" + name + ")";
}

namespace {

TParamValue ValueAt(const TPreset& preset, const TParamInfo& info, int slot) {
    const int raw = preset.Params[static_cast<std::size_t>(slot)];
    return {&info, slot, raw, ValueText(info, raw)};
}

TPerfView PerfViewOf(const TPreset& preset, const TPresetView& view, int k) {
    const auto& entry = preset.PerfMIDI[static_cast<std::size_t>(k)];
    TPerfView perf;
    perf.Entry = k;
    perf.Controller = entry.Controller;
    perf.ControllerName = std::string(UnitNames::BuiltInControllerName(entry.Controller));
    perf.ParamNumber = entry.ParamNumber;
    perf.Low = entry.LowValue;
    perf.High = entry.HighValue;
    perf.LowText = std::to_string(entry.LowValue);
    perf.HighText = std::to_string(entry.HighValue);
    if (entry.ParamNumber == 0) {
        perf.ParamLabel = "MIDI Monitor";
        return perf;
    }
    const int number = view.GroupValid || entry.ParamNumber <= TPreset::FirstDigitalSlot
                           ? preset.ResolvePerfParam(k)
                           : 0;
    const TParamInfo* info = Catalogue::FindByNumber(number);
    if (info == nullptr) {
        perf.ParamLabel =
            "parameter number " + std::to_string(entry.ParamNumber) + " (nothing in that slot)";
        perf.EffectActive = false;
        return perf;
    }
    perf.Param = info;
    perf.ParamLabel = ParamLabel(*info);
    perf.LowText = ValueText(*info, entry.LowValue);
    perf.HighText = ValueText(*info, entry.HighValue);
    if (info->Section == TParamSection::Analog) {
        perf.EffectActive = preset.AnalogSelect(info->Effect);
    } else if (info->Section == TParamSection::Digital) {
        perf.EffectActive = false;
        for (const auto& effect : view.Digital)
            if (effect.Effect == info->Effect)
                perf.EffectActive = effect.Active;
    }
    return perf;
}

} // namespace

TPresetView BuildPresetView(const TPreset& preset) {
    return BuildPresetView(preset, PreExpressMode);
}

TPresetView BuildPresetView(const TPreset& preset, bool preExpress) {
    TPresetView view;
    view.Title = preset.Title;
    view.Channel = preset.Header[2];
    for (const auto& info : Catalogue::MixParams())
        view.Mix.push_back(ValueAt(preset, info, info.Slot));

    const auto analog = Catalogue::AnalogEffects();
    for (int a = 0; a < Catalogue::AnalogEffectCount; ++a) {
        TEffectView effect;
        effect.Name = std::string(analog[static_cast<std::size_t>(a)].Name);
        effect.Effect = a;
        effect.Active = preset.AnalogSelect(a);
        for (const auto& info : Catalogue::AnalogEffectParams(a))
            effect.Params.push_back(ValueAt(preset, info, info.Slot));
        view.Analog.push_back(std::move(effect));
    }

    view.Group = preset.DigitalGroup();
    view.GroupValid = view.Group >= 0 && view.Group < DigitalGroups::GroupCount(preExpress);
    for (int i = 0; i < TPreset::DigitalSlotCount; ++i)
        view.DigitalSlots[static_cast<std::size_t>(i)] =
            preset.Params[static_cast<std::size_t>(TPreset::FirstDigitalSlot + i)];
    if (view.GroupValid) {
        const auto& row = DigitalGroups::Row(view.Group);
        const auto digital = Catalogue::DigitalEffects();
        int slot = TPreset::FirstDigitalSlot;
        for (int j = 0; j < DigitalGroups::RowLength; ++j) {
            const int e = row[static_cast<std::size_t>(j)];
            if (e < 0)
                break;
            TEffectView effect;
            effect.Name = std::string(digital[static_cast<std::size_t>(e)].Name);
            effect.Effect = e;
            effect.Active = preset.DigitalActive(j);
            for (const auto& info : Catalogue::DigitalEffectParams(e))
                effect.Params.push_back(ValueAt(preset, info, slot++));
            view.Digital.push_back(std::move(effect));
        }
    }

    for (int i = 0; i < TPreset::FB7Count; ++i)
        view.FB7[static_cast<std::size_t>(i)] = preset.FB7State(i);
    for (int k = 0; k < TPreset::PerfCount; ++k)
        if (preset.PerfEnabled[static_cast<std::size_t>(k)])
            view.Perf.push_back(PerfViewOf(preset, view, k));
    return view;
}
