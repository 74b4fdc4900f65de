#include "model/catalogue.h"
#include "model/value_text.h"

#include <gtest/gtest.h>

TEST(ValueText, PercentKinds) {
    EXPECT_EQ(PercentOf31(0), "0%");
    EXPECT_EQ(PercentOf31(1), "6%");
    EXPECT_EQ(PercentOf31(7), "25%");
    EXPECT_EQ(PercentOf31(8), "28%");
    EXPECT_EQ(PercentOf31(30), "96%");
    EXPECT_EQ(PercentOf31(31), "100%");
    EXPECT_EQ(PercentOf63(0), "0%");
    EXPECT_EQ(PercentOf63(1), "3%");
    EXPECT_EQ(PercentOf63(2), "4%");
    EXPECT_EQ(PercentOf63(62), "98%");
    EXPECT_EQ(PercentOf63(63), "100%");
    EXPECT_EQ(OutputPercentText(47), "94%");
    EXPECT_EQ(LevelText(45), "93%");
    EXPECT_EQ(LevelText(48), "100%");
    EXPECT_EQ(LevelText(-1), "-3%"); // below 0 on the same pattern: -12 + 11
    EXPECT_EQ(LevelText(-12), "-25%");
    EXPECT_EQ(DampingText(3), "21%");
    EXPECT_EQ(DampingText(4), "29%");
    EXPECT_EQ(DampingText(7), "50%");
    EXPECT_EQ(DiffusionText(3), "100%");
}

TEST(ValueText, FrequencyKinds) {
    EXPECT_EQ(EnvTuningText(0), "120 Hz");
    EXPECT_EQ(EnvTuningText(1), "126 Hz");
    EXPECT_EQ(EnvTuningText(35), "744 Hz");
    EXPECT_EQ(EnvTuningText(63), "3200 Hz");
    EXPECT_EQ(RateText(0), "0.04Hz");
    EXPECT_EQ(RateText(31), "1.28Hz");
    EXPECT_EQ(RateText(32), "1.36Hz");
    EXPECT_EQ(RateText(81), "23.00Hz");
    EXPECT_EQ(RateText(84), "27.30Hz");
    EXPECT_EQ(CutoffText(0), "630 Hz");
    EXPECT_EQ(CutoffText(3), "891 Hz");
    EXPECT_EQ(CutoffText(4), "1.00 KHz");
    EXPECT_EQ(CutoffText(5), "1.12 KHz");
    EXPECT_EQ(CutoffText(29), "17.80 KHz");
    EXPECT_EQ(CutoffText(30), "THRU");
}

TEST(ValueText, PitchKinds) {
    EXPECT_EQ(SemitoneText(0), "-12");
    EXPECT_EQ(SemitoneText(12), "0");
    EXPECT_EQ(SemitoneText(24), "+12");
    EXPECT_EQ(FineTuneText(0), "-4.00");
    EXPECT_EQ(FineTuneText(1), "-3.87");
    EXPECT_EQ(FineTuneText(59), "-0.25");
    EXPECT_EQ(FineTuneText(62), "-0.06");
    EXPECT_EQ(FineTuneText(63), "0.00");
    EXPECT_EQ(FineTuneText(64), "0.06");
    EXPECT_EQ(FineTuneText(67), "0.25");
    EXPECT_EQ(FineTuneText(127), "4.00");
    EXPECT_EQ(DetuneText(0), "-2.00");
    EXPECT_EQ(DetuneText(49), "-0.04");
    EXPECT_EQ(DetuneText(50), "0.00");
    EXPECT_EQ(DetuneText(100), "+2.00");
    EXPECT_EQ(KeyName(0), "OFF");
    EXPECT_EQ(KeyName(1), "C#-");
    EXPECT_EQ(KeyName(9), "A - ");
    EXPECT_EQ(KeyName(10), "A#-");
    EXPECT_EQ(KeyName(12), "C 0");
    EXPECT_EQ(KeyName(60), "C 4");
    EXPECT_EQ(KeyName(69), "A 4 ");
    EXPECT_EQ(KeyName(127), "G 9");
}

TEST(ValueText, TimeKinds) {
    EXPECT_EQ(DelayText(0), "0 ms");
    EXPECT_EQ(DelayText(70), "350 ms");
    EXPECT_EQ(DelayText(71), "360 ms");
    EXPECT_EQ(DelayText(105), "700 ms");
    EXPECT_EQ(DelayText(106), "720 ms");
    EXPECT_EQ(DelayText(119), "980 ms");
    EXPECT_EQ(DelayText(120), "1.00 s");
    EXPECT_EQ(DelayText(121), "1.05 s");
    EXPECT_EQ(DelayText(126), "1.30 s");
    EXPECT_EQ(MillisecondText(30), "30 ms");
    EXPECT_EQ(SampleLengthText(1), "0.01s");
    EXPECT_EQ(SampleLengthText(100), "1.25s");
    EXPECT_EQ(SampleLengthText(104), "1.30s");
    EXPECT_EQ(SampleLengthText(127), "1.58s");
    EXPECT_EQ(DecayText(10), "1.0s");
    EXPECT_EQ(DecayText(11), "1.2s");
    EXPECT_EQ(DecayText(17), "2.4s");
    EXPECT_EQ(DecayText(20), "3.0s");
    EXPECT_EQ(DecayText(21), "3.5s");
    EXPECT_EQ(DecayText(30), "8.0s");
    EXPECT_EQ(DecayText(31), "9.0s");
    EXPECT_EQ(DecayText(47), "25.0s");
    EXPECT_EQ(GateDecayText(0), "0.05s");
    EXPECT_EQ(GateDecayText(4), "0.25s");
    EXPECT_EQ(GateDecayText(7), "0.40s");
}

TEST(ValueText, TableKinds) {
    EXPECT_EQ(EqGainText(0), "-15 db");
    EXPECT_EQ(EqGainText(5), "-2 db");
    EXPECT_EQ(EqGainText(6), "0 db");
    EXPECT_EQ(EqGainText(7), "+2 db");
    EXPECT_EQ(EqGainText(12), "+15 db");
    EXPECT_EQ(PositionNameText(0), "Front");
    EXPECT_EQ(PositionNameText(3), "50%");
    EXPECT_EQ(PositionNameText(6), "Rear");
}

TEST(ValueText, ValuesNoControlProducesStayReadableAndSafe) {
    // Damaged dumps can hold anything up to 32767, and performance entries any int.
    for (int v : {-2147483647 - 1, -100, -1, 85, 127, 128, 255, 1000, 32767, 2147483647}) {
        for (const auto& p : Catalogue::AllParams())
            EXPECT_FALSE(ValueText(p, v).empty()) << p.ControlName << " " << v;
    }
    EXPECT_EQ(RateText(85), "85");
    EXPECT_EQ(RateText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(SampleLengthText(2147483647), "2147483647");
    EXPECT_EQ(CutoffText(31), "31");
    EXPECT_EQ(EqGainText(13), "13");
    EXPECT_EQ(PositionNameText(-1), "-1");
    EXPECT_EQ(KeyName(128), "128");
    // Long delays continue the one-second pattern instead of producing "1.100 s".
    EXPECT_EQ(DelayText(127), "1.35 s");
    EXPECT_EQ(DelayText(140), "2.00 s");
    // Each kind's range: the value at its edge is shown in its unit, the next one as a number.
    const auto edge = [](std::string (*text)(int), int inside, int outside) {
        EXPECT_NE(text(inside), std::to_string(inside)) << inside;
        EXPECT_EQ(text(outside), std::to_string(outside)) << outside;
    };
    for (auto text : {SampleLengthText, DecayText, GateDecayText, DampingText, DiffusionText}) {
        edge(text, 0, -1);
        edge(text, 100000, 100001);
    }
    edge(DetuneText, -100000, -100001);
    edge(DetuneText, 100000, 100001);
    edge(DelayText, 0, -1);
    edge(DelayText, 1000, 1001);
    edge(EnvTuningText, 0, -1);
    edge(EnvTuningText, 127, 128);
    edge(FineTuneText, 127, 128);
    edge(PositionNameText, 0, 7);
    EXPECT_EQ(GateDecayText(19), "1.00s");
    const auto* reverb3Type = Catalogue::FindByControl("ragREVtype", 9);
    ASSERT_NE(reverb3Type, nullptr);
    EXPECT_EQ(ValueText(*reverb3Type, 0), "0");
    EXPECT_EQ(ValueText(*reverb3Type, 14), "14");
}

TEST(ValueText, ParameterTextsFollowTheirControls) {
    const auto text = [](std::string_view control, int effect, int raw) {
        const auto* p = Catalogue::FindByControl(control, effect);
        return p ? ValueText(*p, raw) : std::string("<missing>");
    };
    EXPECT_EQ(text("ragREVtype", 9, 13), "OFF");
    EXPECT_EQ(text("ragREVtype", 7, 9), "Hall-1");
    EXPECT_EQ(text("ragREVtype", 8, 5), "Hall-2");
    EXPECT_EQ(text("ragFLAtype", 1, 3), "OFF");
    EXPECT_EQ(text("ragFLAtype", 1, 11), "Pre, Inv L+R");
    EXPECT_EQ(text("ragCMPslope", -1, 5), "LIMIT");
    EXPECT_EQ(text("chkPBYloop1", -1, 1), "on");
    EXPECT_EQ(text("chkPBYloop1", -1, 0), "off");
    EXPECT_EQ(text("trbCMPoutput", -1, 50), "100%");
    EXPECT_EQ(text("trbMPNpos", 6, 64), "64");
    EXPECT_EQ(text("lstSPTbase_key", 21, 60), "C 4");
    EXPECT_EQ(text("trbLVLmaster", -1, 45), "93%");
    EXPECT_EQ(text("lcdEQU4KHz", -1, 12), "+15 db");
}
