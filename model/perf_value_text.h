#pragma once
// The text of a performance-MIDI range value: what a low, high or current value
// reads as for the parameter control it was taken from. The control's name gives
// the rule (its tag "PTR" and name "fine" in trbPTRfine), first match wins.
#include <string>
#include <string_view>
#include <vector>

enum class TPerfControlKind { Slider, RadioGroup, ListBox, CheckBox, ScrollBar };

struct TPerfValueSource {
    TPerfControlKind Kind = TPerfControlKind::Slider;
    std::string_view ControlName; // e.g. "trb2PTpan_pos_1"
    int BarMin = 0;
    int BarMax = 0;
    const std::vector<std::string>* Items = nullptr; // radio groups and lists
};

// Characters 4..6 of the control name ("PTR").
std::string PerfTag(std::string_view controlName);
// The name from its seventh character with "_" as blanks ("pan pos 1").
std::string PerfParamName(std::string_view controlName);
std::string PerfValueText(const TPerfValueSource& source, int value);
