#pragma once
// What the performance entries of one preset can drive, effect by effect, as
// the "Performance MIDI" page lists it: each parameter with the line the page
// shows, the range of its control and the texts of its values. The page only
// displays this list; the parameter listing prints entries through it.
#include "model/catalogue.h"

#include <string>
#include <string_view>
#include <vector>

class TPreset;

struct TPerfTarget {
    const TParamInfo* Param = nullptr; // null for the monitor's "enabled"
    int ParamNumber = 0;               // what an entry stores for it
    int Slot = -1;                     // P0..P51; -1 for the monitor
    std::string Line;                  // "drive", "pan pos 1", "enabled"
    int Min = 0;                       // the range of its control
    int Max = 0;
    bool Reversed = false; // a slider whose top is value 0: positions run Max - value

    // Where the control stands for the preset's value: a reversed slider's
    // position, one below the range for a value no choice or key has.
    int ControlValue(const TPreset& preset) const;
    // The text of a control position; empty for the monitor.
    std::string ValueText(int position) const;
    // The text of a stored range value where the page's bar puts it.
    std::string RangeText(int stored) const;
};

struct TPerfTargetEffect {
    std::string Caption; // "MIDI Monitor", "Mix" or the effect's page caption
    bool Active = true;  // switched on: only these are listed to pick from
    int FirstParamNumber = 0;
    std::vector<TPerfTarget> Params;
};

class TPerfTargets {
public:
    static constexpr std::string_view MonitorCaption = "MIDI Monitor";
    static constexpr std::string_view MixCaption = "Mix";
    static constexpr int MaxLineLength = 20;

    // The monitor, the mix, every analog effect and the effects of the preset's
    // digital group in page order; those switched off are kept, marked.
    explicit TPerfTargets(const TPreset& preset);

    const std::vector<TPerfTargetEffect>& Effects() const { return effects_; }
    // The effect switched on with this caption, or null.
    const TPerfTargetEffect* ActiveEffect(std::string_view caption) const;

    struct TPlace {
        const TPerfTargetEffect* Effect = nullptr; // null: nothing answers to the number
        int Line = -1;
        const TPerfTarget* Target() const;
    };
    // The effect and line of an entry's parameter number (4 and up).
    TPlace Locate(int paramNumber) const;
    // The parameter number line of the effect with this caption stands for; -1
    // when no effect has the caption.
    int ParamNumberAt(std::string_view caption, int line) const;
    // Entry k drives the monitor, the mix or a parameter of an effect switched on.
    bool EntryActive(const TPreset& preset, int k) const;

private:
    std::vector<TPerfTargetEffect> effects_;
};
