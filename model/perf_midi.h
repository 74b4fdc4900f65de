#pragma once
// One performance-MIDI assignment: a controller driving one parameter between two values.

class TPerfMIDI {
public:
    static constexpr int ControllerOff = 128; // shown as "OFF"
    // ParamNumber ranges: the monitor, then the mix, the analog effects and
    // the digital slots (each number is its slot + 1).
    static constexpr int MonitorParam = 0;
    static constexpr int LastMixParam = 3;
    static constexpr int LastAnalogParam = 34;

    int Controller = 4;
    int LowValue = 0;
    int HighValue = 127;
    int ParamNumber = 0; // 0 = none, 1..52 = slot P(ParamNumber - 1)
    int ExtraValue = 0;
    bool Enabled = false;

    TPerfMIDI() { Reset(); }
    void Reset() {
        Controller = 4;
        LowValue = 0;
        HighValue = 127;
        ParamNumber = 0;
        ExtraValue = 0;
        Enabled = false;
    }
    bool operator==(const TPerfMIDI&) const = default;
};
