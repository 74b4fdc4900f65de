#include "model/catalogue.h"

#include "model/preset.h"

#include <array>
#include <stdexcept>
#include <vector>

namespace {

using K = TControlKind;
using D = TDisplayKind;
using Choices = std::span<const std::string_view>;

// One parameter as the tables below write it.
struct Def {
    std::string_view Control;
    std::string_view Caption;
    K Kind;
    int Min;
    int Max;
    int Default;
    D Display;
    Choices ChoiceTexts = {};
    int Addend = 0;
};

constexpr Def Slider(std::string_view control, std::string_view caption, int min, int max, int def,
                     D display) {
    return {control, caption, K::Slider, min, max, def, display};
}
constexpr Def Radio(std::string_view control, std::string_view caption, Choices choices, int addend,
                    int def) {
    return {control, caption, K::RadioGroup, addend, addend + static_cast<int>(choices.size()) - 1,
            def,     D::List, choices,       addend};
}
constexpr Def Box(std::string_view control, std::string_view caption, int def) {
    return {control, caption, K::CheckBox, 0, 1, def, D::OnOff};
}
constexpr Def Meter(std::string_view control, std::string_view caption) {
    return {control, caption, K::Meter, 0, 12, 6, D::EqGain};
}
constexpr Def KeyList(std::string_view control, std::string_view caption) {
    return {control, caption, K::ListBox, 0, 127, 0, D::KeyName};
}

// ---- Mix and analog --------------------------------------------------------------

constexpr std::string_view kPbyDry[] = {"Input", "Post CMP"};
constexpr std::string_view kCmpSlope[] = {"1:1",  "2:1",   "3:1",   "4:1",
                                          "10:1", "LIMIT", "RVRS1", "RVRS2"};
constexpr std::string_view kCmpAttack[] = {"2 ms",  "3 ms",  "4 ms", "7 ms",
                                           "14 ms", "30 ms", "50 ms"};
constexpr std::string_view kCmpRelease[] = {"200 ms", "300 ms", "350 ms", "500 ms",
                                            "750 ms", "1 sec",  "2 sec"};
constexpr std::string_view kExpRatio[] = {"OFF",   "1:1.5", "1:1.8", "1:2",
                                          "1:2.5", "1:3",   "1:4",   "1:5"};
constexpr std::string_view kDstType[] = {
    "OFF",         "Turbo Tubes", "Psycho Tubes", "Overdrive Tube", "Jazz Tubes",
    "Solid Super", "Solid Warm",  "Tube Clean",   "Tube Stack"};
constexpr std::string_view kEnvType[] = {"Ultra",     "Super",       "Medium",     "Narrow",
                                         "FB7 Sweep", "Reverse Low", "Reverse Hi", "OFF"};
constexpr std::string_view kEnvAttack[] = {"360 ms", "180 ms", "120 ms", "80 ms",
                                           "50 ms",  "40 ms",  "30 ms"};
constexpr std::string_view kAesType[] = {
    "OFF",           "Dead Room",   "Heavy Carpet", "Wood/Rug Mix", "Drape/Carpet",
    "Wood + Tile",   "Pews/People", "Wood Baffles", "Lt Floor Rug", "Ceiling Drape",
    "Stone Ceiling", "Wall Drapes", "Natural Wood", "Open Ambience"};
constexpr std::string_view kDgcOutput[] = {"Hi/Lo Split", "High To DigFX", "Low To AnFX", "Bypass"};
constexpr std::string_view kDgcTuning[] = {"110 hz", "160 hz", "230 hx", "350 hz",
                                           "560 hz", "1K hz",  "2K hz"};

constexpr Def kMix[] = {
    Slider("trbMIXdry", "Dry:", 0, 31, 31, D::PercentOf31),
    Slider("trbMIXdigital", "Digital :", 0, 31, 31, D::PercentOf31),
    Slider("trbMIXanalog", "Analog:", 0, 31, 31, D::PercentOf31),
};

constexpr Def kPatchBay[] = {
    Radio("ragPBYdrysource", "Dry", kPbyDry, 0, 0),
    Box("chkPBYloop1", "Loop 1 IN", 1),
    Box("chkPBYloop2", "Loop 2 IN", 1),
};
constexpr Def kCompressor[] = {
    Slider("trbCMPdrive", "Drive:", 0, 31, 24, D::PercentOf31),
    Radio("ragCMPslope", "Slope", kCmpSlope, 0, 3),
    Radio("ragCMPattack", "Attack", kCmpAttack, 0, 1),
    Radio("ragCMPrelease", "Release", kCmpRelease, 0, 3),
    Slider("trbCMPoutput", "Output:", 0, 50, 47, D::OutputPercent),
};
constexpr Def kExpander[] = {
    Slider("trbEXPrange", "Range:", 0, 31, 23, D::PercentOf31),
    Radio("ragEXPratio", "Ratio", kExpRatio, 0, 5),
};
constexpr Def kDistortion[] = {
    Radio("ragDSTtype", "Type", kDstType, 0, 1),
    Slider("trbDSTdrive", "Drive:", 0, 31, 15, D::PercentOf31),
    Slider("trbDSTbite", "Bite:", 0, 31, 15, D::PercentOf31),
    Slider("trbDSToutput", "Output:", 0, 31, 31, D::PercentOf31),
};
constexpr Def kExciter[] = {
    Slider("trbEXCrange", "Range:", 0, 31, 10, D::PercentOf31),
};
constexpr Def kEnvelope[] = {
    Radio("ragENVtype", "Type", kEnvType, 0, 0),
    Slider("trbENVthreshold", "Threshold:", 0, 31, 28, D::PercentOf31),
    Radio("ragENVattack", "Attack", kEnvAttack, 0, 5),
    Slider("trbENVtuning", "Tuning:", 0, 63, 35, D::EnvTuning),
};
constexpr Def kNoiseGate[] = {
    Slider("trbNGTrange", "Range:", 0, 31, 15, D::PercentOf31),
};
constexpr Def kEqualizer[] = {
    Meter("lcdEQU40Hz", "40hz"),   Meter("lcdEQU100Hz", "100hz"),   Meter("lcdEQU250Hz", "250hz"),
    Meter("lcdEQU640Hz", "640hz"), Meter("lcdEQU1600Hz", "1.6Khz"), Meter("lcdEQU4KHz", "4Khz"),
    Meter("lcdEQU10KHz", "10Khz"),
};
constexpr Def kAes[] = {
    Radio("ragAEStype", "Type", kAesType, 0, 0),
};
constexpr Def kContour[] = {
    Radio("ragDGCoutput", "Output", kDgcOutput, 0, 3),
    Radio("ragDGCtuning", "Tuning", kDgcTuning, 0, 3),
};
constexpr Def kProgLevel[] = {
    Slider("trbLVLmaster", "Master:", 0, 48, 45, D::Level),
};

struct AnalogDef {
    TAnalogEffectInfo Info;
    std::span<const Def> Params;
};

constexpr AnalogDef kAnalog[] = {
    {{"Patch Bay", "Patch Bay", "Patch Bay parameters", "tsPatchBay"}, kPatchBay},
    {{"Compressor", "Compressor", "Compressor parameters", "tsCompressor"}, kCompressor},
    {{"Expander", "Expander", "Expander parameters", "tsExpander"}, kExpander},
    {{"Distortion", "Distortion", "Distortion parameters", "tsDistortion"}, kDistortion},
    {{"Exciter", "Exciter", "Exciter range", "tsExciter"}, kExciter},
    {{"Envelope Filter", "Envelope Filter", "Envelope Filter parameters", "tsEnvelopeFilter"},
     kEnvelope},
    {{"Noise Gate", "NoiseGate", "NoiseGate range", "tsNoiseGate"}, kNoiseGate},
    {{"Equalizer", "Equalizer", "Equalizer settings", "tsEqualizer"}, kEqualizer},
    {{"A.E.S.", "AES", "Acoustic Environment Simulator", "tsAES"}, kAes},
    {{"Digital Contour", "Dig Contour", "Digital Contour", "tsDigContour"}, kContour},
    {{"Prog. Level", "Prog Level", "Programmable Level", "tsProgLevel"}, kProgLevel},
};

// ---- Digital ----------------------------------------------------------------------

constexpr std::string_view kFlaType[] = {"OFF",         "Post Reverb",  "Post, Inv L",
                                         "Post, Inv R", "Pos, Inv L+R", "Pre-Reverb",
                                         "Pre, Inv L",  "Pre, Inv R",   "Pre, Inv L+R"};
constexpr std::string_view kChoType[] = {"OFF", "Post", "Pre"};
constexpr std::string_view kPtrType[] = {"OFF", "Quick", "Normal", "Smooth"};
constexpr std::string_view kRev1Type[] = {"Hall-1", "Room-1", "Plate-1", "Vocal-1", "OFF"};
constexpr std::string_view kRev2Type[] = {"Hall-2", "Room-2",  "Plate-2", "Vocal-2", "Hall-1",
                                          "Room-1", "Plate-1", "Vocal-1", "OFF"};
constexpr std::string_view kRev3Type[] = {"Hall-3",  "Room-3",  "Plate-3", "Vocal-3", "Hall-2",
                                          "Room-2",  "Plate-2", "Vocal-2", "Hall-1",  "Room-1",
                                          "Plate-1", "Vocal-1", "OFF"};
constexpr std::string_view kSource[] = {"Pre DDL", "Post DDL"};
constexpr std::string_view kGatType[] = {"Slope", "Flat", "Reverse A", "Reverse B", "OFF"};
constexpr std::string_view kTapType[] = {
    "Flat-1m", "Flat-1s", "Reverse-1m", "Reverse-1s", "Slope-1m", "Slope-1s",
    "Flat-2m", "Flat-2s", "Reverse-2m", "Reverse-2s", "Slope-2m", "Slope-2s",
    "Flat-3m", "Flat-3s", "Reverse-3m", "Reverse-3s", "Slope-3m", "Slope-3s"};
constexpr std::string_view kSmpState[] = {"Record ready"};
constexpr std::string_view kSmpRecord[] = {"Auto", "Manual", "MIDI"};
constexpr std::string_view kSmpPlay[] = {"Single", "Punch in", "MIDI", "Repeat", "Audio"};
constexpr std::string_view kTnrType[] = {"Bass", "Guitar", "Bass 12F", "Guitar 12F"};
constexpr std::string_view kTnrReference[] = {"OFF",   "E 164", "A 220", "D 284", "G 392",
                                              "B 494", "E 659", "A 440", "Auto"};
constexpr std::string_view kPsrType[] = {"Off", "Post", "Pre"};
constexpr std::string_view kRegenFeed[] = {"Pre", "Post"};

constexpr Def kLowPass[] = {
    Slider("trbLPFfrequency", "HF Cut =", 0, 30, 30, D::Cutoff),
};
constexpr Def kFlanger[] = {
    Radio("ragFLAtype", "Type", kFlaType, 3, 4),
    Slider("trbFLAwidth", "Width:", 0, 31, 22, D::PercentOf31),
    Slider("trbFLAspeed", "Speed:", 0, 84, 20, D::Rate),
    Slider("trbFLAregen", "Regen:", 0, 63, 48, D::PercentOf63),
    Slider("trbFLAlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kChorus[] = {
    Radio("ragCHOtype", "Type", kChoType, 0, 1),
    Slider("trbCHOwidth", "Width:", 0, 31, 10, D::PercentOf31),
    Slider("trbCHOspeed", "Speed:", 0, 84, 20, D::Rate),
    Slider("trbCHOdelay", "Delay:", 0, 47, 30, D::Millisecond),
    Slider("trbCHOlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kPitchTrans[] = {
    Radio("ragPTRtype", "Type", kPtrType, 0, 3),
    Slider("trbPTRpitch", "Pitch:", 0, 24, 12, D::Semitone),
    Slider("trbPTRfine", "Fine:", 0, 127, 63, D::FineTune),
    KeyList("lstPTRbase_key", "Base Key:"),
    Slider("trbPTRregen", "Regen:", 0, 63, 0, D::PercentOf63),
    Slider("trbPTRlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kPanner[] = {
    Slider("trbPANmod", "Mod%:", 0, 31, 31, D::PercentOf31),
    Slider("trbPANspeed", "Speed:", 0, 84, 40, D::Rate),
};
constexpr Def kTremolo[] = {
    Slider("trbTRMmod", "Mod%:", 0, 31, 31, D::PercentOf31),
    Slider("trbTRMspeed", "Speed:", 0, 84, 40, D::Rate),
};
constexpr Def kMidiPan[] = {
    {"trbMPNpos", "Position:", K::ReversedSlider, 0, 127, 64, D::Integer},
};
constexpr Def kReverb1[] = {
    Radio("ragREVtype", "Type", kRev1Type, 9, 9),
    Radio("ragREVsource", "Source", kSource, 0, 0),
    Slider("trbREVdecay", "Decay:", 0, 47, 17, D::Decay),
    Slider("trbREVdamping", "Damping:", 0, 7, 2, D::Damping),
    Slider("trbREVposition", "Position:", 0, 6, 5, D::PositionName),
    Slider("trbREVlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kReverb2[] = {
    Radio("ragREVtype", "Type", kRev2Type, 5, 5),
    Radio("ragREVsource", "Source", kSource, 0, 0),
    Slider("trbREVdecay", "Decay:", 0, 47, 17, D::Decay),
    Slider("trbREVdamping", "Damping:", 0, 7, 2, D::Damping),
    Slider("trbREVposition", "Position:", 0, 6, 5, D::PositionName),
    Slider("trbREVlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kReverb3[] = {
    Radio("ragREVtype", "Type", kRev3Type, 1, 1),
    Radio("ragREVsource", "Source", kSource, 0, 0),
    Slider("trbREVdecay", "Decay:", 0, 47, 17, D::Decay),
    Slider("trbREVdamping", "Damping:", 0, 7, 2, D::Damping),
    Slider("trbREVposition", "Position:", 0, 6, 4, D::PositionName),
    Slider("trbREVdiffusion", "Diffusion:", 0, 3, 3, D::Diffusion),
    Slider("trbREVlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kGateVerb1[] = {
    Radio("ragGATtype", "Type", kGatType, 0, 0),
    Radio("ragGATsource", "Source", kSource, 0, 0),
    Slider("trbGATdecay", "Decay:", 0, 4, 4, D::GateDecay),
    Slider("trbGATdiffusion", "Diffusion:", 1, 3, 3, D::Diffusion),
    Slider("trbGATlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kGateVerb23[] = {
    Radio("ragGATtype", "Type", kGatType, 0, 0),
    Radio("ragGATsource", "Source", kSource, 0, 0),
    Slider("trbGATdecay", "Decay:", 0, 7, 7, D::GateDecay),
    Slider("trbGATdiffusion", "Diffusion:", 1, 3, 3, D::Diffusion),
    Slider("trbGATlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kTappedS[] = {
    Radio("ragTAPtype", "Type", kTapType, 0, 0),
    Slider("trbTAPtaps", "Taps:", 0, 7, 2, D::Integer),
    Slider("trbTAPdelay", "Delay:", 0, 118, 20, D::Delay),
    Slider("trbTAPfine", "Fine:", 1, 50, 0, D::Millisecond),
    Slider("trbTAPregen", "Regen:", 0, 63, 48, D::PercentOf63),
    Slider("trbTAPlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kTappedL[] = {
    Radio("ragTAPtype", "Type", kTapType, 0, 0),
    Slider("trbTAPtaps", "Taps:", 0, 7, 2, D::Integer),
    Slider("trbTAPdelay", "Delay:", 0, 122, 48, D::Delay),
    Slider("trbTAPfine", "Fine:", 1, 50, 0, D::Millisecond),
    Slider("trbTAPregen", "Regen:", 0, 63, 48, D::PercentOf63),
    Slider("trbTAPlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kRegenS[] = {
    Slider("trbREGdelay", "Delay:", 0, 118, 20, D::Delay),
    Slider("trbREGfine", "Fine:", 1, 50, 0, D::Millisecond),
    Slider("trbREGregen", "Regen:", 0, 63, 48, D::PercentOf63),
    Slider("trbREGlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kRegenL[] = {
    Slider("trbREGdelay", "Delay:", 0, 122, 40, D::Delay),
    Slider("trbREGfine", "Fine:", 1, 50, 0, D::Millisecond),
    Slider("trbREGregen", "Regen:", 0, 63, 31, D::PercentOf63),
    Slider("trbREGlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kStereoS[] = {
    Slider("trbSDDleft_delay_lgth", "Left Delay:", 0, 122, 16, D::Delay),
    Slider("trbSDDleft_delay_fine", "Fine:", 0, 50, 0, D::Millisecond),
    Slider("trbSDDright_delay_lgth", "Right Delay:", 0, 122, 22, D::Delay),
    Slider("trbSDDright_delay_fine", "Fine:", 0, 50, 0, D::Millisecond),
    Slider("trbSDDregen", "Regen:", 0, 63, 48, D::PercentOf63),
    Slider("trbSDDdamping", "Damping:", 0, 31, 0, D::PercentOf31),
    Slider("trbSDDlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kStereoL[] = {
    Slider("trbSDDleft_delay_lgth", "Left Delay:", 0, 126, 50, D::Delay),
    Slider("trbSDDleft_delay_fine", "Fine:", 0, 50, 0, D::Millisecond),
    Slider("trbSDDright_delay_lgth", "Right Delay:", 0, 126, 25, D::Delay),
    Slider("trbSDDright_delay_fine", "Fine:", 0, 50, 0, D::Millisecond),
    Slider("trbSDDregen", "Regen:", 0, 63, 28, D::PercentOf63),
    Slider("trbSDDdamping", "Damping:", 0, 31, 0, D::PercentOf31),
    Slider("trbSDDlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kSamplerS[] = {
    Radio("ragSMPstate", "State", kSmpState, 0, 0),
    Radio("ragSMPrecord", "Record", kSmpRecord, 0, 0),
    Radio("ragSMPplay", "Play", kSmpPlay, 0, 0),
    Slider("trbSMPlength", "Length:", 1, 104, 104, D::SampleLength),
    Slider("trbSMPstart", "Start:", 0, 100, 5, D::Millisecond),
    Slider("trbSMPlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kSamplerL[] = {
    Radio("ragSMPstate", "State", kSmpState, 0, 0),
    Radio("ragSMPrecord", "Record", kSmpRecord, 0, 0),
    Radio("ragSMPplay", "Play", kSmpPlay, 0, 0),
    Slider("trbSMPlength", "Length:", 1, 127, 127, D::SampleLength),
    Slider("trbSMPstart", "Start:", 0, 100, 5, D::Millisecond),
    Slider("trbSMPlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kSamplerPtr[] = {
    Radio("ragSPTstate", "State", kSmpState, 0, 0),
    Radio("ragSPTrecord", "Record", kSmpRecord, 0, 0),
    Radio("ragSPTplay", "Play", kSmpPlay, 0, 0),
    Slider("trbSPTlength", "Length:", 1, 100, 100, D::SampleLength),
    Slider("trbSPTstart", "Start:", 0, 100, 5, D::Millisecond),
    Slider("trbSPTpitch", "Pitch:", 0, 24, 12, D::Semitone),
    Slider("trbSPTfine", "Fine:", 0, 127, 63, D::FineTune),
    KeyList("lstSPTbase_key", "Base Key:"),
    Slider("trbSPTlevel", "Level:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kTuner[] = {
    Radio("ragTNRtype", "Type", kTnrType, 0, 1),
    Radio("ragTNRreference", "Reference", kTnrReference, 0, 0),
    Slider("trbTNRdetune", "Detune:", 0, 100, 50, D::Detune),
    Slider("trbTNRlevel", "Level:", 0, 63, 0, D::PercentOf63),
};
constexpr Def kPhaser[] = {
    Radio("ragPSRtype", "Type", kPsrType, 0, 1),
    Slider("trbPSRwidth", "Width:", 0, 31, 20, D::PercentOf31),
    Slider("trbPSRspeed", "Speed:", 0, 84, 20, D::Rate),
    Slider("trbPSRregen", "Regen:", 0, 63, 31, D::PercentOf63),
    Slider("trbPSRdepth", "Depth:", 0, 63, 63, D::PercentOf63),
};
constexpr Def kDualPtr[] = {
    Radio("rag2PTtype", "Type", kPtrType, 0, 3),
    Slider("trb2PTpitch_1", "Pitch 1:", 0, 24, 12, D::Semitone),
    Slider("trb2PTfine_1", "Fine:", 0, 127, 63, D::FineTune),
    Slider("trb2PTpitch_2", "Pitch 2:", 0, 24, 12, D::Semitone),
    Slider("trb2PTfine_2", "Fine:", 0, 127, 63, D::FineTune),
    Radio("rag2PTregen_feed", "Regen Feed", kRegenFeed, 0, 0),
    Slider("trb2PTlevel", "Level:", 0, 63, 63, D::PercentOf63),
    Slider("trb2PTpan_pos_1", "Pan position 1:", 0, 63, 31, D::Integer),
    Slider("trb2PTpan_pos_2", "Pan position 2:", 0, 63, 31, D::Integer),
};

struct DigitalDef {
    std::string_view Name;
    int Page;
    std::span<const Def> Params;
};

constexpr DigitalDef kDigital[] = {
    {"Low Pass", 0, kLowPass},       {"Flanger", 1, kFlanger},
    {"Chorus", 2, kChorus},          {"Pitch-Trans", 3, kPitchTrans},
    {"Panner", 4, kPanner},          {"Tremolo", 5, kTremolo},
    {"MIDI-Pan", 6, kMidiPan},       {"Reverb 1", 7, kReverb1},
    {"Reverb 2", 7, kReverb2},       {"Reverb 3", 7, kReverb3},
    {"Gate Verb 1", 8, kGateVerb1},  {"Gate Verb 2", 8, kGateVerb23},
    {"Gate Verb 3", 8, kGateVerb23}, {"Tapped DDL S", 9, kTappedS},
    {"Tapped DDL L", 9, kTappedL},   {"Regen DDL S", 10, kRegenS},
    {"Regen DDL L", 10, kRegenL},    {"Stereo DDL S", 11, kStereoS},
    {"Stereo DDL L", 11, kStereoL},  {"Sampler S", 12, kSamplerS},
    {"Sampler L", 12, kSamplerL},    {"Sampler+PTr", 13, kSamplerPtr},
    {"Tuner", 14, kTuner},           {"Phaser", 15, kPhaser},
    {"Dual PTr", 16, kDualPtr},
};

constexpr TDigitalPageInfo kDigitalPages[] = {
    {"Low Pass", "tsLowPass"},       {"Flanger", "tsFlanger"},        {"Chorus", "tsChorus"},
    {"Pitch Trans", "tsPitchTrans"}, {"Panner", "tsPanner"},          {"Tremolo", "tsTremolo"},
    {"MIDI Pan", "tsMIDIPan"},       {"Reverb", "tsReverb"},          {"Gate Verb", "tsGateVerb"},
    {"Tapped DDL", "tsTappedDDL"},   {"Regen DDL", "tsRegenDDL"},     {"Stereo DDL", "tsStereoDDL"},
    {"Sampler", "tsSampler"},        {"Sampler+PTr", "tsSamplerPTr"}, {"Tuner", "tsTuner"},
    {"Phaser", "tsPhaser"},          {"Dual PTr", "tsDualPTr"},
};

static_assert(std::size(kAnalog) == Catalogue::AnalogEffectCount);
static_assert(std::size(kDigital) == Catalogue::DigitalEffectCount);
static_assert(std::size(kDigitalPages) == Catalogue::DigitalPageCount);

TParamInfo FromDef(const Def& d) {
    TParamInfo p;
    p.ControlName = d.Control;
    p.Caption = d.Caption;
    p.Control = d.Kind;
    p.Min = d.Min;
    p.Max = d.Max;
    p.Default = d.Default;
    p.Addend = d.Addend;
    p.Choices = d.ChoiceTexts;
    p.Display = d.Display;
    return p;
}

// The tables above flattened once into catalogue-number order, with the indexes the
// lookups need.
struct Tables {
    std::vector<TParamInfo> Params;
    std::vector<TAnalogEffectInfo> Analog;
    std::vector<TDigitalEffectInfo> Digital;
    std::array<std::vector<int>, Catalogue::DigitalPageCount> PageEffects;

    Tables() {
        Params.reserve(Catalogue::ParamCount);
        for (std::size_t i = 0; i < std::size(kMix); ++i) {
            TParamInfo p = FromDef(kMix[i]);
            p.Section = TParamSection::Mix;
            p.IndexInEffect = static_cast<int>(i);
            p.Slot = static_cast<int>(i);
            Add(p);
        }
        for (std::size_t a = 0; a < std::size(kAnalog); ++a) {
            TAnalogEffectInfo info = kAnalog[a].Info;
            info.FirstSlot = static_cast<int>(Params.size());
            info.ParamCount = static_cast<int>(kAnalog[a].Params.size());
            Analog.push_back(info);
            for (std::size_t i = 0; i < kAnalog[a].Params.size(); ++i) {
                TParamInfo p = FromDef(kAnalog[a].Params[i]);
                p.Section = TParamSection::Analog;
                p.Effect = static_cast<int>(a);
                p.IndexInEffect = static_cast<int>(i);
                p.Slot = static_cast<int>(Params.size());
                p.Page = static_cast<int>(a);
                Add(p);
            }
        }
        for (std::size_t e = 0; e < std::size(kDigital); ++e) {
            const DigitalDef& def = kDigital[e];
            Digital.push_back({def.Name, static_cast<int>(def.Params.size()), def.Page,
                               static_cast<int>(Params.size()) + 1});
            PageEffects[static_cast<std::size_t>(def.Page)].push_back(static_cast<int>(e));
            for (std::size_t i = 0; i < def.Params.size(); ++i) {
                TParamInfo p = FromDef(def.Params[i]);
                p.Section = TParamSection::Digital;
                p.Effect = static_cast<int>(e);
                p.IndexInEffect = static_cast<int>(i);
                p.Page = def.Page;
                Add(p);
            }
        }
        if (Params.size() != Catalogue::ParamCount)
            throw std::logic_error("Parameter catalogue does not hold 163 parameters");
    }

    void Add(TParamInfo p) {
        p.Number = static_cast<int>(Params.size()) + 1;
        Params.push_back(p);
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

} // namespace

namespace Catalogue {

std::span<const TParamInfo> AllParams() {
    return T().Params;
}

std::span<const TParamInfo> MixParams() {
    return AllParams().subspan(0, MixCount);
}

std::span<const TParamInfo> AnalogParams() {
    return AllParams().subspan(MixCount, AnalogParamCount);
}

std::span<const TParamInfo> AnalogEffectParams(int analogEffect) {
    const auto& info = T().Analog.at(static_cast<std::size_t>(analogEffect));
    return AllParams().subspan(static_cast<std::size_t>(info.FirstSlot),
                               static_cast<std::size_t>(info.ParamCount));
}

std::span<const TParamInfo> DigitalEffectParams(int digitalEffect) {
    const auto& info = T().Digital.at(static_cast<std::size_t>(digitalEffect));
    return AllParams().subspan(static_cast<std::size_t>(info.FirstNumber - 1),
                               static_cast<std::size_t>(info.ParamCount));
}

std::span<const TAnalogEffectInfo> AnalogEffects() {
    return T().Analog;
}

std::span<const TDigitalEffectInfo> DigitalEffects() {
    return T().Digital;
}

std::span<const TDigitalPageInfo> DigitalPages() {
    return kDigitalPages;
}

const TParamInfo* FindByNumber(int number) {
    if (number < 1 || number > ParamCount)
        return nullptr;
    return &T().Params[static_cast<std::size_t>(number - 1)];
}

const TParamInfo* FindByControl(std::string_view controlName, int digitalEffect) {
    for (const auto& p : T().Params)
        if (p.ControlName == controlName &&
            (digitalEffect < 0 ||
             (p.Section == TParamSection::Digital && p.Effect == digitalEffect)))
            return &p;
    return nullptr;
}

const TParamInfo* FindBySlot(int slot) {
    if (slot < 0 || slot >= MixCount + AnalogParamCount)
        return nullptr;
    return &T().Params[static_cast<std::size_t>(slot)];
}

int DigitalParamNumber(int digitalEffect, int p) {
    return T().Digital.at(static_cast<std::size_t>(digitalEffect)).FirstNumber + p - 1;
}

std::span<const int> EffectsOnPage(int page) {
    return T().PageEffects.at(static_cast<std::size_t>(page));
}

void ResetAnalogEffect(TPreset& preset, int analogEffect) {
    for (const auto& p : AnalogEffectParams(analogEffect))
        preset.Params[static_cast<std::size_t>(p.Slot)] = p.Default;
}

} // namespace Catalogue
