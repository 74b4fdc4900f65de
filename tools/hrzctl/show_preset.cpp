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

namespace {

void WriteParams(TJsonWriter& json, const std::vector<TParamValue>& params) {
    json.BeginArray();
    for (const auto& p : params)
        json.BeginObject()
            .Field("slot", SlotName(p.Slot))
            .Field("number", p.Info->Number)
            .Field("caption", p.Info->Caption)
            .Field("value", p.Raw)
            .Field("text", p.Text)
            .End();
    json.End();
}

void WriteEffects(TJsonWriter& json, const std::vector<TEffectView>& effects) {
    json.BeginArray();
    for (const auto& effect : effects) {
        json.BeginObject().Field("name", effect.Name).Field("active", effect.Active).Key("params");
        WriteParams(json, effect.Params);
        json.End();
    }
    json.End();
}

} // namespace

void WritePresetJsonFields(TJsonWriter& json, const TPresetView& view) {
    json.Field("title", HrzctlText::Latin1ToUtf8(view.Title)).Field("channel", view.Channel);
    json.Key("mix");
    WriteParams(json, view.Mix);
    json.Key("analog");
    WriteEffects(json, view.Analog);

    json.Key("digital").BeginObject().Field("group", view.Group).Field("valid", view.GroupValid);
    json.Key("effects");
    WriteEffects(json, view.Digital);
    json.Key("slots").BeginArray();
    for (int v : view.DigitalSlots)
        json.Int(v);
    json.End().End();

    json.Key("fb7").BeginArray();
    for (int i = 0; i < TPreset::FB7Count; ++i)
        if (view.FB7[static_cast<std::size_t>(i)])
            json.String(UnitNames::FB7Caption(i));
    json.End();

    json.Key("performance").BeginArray();
    for (const auto& perf : view.Perf) {
        json.BeginObject()
            .Field("entry", perf.Entry + 1)
            .Field("controller", perf.Controller)
            .Field("controller_name", perf.ControllerName)
            .Field("param_number", perf.ParamNumber)
            .Field("parameter", perf.ParamLabel)
            .Key("catalogue_number");
        if (perf.Param != nullptr)
            json.Int(perf.Param->Number);
        else
            json.Null();
        json.Field("effect_active", perf.EffectActive)
            .Field("low", perf.Low)
            .Field("low_text", perf.LowText)
            .Field("high", perf.High)
            .Field("high_text", perf.HighText)
            .End();
    }
    json.End();
}

int CmdShow(const TCommandOptions& options, TConsole& console) {
    int status = ExitOk;
    TJsonWriter json(console.Out);
    if (options.Json)
        json.BeginObject().Key("presets").BeginArray();
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
            const TPresetView view = BuildPresetView(item.Preset, options.PreExpress);
            if (options.Json) {
                json.BeginObject()
                    .FileName("file", path)
                    .Field("preset", item.Ordinal)
                    .Field("offset", item.Offset);
                WritePresetJsonFields(json, view);
                json.End();
            } else {
                if (!first)
                    console.Out << '\n';
                WritePresetText(console.Out, PresetName(path, item), view);
            }
            first = false;
        }
    }
    if (options.Json)
        json.End().End();
    return status;
}
