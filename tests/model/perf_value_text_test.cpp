#include "model/perf_value_text.h"
#include "model/unit_names.h"

#include <gtest/gtest.h>

namespace {

std::string Text(const char* control, int min, int max, int value,
                 TPerfControlKind kind = TPerfControlKind::Slider,
                 const std::vector<std::string>* items = nullptr) {
    return PerfValueText({kind, control, min, max, items}, value);
}

} // namespace

TEST(PerfValueText, NamesComeFromTheControlName) {
    EXPECT_EQ(PerfTag("trbPTRfine"), "PTR");
    EXPECT_EQ(PerfParamName("trb2PTpan_pos_1"), "pan pos 1");
    EXPECT_EQ(PerfParamName("trbSDDleft_delay_fine"), "left delay fine");
}

TEST(PerfValueText, EachRuleInItsOrderOfPrecedence) {
    const std::vector<std::string> types{"Hall-1", "Room-1", "Plate-1", "Vocal-1", "OFF"};
    const std::vector<std::string> keys{"OFF", "C#-", "D -"};
    // 1: choices, offset by the bar's minimum (the addend).
    EXPECT_EQ(Text("ragREVtype", 9, 13, 10, TPerfControlKind::RadioGroup, &types), "Room-1");
    EXPECT_EQ(Text("lstPTRbase_key", 0, 2, 2, TPerfControlKind::ListBox, &keys), "D -");
    EXPECT_EQ(Text("lstPTRbase_key", 0, 2, 3, TPerfControlKind::ListBox, &keys), "3");
    EXPECT_EQ(Text("ragREVtype", 9, 13, 8, TPerfControlKind::RadioGroup, &types), "8");
    // 2, 3: boxes and the equalizer bars.
    EXPECT_EQ(Text("chkPBYloop1", 0, 1, 1, TPerfControlKind::CheckBox), "on");
    EXPECT_EQ(Text("chkPBYloop1", 0, 1, 0, TPerfControlKind::CheckBox), "off");
    EXPECT_EQ(Text("scrEQU40Hz", 0, 12, 12, TPerfControlKind::ScrollBar), "+15 db");
    // 4: fine tune for the transposers, milliseconds for the delays (before "delay").
    EXPECT_EQ(Text("trb2PTfine_1", 0, 127, 0), "-4.00");
    EXPECT_EQ(Text("trbSDDleft_delay_fine", 0, 50, 7), "7 ms");
    // 5: the chorus delay is milliseconds, the others the delay scale.
    EXPECT_EQ(Text("trbCHOdelay", 0, 47, 30), "30 ms");
    EXPECT_EQ(Text("trbSDDright_delay_lgth", 0, 126, 120), "1.00 s");
    // 6, 7: speed and pitch.
    EXPECT_EQ(Text("trbFLAspeed", 0, 84, 31), "1.28Hz");
    EXPECT_EQ(Text("trbSPTpitch", 0, 24, 10), "-2");
    // 8, 9: by the bar's maximum.
    EXPECT_EQ(Text("trbMIXdry", 0, 31, 31), "100%");
    EXPECT_EQ(Text("trbENVtuning", 0, 63, 63), "3200 Hz");
    EXPECT_EQ(Text("trb2PTpan_pos_2", 0, 63, 40), "40");
    EXPECT_EQ(Text("trbFLAregen", 0, 63, 63), "100%");
    // 10..13.
    EXPECT_EQ(Text("trbLVLmaster", 0, 48, 45), "93%");
    EXPECT_EQ(Text("trbGATdiffusion", 1, 3, 3), "100%");
    EXPECT_EQ(Text("trbCMPoutput", 0, 50, 47), "94%");
    EXPECT_EQ(Text("trbREVdecay", 0, 47, 17), "2.4s");
    EXPECT_EQ(Text("trbGATdecay", 0, 7, 7), "0.40s");
    // 14: sample lengths; other lengths have no kind of their own.
    EXPECT_EQ(Text("trbSMPlength", 1, 127, 100), "1.25s");
    // 15..17.
    EXPECT_EQ(Text("trbLPFfrequency", 0, 30, 30), "THRU");
    EXPECT_EQ(Text("trbTNRdetune", 0, 100, 0), "-2.00");
    EXPECT_EQ(Text("trbREVdamping", 0, 7, 4), "29%");
    EXPECT_EQ(Text("trbREVposition", 0, 6, 6), "Rear");
    // No kind: the plain value, or the reversed MIDI pan's value.
    EXPECT_EQ(Text("trbTAPtaps", 0, 7, 5), "5");
    EXPECT_EQ(Text("trbSMPstart", 0, 100, 5), "5");
    EXPECT_EQ(Text("trbMPNpos", 0, 127, 27), "100");
}

TEST(UnitNames, ControllerNamesAndFB7CaptionsByRow) {
    EXPECT_EQ(UnitNames::BuiltInControllerName(4), "Foot controller");
    EXPECT_EQ(UnitNames::BuiltInControllerName(128), "OFF");
    EXPECT_EQ(UnitNames::BuiltInControllerName(3), "");
    EXPECT_EQ(UnitNames::FB7Caption(0), "Exciter");
    EXPECT_EQ(UnitNames::FB7Caption(9), "Special Effects");
    EXPECT_EQ(UnitNames::FB7Caption(10), "");
    EXPECT_EQ(UnitNames::FB7Caption(-1), "");
}
