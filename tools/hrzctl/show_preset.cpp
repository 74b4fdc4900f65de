#include "tools/hrzctl/show_preset.h"

#include "model/digital_groups.h"
#include "model/unit_names.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/input_file.h"
#include "tools/hrzctl/preset_source.h"
#include "tools/hrzctl/text_util.h"

using HrzctlText::PadRight;
using HrzctlText::Printable;

namespace {

constexpr std::size_t kCaptionWidth = 18;

void WriteParams(std::ostream& out, const std::vector<TParamValue>& params) {
    for (const auto& p : params)
        out << "    " << PadRight(p.Info->Caption, kCaptionWidth) << p.Text << '\n';
}

std::string GroupEffects(const TPresetView& view) {
    std::string names;
    for (const auto& effect : view.Digital)
        names += (names.empty() ? "" : ", ") + effect.Name;
    return names;
}

std::string SlotName(int slot) {
    return "P" + std::to_string(slot);
}

} // namespace

void WritePresetText(std::ostream& out, const std::string& heading, const TPresetView& view) {
    out << "== " << heading << " ==\n";
    out << "Title:          " << Printable(view.Title) << '\n';
    out << "Channel byte:   " << view.Channel << '\n';
    out << "Mix\n";
    WriteParams(out, view.Mix);

    bool anyAnalog = false;
    for (const auto& effect : view.Analog) {
        if (!effect.Active)
            continue;
        if (!anyAnalog)
            out << "Analog effects\n";
        anyAnalog = true;
        out << "  " << effect.Name << '\n';
        WriteParams(out, effect.Params);
    }
    if (!anyAnalog)
        out << "Analog effects: none\n";

    if (view.GroupValid) {
        out << "Digital group " << view.Group << ": " << GroupEffects(view) << '\n';
        bool anyDigital = false;
        for (const auto& effect : view.Digital) {
            if (!effect.Active)
                continue;
            anyDigital = true;
            out << "  " << effect.Name << '\n';
            WriteParams(out, effect.Params);
        }
        if (!anyDigital)
            out << "  (no digital effect switched on)\n";
    } else {
        out << "Digital group " << view.Group << ": not a valid group for this model\n";
        out << "  Slots P34..P51:";
        for (int v : view.DigitalSlots)
            out << ' ' << v;
        out << '\n';
    }

    std::string fb7;
    for (int i = 0; i < TPreset::FB7Count; ++i)
        if (view.FB7[static_cast<std::size_t>(i)])
            fb7 += (fb7.empty() ? "" : ", ") + std::string(UnitNames::FB7Caption(i));
    out << "FB7 states:     " << (fb7.empty() ? "none" : fb7) << '\n';

    if (view.Perf.empty()) {
        out << "Performance MIDI: none\n";
        return;
    }
    out << "Performance MIDI\n";
    for (const auto& perf : view.Perf) {
        out << "  Controller #" << perf.Entry + 1 << ": "
            << ControllerText(perf.Controller, perf.ControllerName) << " -> " << perf.ParamLabel;
        if (perf.ParamNumber != 0)
            out << "  from " << perf.LowText << " to " << perf.HighText;
        if (!perf.EffectActive && perf.Param != nullptr)
            out << "  (effect off)";
        out << '\n';
    }
}

TJson ParamJson(const TParamValue& value) {
    return TJson{{"slot", SlotName(value.Slot)},
                 {"number", value.Info->Number},
                 {"caption", value.Info->Caption},
                 {"value", value.Raw},
                 {"text", value.Text}};
}

namespace {

TJson ParamsJson(const std::vector<TParamValue>& params) {
    TJson list = TJson::array();
    for (const auto& p : params)
        list.push_back(ParamJson(p));
    return list;
}

TJson EffectsJson(const std::vector<TEffectView>& effects) {
    TJson list = TJson::array();
    for (const auto& effect : effects)
        list.push_back(TJson{{"name", effect.Name},
                             {"active", effect.Active},
                             {"params", ParamsJson(effect.Params)}});
    return list;
}

} // namespace

void AddPresetJsonFields(TJson& object, const TPresetView& view) {
    object["title"] = HrzctlText::Latin1ToUtf8(view.Title);
    object["channel"] = view.Channel;
    object["mix"] = ParamsJson(view.Mix);
    object["analog"] = EffectsJson(view.Analog);

    TJson slots = TJson::array();
    for (int v : view.DigitalSlots)
        slots.push_back(v);
    object["digital"] = TJson{{"group", view.Group},
                              {"valid", view.GroupValid},
                              {"effects", EffectsJson(view.Digital)},
                              {"slots", std::move(slots)}};

    TJson fb7 = TJson::array();
    for (int i = 0; i < TPreset::FB7Count; ++i)
        if (view.FB7[static_cast<std::size_t>(i)])
            fb7.push_back(UnitNames::FB7Caption(i));
    object["fb7"] = std::move(fb7);

    TJson performance = TJson::array();
    for (const auto& perf : view.Perf)
        performance.push_back(
            TJson{{"entry", perf.Entry + 1},
                  {"controller", perf.Controller},
                  {"controller_name", perf.ControllerName},
                  {"param_number", perf.ParamNumber},
                  {"parameter", perf.ParamLabel},
                  {"catalogue_number", perf.Param != nullptr ? TJson(perf.Param->Number) : TJson()},
                  {"effect_active", perf.EffectActive},
                  {"low", perf.Low},
                  {"low_text", perf.LowText},
                  {"high", perf.High},
                  {"high_text", perf.HighText}});
    object["performance"] = std::move(performance);
}

int CmdShow(const TCommandOptions& options, TConsole& console) {
    int status = ExitOk;
    TJsonArrayWriter presets(console.Out, "presets");
    bool first = true;
    for (const auto& path : options.Files) {
        const auto found = FindInFile(console, path, [&](const TInputFile& file, auto& warnings) {
            return PresetsOf(file, options.PreExpress, warnings);
        });
        if (!found) {
            status = ExitFailure;
            continue;
        }
        const std::vector<TPresetItem>& items = *found;
        for (const auto& item : items) {
            const TPresetView view = BuildPresetView(item.Preset);
            if (options.Json) {
                TJson object = TJson::object();
                SetFileName(object, "file", path);
                object["preset"] = item.Ordinal;
                object["offset"] = item.Offset;
                AddPresetJsonFields(object, view);
                presets.Add(object);
            } else {
                if (!first)
                    console.Out << '\n';
                WritePresetText(console.Out, PresetName(path, item), view);
            }
            first = false;
        }
    }
    if (options.Json)
        presets.Finish();
    return status;
}
