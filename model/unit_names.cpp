#include "model/unit_names.h"

#include <array>
#include <utility>

namespace UnitNames {
namespace {

constexpr std::pair<int, std::string_view> kControllerNames[] = {
    {1, "Mod wheel"},
    {2, "Breath ctl"},
    {4, "Foot controller"},
    {5, "Portamento time"},
    {6, "Data entry"},
    {7, "Channel volume"},
    {8, "Balance"},
    {10, "Pan"},
    {11, "Expression ctlr"},
    {16, "General #1"},
    {17, "General #2"},
    {18, "General #3"},
    {19, "General #4"},
    {64, "Damper pedal"},
    {65, "Portamento"},
    {66, "Sustenuto"},
    {67, "Soft pedal"},
    {68, "Legato Footswitch"},
    {69, "Hold 2"},
    {80, "General #5"},
    {81, "General #6"},
    {82, "General #7"},
    {83, "General #8"},
    {91, "Ext FX depth"},
    {92, "Tremolo depth"},
    {93, "Chorus depth"},
    {94, "Celeste depth"},
    {95, "Phase depth"},
    {121, "Note Off key number"},
    {122, "Note Off key velocity"},
    {123, "Note On key number"},
    {124, "Note On key velocity"},
    {125, "Polyphonic aftertouch"},
    {126, "Channel pressure"},
    {127, "Pitch bend"},
    {128, "OFF"},
};

constexpr std::string_view kFB7Captions[FB7CheckboxCount] = {
    "Exciter", "Compressor", "Distortion",       "Equalizer",      "Expander/Noise gate",
    "Reverb",  "Delay",      "Pitch Transposer", "Flanger/Chorus", "Special Effects"};

} // namespace

std::string_view BuiltInControllerName(int row) {
    for (const auto& [number, name] : kControllerNames)
        if (number == row)
            return name;
    return {};
}

std::string_view FB7Caption(int checkbox) {
    if (checkbox < 0 || checkbox >= FB7CheckboxCount)
        return {};
    return kFB7Captions[checkbox];
}

} // namespace UnitNames
