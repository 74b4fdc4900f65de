#pragma once
// A preset as a guitarist reads it: every stored value next to the text the editor
// shows for it, effects by name, performance entries resolved to the parameter they
// drive. show, diff and check all look at presets through this.
#include "model/catalogue.h"
#include "model/preset.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TParamValue {
    const TParamInfo* Info = nullptr;
    int Slot = 0; // P0..P51
    int Raw = 0;
    std::string Text;
};

struct TEffectView {
    std::string Name;
    int Effect = -1; // analog 0..10 or digital 0..24
    bool Active = false;
    std::vector<TParamValue> Params;
};

struct TPerfView {
    int Entry = 0; // 0..7
    int Controller = 0;
    std::string ControllerName; // built-in name, may be empty
    int ParamNumber = 0;
    const TParamInfo* Param = nullptr; // null for "MIDI Monitor" and unresolvable numbers
    std::string ParamLabel;            // "Distortion Drive:", "MIDI Monitor", ...
    bool EffectActive = true;          // the driven parameter's effect is switched on
    int Low = 0;
    int High = 0;
    std::string LowText;
    std::string HighText;
};

struct TPresetView {
    std::string Title; // as stored (single bytes)
    int Channel = 0;
    std::vector<TParamValue> Mix;
    std::vector<TEffectView> Analog; // all eleven, in list order
    int Group = 0;
    bool GroupValid = false;
    std::vector<TEffectView> Digital; // the group's effects in slot order (empty if invalid)
    std::array<int, TPreset::DigitalSlotCount> DigitalSlots{}; // raw P34..P51
    std::array<bool, TPreset::FB7Count> FB7{};                 // by FB7 checkbox 0..9
    std::vector<TPerfView> Perf;                               // entries in use
};

// Reads a preset from a 252-byte dump (throws as TPreset::ReadDump does).
TPreset PresetFromDump(const std::vector<std::uint8_t>& dump);

// The digital group is valid when the given model has it.
TPresetView BuildPresetView(const TPreset& preset, bool preExpress);
// The same for the mode the program is in (SetPreExpressMode).
TPresetView BuildPresetView(const TPreset& preset);

// "Mix", an analog effect name or a digital effect name.
std::string EffectNameOf(const TParamInfo& param);
// Effect name and caption: "Compressor Drive:".
std::string ParamLabel(const TParamInfo& param);
// "4 (Foot controller)", "128 (OFF)", "20".
std::string ControllerText(int controller, const std::string& name);
