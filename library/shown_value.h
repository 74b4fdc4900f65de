#pragma once
// Parameter values as numbers in the units the editor shows them in, so a search
// can say "Reverb Decay above 5 s" and mean what the guitarist reads beside the
// slider. Times are kept in milliseconds and frequencies in hertz, so "1.05 s"
// and "500 ms" compare with each other.
#include "model/catalogue.h"

#include <optional>
#include <string>
#include <string_view>

enum class TValueUnit { None, Percent, Decibel, Hertz, Millisecond };

struct TShownNumber {
    double Value = 0;
    TValueUnit Unit = TValueUnit::None;
    double Scale = 1; // 1000 for a text in seconds or kilohertz
};

// The number inside a shown text ("2.4s" -> 2400 ms, "1.00 KHz" -> 1000 Hz,
// "-6 db", "+3", "78%"); nothing for texts without one ("Hall-1", "THRU", "Front").
std::optional<TShownNumber> ParseShownNumber(std::string_view text);

// The shown number of a stored value (looked up in a table for 0..255).
std::optional<double> ShownNumber(const TParamInfo& param, int raw);

// The unit a parameter's numbers are shown in (that of its first numeric text).
TValueUnit ShownUnit(const TParamInfo& param);
// What a plain number typed for the parameter is multiplied by: 1000 when its
// values read in seconds ("Reverb Decay > 5" means 5 s), else 1.
double ShownScale(const TParamInfo& param);
// "%", "dB", "Hz", "ms", "" for a plain number.
std::string_view UnitName(TValueUnit unit);
