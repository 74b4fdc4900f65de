#pragma once
// The unit's vocabulary: every effect and every parameter with its slot, catalogue
// number, control, range, default, choices and display kind. The editor pages, the
// listing and the command-line tool are all generated from these tables.
#include <span>
#include <string_view>

class TPreset;

enum class TControlKind {
    Slider,         // value slider
    ReversedSlider, // slider whose top is value 0 (MIDI-Pan position)
    RadioGroup,     // stored value = choice index + addend
    CheckBox,       // checked = 1
    Meter,          // equalizer level meter with its scroll bar
    ListBox,        // Base Key lists: stored value = selected index
};

enum class TDisplayKind {
    PercentOf31,
    PercentOf63,
    OutputPercent,
    Level,
    EqGain,
    EnvTuning,
    Rate,
    Semitone,
    FineTune,
    Delay,
    Millisecond,
    SampleLength,
    Decay,
    GateDecay,
    Damping,
    Diffusion,
    PositionName,
    Cutoff,
    Detune,
    Integer,
    List,    // radio group choice text
    KeyName, // Base Key list entry
    OnOff,   // check box
};

enum class TParamSection { Mix, Analog, Digital };

struct TParamInfo {
    int Number = 0; // catalogue number 1..163
    TParamSection Section = TParamSection::Mix;
    int Effect = -1;       // analog effect 0..10 or digital effect 0..24; -1 for the mix
    int IndexInEffect = 0; // 0-based position within its effect
    int Slot = -1;         // fixed slot P0..P33 for mix and analog; -1 for digital
    int Page = -1;         // analog page 0..10 or digital page 0..16; -1 for the mix
    std::string_view ControlName;
    std::string_view Caption;
    TControlKind Control = TControlKind::Slider;
    int Min = 0;
    int Max = 0;
    int Default = 0; // new-preset value (mix, analog) or value on entering the group
    int Addend = 0;  // radio groups: stored value = choice index + addend
    std::span<const std::string_view> Choices;
    TDisplayKind Display = TDisplayKind::Integer;

    // The effect tag inside the control name ("CMP" of trbCMPdrive).
    std::string_view Tag() const { return ControlName.substr(3, 3); }
    // The control name from its seventh character on ("drive").
    std::string_view ShortName() const { return ControlName.substr(6); }
};

struct TAnalogEffectInfo {
    std::string_view Name;        // as in the analog selection list
    std::string_view PageCaption; // tab caption
    std::string_view PageHint;
    std::string_view SheetName; // tab sheet component name
    int FirstSlot = 0;
    int ParamCount = 0;
};

struct TDigitalEffectInfo {
    std::string_view Name; // key of the selection lists
    int ParamCount = 0;
    int Page = 0;
    int FirstNumber = 0; // catalogue number of its first parameter
};

struct TDigitalPageInfo {
    std::string_view Caption;
    std::string_view SheetName;
};

namespace Catalogue {

constexpr int ParamCount = 163;
constexpr int MixCount = 3;
constexpr int AnalogParamCount = 31;
constexpr int AnalogEffectCount = 11;
constexpr int DigitalEffectCount = 25;
constexpr int DigitalPageCount = 17;
constexpr int FirstAnalogNumber = 4;
constexpr int FirstDigitalNumber = 35;

// All 163 parameters; element i has catalogue number i + 1.
std::span<const TParamInfo> AllParams();
std::span<const TParamInfo> MixParams();
std::span<const TParamInfo> AnalogParams(); // P3..P33 in slot order
std::span<const TParamInfo> AnalogEffectParams(int analogEffect);
std::span<const TParamInfo> DigitalEffectParams(int digitalEffect);

std::span<const TAnalogEffectInfo> AnalogEffects();
std::span<const TDigitalEffectInfo> DigitalEffects();
std::span<const TDigitalPageInfo> DigitalPages();

// Null when there is no such parameter.
const TParamInfo* FindByNumber(int number);
// Reverb 1..3, Gate Verb 1..3 and the S/L pairs share their controls; this finds the
// first effect using the name unless a digital effect is given.
const TParamInfo* FindByControl(std::string_view controlName, int digitalEffect = -1);
// Mix and analog slots P0..P33 only (digital slots depend on the group).
const TParamInfo* FindBySlot(int slot);

// Catalogue number of parameter p (1-based) of digital effect e.
int DigitalParamNumber(int digitalEffect, int p);

// Digital effects shown on a page, in table order.
std::span<const int> EffectsOnPage(int page);

// Puts the defaults of analog effect i into its slots (done when the effect is switched on).
void ResetAnalogEffect(TPreset& preset, int analogEffect);

} // namespace Catalogue
