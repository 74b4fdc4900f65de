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

void WriteParamJson(TJsonWriter& json, const TParamValue& value) {
    json.BeginObject();
    json.Field("slot", SlotName(value.Slot));
    json.Field("number", value.Info->Number);
    json.Field("caption", value.Info->Caption);
    json.Field("value", value.Raw);
    json.Field("text", value.Text);
    json.EndObject();
}

namespace {

void WriteEffectsJson(TJsonWriter& json, const std::vector<TEffectView>& effects) {
    json.BeginArray();
    for (const auto& effect : effects) {
        json.BeginObject();
        json.Field("name", effect.Name);
        json.Field("active", effect.Active);
        json.Key("params");
        json.BeginArray();
        for (const auto& p : effect.Params)
            WriteParamJson(json, p);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

} // namespace

void WritePresetJsonFields(TJsonWriter& json, const TPresetView& view) {
    json.Field("title", HrzctlText::Latin1ToUtf8(view.Title));
    json.Field("channel", view.Channel);
    json.Key("mix");
    json.BeginArray();
    for (const auto& p : view.Mix)
        WriteParamJson(json, p);
    json.EndArray();
    json.Key("analog");
    WriteEffectsJson(json, view.Analog);

    json.Key("digital");
    json.BeginObject();
    json.Field("group", view.Group);
    json.Field("valid", view.GroupValid);
    json.Key("effects");
    WriteEffectsJson(json, view.Digital);
    json.Key("slots");
    json.BeginArray();
    for (int v : view.DigitalSlots)
        json.Int(v);
    json.EndArray();
    json.EndObject();

    json.Key("fb7");
    json.BeginArray();
    for (int i = 0; i < TPreset::FB7Count; ++i)
        if (view.FB7[static_cast<std::size_t>(i)])
            json.String(UnitNames::FB7Caption(i));
    json.EndArray();

    json.Key("performance");
    json.BeginArray();
    for (const auto& perf : view.Perf) {
        json.BeginObject();
        json.Field("entry", perf.Entry + 1);
        json.Field("controller", perf.Controller);
        json.Field("controller_name", perf.ControllerName);
        json.Field("param_number", perf.ParamNumber);
        json.Field("parameter", perf.ParamLabel);
        json.Key("catalogue_number");
        if (perf.Param != nullptr)
            json.Int(perf.Param->Number);
        else
            json.Null();
        json.Field("effect_active", perf.EffectActive);
        json.Field("low", perf.Low);
        json.Field("low_text", perf.LowText);
        json.Field("high", perf.High);
        json.Field("high_text", perf.HighText);
        json.EndObject();
    }
    json.EndArray();
}

int CmdShow(const TCommandOptions& options, TConsole& console) {
    int status = ExitOk;
    TJsonWriter json(console.Out);
    if (options.Json) {
        json.BeginObject();
        json.Key("presets");
        json.BeginArray();
    }
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
                json.BeginObject();
                json.Field("file", path);
                json.Field("preset", item.Ordinal);
                json.Field("offset", static_cast<int>(item.Offset));
                WritePresetJsonFields(json, view);
                json.EndObject();
            } else {
                if (!first)
                    console.Out << '\n';
                WritePresetText(console.Out, PresetName(path, item), view);
            }
            first = false;
        }
    }
    if (options.Json) {
        json.EndArray();
        json.EndObject();
        json.Finish();
    }
    return status;
}
