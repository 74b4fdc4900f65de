#pragma once
// Names the unit's owners know things by outside the parameter catalogue: the
// built-in names of the MIDI controllers a performance entry can watch, and the
// effect families the FB7 foot controller switches.
#include <string_view>

namespace UnitNames {

constexpr int ControllerRowCount = 129; // 0..127 and 128 = "OFF"
constexpr int FB7CheckboxCount = 10;

// Built-in name of controller row 0..128; empty for rows without one and out of range.
std::string_view BuiltInControllerName(int row);

// Caption of FB7 checkbox 0..9 in the editor's order (Exciter .. Special Effects);
// empty out of range.
std::string_view FB7Caption(int checkbox);

} // namespace UnitNames
