#include "model/perf_value_text.h"

#include "model/value_text.h"

#include <algorithm>

std::string PerfTag(std::string_view controlName) {
    return controlName.size() > 3 ? std::string(controlName.substr(3, 3)) : std::string();
}

std::string PerfParamName(std::string_view controlName) {
    std::string name = controlName.size() > 6 ? std::string(controlName.substr(6)) : std::string();
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

std::string PerfValueText(const TPerfValueSource& source, int value) {
    using K = TPerfControlKind;
    const std::string tag = PerfTag(source.ControlName);
    const std::string name = PerfParamName(source.ControlName);
    const auto has = [&name](std::string_view part) {
        return name.find(part) != std::string::npos;
    };

    if (source.Kind == K::RadioGroup || source.Kind == K::ListBox) {
        const long long index = static_cast<long long>(value) - source.BarMin;
        if (source.Items && index >= 0 && index < static_cast<long long>(source.Items->size()))
            return (*source.Items)[static_cast<std::size_t>(index)];
        return IntegerText(value);
    }
    if (source.Kind == K::CheckBox)
        return value == 1 ? "on" : "off";
    if (source.Kind == K::ScrollBar)
        return EqGainText(value);
    if (has("fine"))
        return tag == "PTR" || tag == "SPT" || tag == "2PT" ? FineTuneText(value)
                                                            : MillisecondText(value);
    if (has("delay"))
        return tag == "CHO" ? MillisecondText(value) : DelayText(value);
    if (has("speed"))
        return RateText(value);
    if (has("pitch"))
        return SemitoneText(value);
    if (source.BarMax == 31)
        return PercentOf31(value);
    if (source.BarMax == 63) {
        if (name == "tuning" && tag == "ENV")
            return EnvTuningText(value);
        if (has("pan pos"))
            return IntegerText(value);
        return PercentOf63(value);
    }
    if (tag == "LVL")
        return LevelText(value);
    if (name == "diffusion")
        return DiffusionText(value);
    if (name == "output" && tag == "CMP")
        return OutputPercentText(value);
    if (name == "decay")
        return tag == "REV" ? DecayText(value) : GateDecayText(value);
    if (name == "length" && (tag == "SMP" || tag == "SPT"))
        return SampleLengthText(value);
    if (name != "length") {
        if (tag == "LPF")
            return CutoffText(value);
        if (tag != "REV" && name == "detune")
            return DetuneText(value);
        if (tag == "REV" && name == "damping")
            return DampingText(value);
        if (tag == "REV" && name == "position")
            return PositionNameText(value);
    }
    // No kind of its own: the MIDI pan slider runs reversed.
    if (tag == "MPN")
        return IntegerText(source.BarMax - value);
    return IntegerText(value);
}
