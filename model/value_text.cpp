#include "model/value_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

template <std::size_t N> bool InTable(int v, const int (&)[N]) {
    return v >= 0 && static_cast<std::size_t>(v) < N;
}

// A value in hundredths as "[-]x.yy".
std::string Hundredths(int h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d.%02d", h < 0 ? "-" : "", std::abs(h) / 100,
                  std::abs(h) % 100);
    return buf;
}

// A value in tenths as "[-]x.y".
std::string Tenths(int t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d.%d", t < 0 ? "-" : "", std::abs(t) / 10, std::abs(t) % 10);
    return buf;
}

// Floor division and modulo, so negative values stay on the same pattern.
long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}
long long FloorMod(long long a, long long b) {
    return a - b * FloorDiv(a, b);
}

} // namespace

std::string IntegerText(int v) {
    return std::to_string(v);
}

std::string PercentOf31(int v) {
    if (v == 0)
        return "0%";
    const long long n = static_cast<long long>(v) + 1;
    return std::to_string(FloorDiv(n, 8) * 25 + FloorMod(n, 8) * 3) + "%";
}

std::string PercentOf63(int v) {
    const long long t = v == 0 ? 0 : (static_cast<long long>(v) + 1) * 100 / 64;
    return std::to_string(t) + "%";
}

std::string OutputPercentText(int v) {
    return std::to_string(static_cast<long long>(v) * 2) + "%";
}

std::string LevelText(int v) {
    return std::to_string(FloorDiv(v, 12) * 25 + FloorMod(v, 12) * 2) + "%";
}

std::string EqGainText(int v) {
    static constexpr int kGain[] = {15, 12, 9, 6, 4, 2, 0, 2, 4, 6, 9, 12, 15};
    if (!InTable(v, kGain))
        return IntegerText(v);
    const std::string g = std::to_string(kGain[v]);
    if (v < 6)
        return "-" + g + " db";
    if (v == 6)
        return "0 db";
    return "+" + g + " db";
}

std::string EnvTuningText(int v) {
    if (v < 0 || v > 127)
        return IntegerText(v);
    const double hz = 120.0 * std::pow(3200.0 / 120.0, v / 63.0);
    return std::to_string(std::lround(hz)) + " Hz";
}

std::string RateText(int v) {
    // Hundredths of a hertz for v = 32..84.
    static constexpr int kRate[] = {
        136,  144,  152,  160,  172,  180,  192,  204,  216,  228,  240,  256,  272,  288,
        304,  324,  340,  364,  384,  408,  432,  456,  484,  512,  544,  576,  608,  644,
        684,  724,  768,  812,  860,  912,  968,  1020, 1080, 1140, 1210, 1290, 1360, 1440,
        1530, 1620, 1720, 1820, 1930, 2040, 2160, 2300, 2430, 2580, 2730};
    if (v >= 0 && v <= 31)
        return Hundredths((v + 1) * 4) + "Hz";
    if (v >= 32 && InTable(v - 32, kRate))
        return Hundredths(kRate[v - 32]) + "Hz";
    return IntegerText(v);
}

std::string SemitoneText(int v) {
    if (v < 12)
        return "-" + std::to_string(12LL - v);
    if (v == 12)
        return "0";
    return "+" + std::to_string(static_cast<long long>(v) - 12);
}

std::string FineTuneText(int v) {
    if (v == 0)
        return "-4.00";
    if (v < 0 || v > 127)
        return IntegerText(v);
    const int n = v - 63;
    const int q = n / 4; // toward zero, so r keeps the sign of n
    const int r = n - 4 * q;
    return Hundredths(q * 25 + r * 6);
}

std::string DelayText(int v) {
    if (v < 0 || v > 1000)
        return IntegerText(v);
    if (v <= 70)
        return std::to_string(5 * v) + " ms";
    if (v <= 105)
        return std::to_string(10 * (v - 70) + 350) + " ms";
    if (v <= 119)
        return std::to_string(20 * (v - 105) + 700) + " ms";
    // From one second on in steps of 50 ms, shown in seconds.
    return Hundredths(100 + 5 * (v - 120)) + " s";
}

std::string MillisecondText(int v) {
    return std::to_string(v) + " ms";
}

std::string SampleLengthText(int v) {
    if (v < 0 || v > 100000)
        return IntegerText(v);
    return Hundredths((v / 4) * 5 + v % 4) + "s";
}

std::string DecayText(int v) {
    if (v < 0 || v > 100000)
        return IntegerText(v);
    int tenths;
    if (v <= 10)
        tenths = v;
    else if (v <= 20)
        tenths = 10 + 2 * (v - 10);
    else if (v <= 30)
        tenths = 30 + 5 * (v - 20);
    else
        tenths = 80 + 10 * (v - 30);
    return Tenths(tenths) + "s";
}

std::string GateDecayText(int v) {
    if (v < 0 || v > 100000)
        return IntegerText(v);
    return Hundredths(5 * (v + 1)) + "s";
}

std::string DampingText(int v) {
    if (v < 0 || v > 100000)
        return IntegerText(v);
    return std::to_string(v <= 3 ? 7 * v : 7 * v + 1) + "%";
}

std::string DiffusionText(int v) {
    if (v < 0 || v > 100000)
        return IntegerText(v);
    return std::to_string(20 * v + 40) + "%";
}

std::string PositionNameText(int v) {
    static constexpr const char* kNames[] = {"Front", "17%", "33%", "50%", "67%", "83%", "Rear"};
    if (v < 0 || v > 6)
        return IntegerText(v);
    return kNames[v];
}

std::string CutoffText(int v) {
    static constexpr int kHz[] = {630,  708,  794,  891,  1000,  1120,  1260,  1410,  1580,  1780,
                                  2000, 2240, 2510, 2820, 3160,  3550,  3980,  4470,  5010,  5620,
                                  6310, 7080, 7940, 8910, 10000, 11200, 12600, 14100, 15800, 17800};
    if (v == 30)
        return "THRU";
    if (!InTable(v, kHz))
        return IntegerText(v);
    const int f = kHz[v];
    if (f < 1000)
        return std::to_string(f) + " Hz";
    return Hundredths(f / 10) + " KHz";
}

std::string DetuneText(int v) {
    if (v < -100000 || v > 100000)
        return IntegerText(v);
    if (v < 50)
        return "-" + Hundredths((50 - v) * 4);
    if (v == 50)
        return "0.00";
    return "+" + Hundredths((v - 50) * 4);
}

std::string KeyName(int v) {
    static constexpr const char* kNotes[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                             "F#", "G",  "G#", "A",  "A#", "B"};
    if (v == 0)
        return "OFF";
    if (v < 0 || v >= KeyNameCount)
        return IntegerText(v);
    const int note = v % 12;
    std::string name = kNotes[note];
    if (name.size() == 1)
        name += ' ';
    const int octave = v / 12 - 1;
    name += octave < 0 ? std::string("-") : std::to_string(octave);
    if (note == 9)
        name += ' ';
    return name;
}

std::string DisplayText(TDisplayKind kind, int v, std::span<const std::string_view> choices,
                        int addend) {
    switch (kind) {
    case TDisplayKind::PercentOf31:
        return PercentOf31(v);
    case TDisplayKind::PercentOf63:
        return PercentOf63(v);
    case TDisplayKind::OutputPercent:
        return OutputPercentText(v);
    case TDisplayKind::Level:
        return LevelText(v);
    case TDisplayKind::EqGain:
        return EqGainText(v);
    case TDisplayKind::EnvTuning:
        return EnvTuningText(v);
    case TDisplayKind::Rate:
        return RateText(v);
    case TDisplayKind::Semitone:
        return SemitoneText(v);
    case TDisplayKind::FineTune:
        return FineTuneText(v);
    case TDisplayKind::Delay:
        return DelayText(v);
    case TDisplayKind::Millisecond:
        return MillisecondText(v);
    case TDisplayKind::SampleLength:
        return SampleLengthText(v);
    case TDisplayKind::Decay:
        return DecayText(v);
    case TDisplayKind::GateDecay:
        return GateDecayText(v);
    case TDisplayKind::Damping:
        return DampingText(v);
    case TDisplayKind::Diffusion:
        return DiffusionText(v);
    case TDisplayKind::PositionName:
        return PositionNameText(v);
    case TDisplayKind::Cutoff:
        return CutoffText(v);
    case TDisplayKind::Detune:
        return DetuneText(v);
    case TDisplayKind::Integer:
        return IntegerText(v);
    case TDisplayKind::KeyName:
        return KeyName(v);
    case TDisplayKind::OnOff:
        return v == 1 ? "on" : "off";
    case TDisplayKind::List: {
        const long long index = static_cast<long long>(v) - addend;
        if (index >= 0 && static_cast<std::size_t>(index) < choices.size())
            return std::string(choices[static_cast<std::size_t>(index)]);
        return IntegerText(v);
    }
    }
    return IntegerText(v);
}

std::string ValueText(const TParamInfo& param, int raw) {
    return DisplayText(param.Display, raw, param.Choices, param.Addend);
}
