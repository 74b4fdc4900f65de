// The settings written to the real registry under HKEY_CURRENT_USER and read
// back, in the program's own key (the "/" inside its name kept).
#include "settings/win_registry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kKey = "\\SOFTWARE\\Lumivale/HRZ2000e test";

class WinRegistry : public ::testing::Test {
protected:
    void SetUp() override { registry.DeleteTree(kKey); }
    void TearDown() override {
        registry.CloseKey();
        registry.DeleteTree(kKey);
    }
    TWinRegistry registry;
};

} // namespace

TEST_F(WinRegistry, ValuesOfEveryKindComeBackAsWritten) {
    ASSERT_TRUE(registry.OpenKey(kKey, true));
    registry.WriteString("MIDI_IN", "HRZ2000 Express");
    registry.WriteString("MPT_HINT_DIR", "C:\\Users\\Z\xc3\xbc"
                                         "rich\\Pr\xc3\xa9sets \xd0\x9f");
    registry.WriteString("EMPTY", "");
    registry.WriteInteger("HRZReqDelay", 1500);
    registry.WriteInteger("frmMain.Left", -12);
    registry.WriteBool("PRE_EXPRESS", true);
    registry.CloseKey();

    TWinRegistry again;
    ASSERT_TRUE(again.OpenKey(kKey, false));
    EXPECT_EQ(again.ReadString("MIDI_IN"), "HRZ2000 Express");
    EXPECT_EQ(again.ReadString("MPT_HINT_DIR"), "C:\\Users\\Z\xc3\xbc"
                                                "rich\\Pr\xc3\xa9sets \xd0\x9f");
    EXPECT_EQ(again.ReadString("EMPTY"), "");
    EXPECT_EQ(again.ReadInteger("HRZReqDelay"), 1500);
    EXPECT_EQ(again.ReadInteger("frmMain.Left"), -12);
    EXPECT_TRUE(again.ReadBool("PRE_EXPRESS"));
    EXPECT_TRUE(again.ValueExists("EMPTY"));
    EXPECT_FALSE(again.ValueExists("LPW"));
}

TEST_F(WinRegistry, TheSlashIsPartOfTheKeyNameNotASeparator) {
    ASSERT_TRUE(registry.OpenKey(kKey + "\\Folders", true));
    registry.WriteString("1", "C:\\HRZ");
    registry.CloseKey();
    EXPECT_FALSE(registry.OpenKey("\\SOFTWARE\\Lumivale", false));
    ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Lumivale/HRZ2000e test\\Folders", false));
    EXPECT_EQ(registry.ReadString("1"), "C:\\HRZ");
}

TEST_F(WinRegistry, MissingKeysAndValuesAndWrongTypes) {
    EXPECT_FALSE(registry.OpenKey(kKey, false));
    EXPECT_THROW(registry.ReadString("MIDI_IN"), ERegistryError); // no key open
    ASSERT_TRUE(registry.OpenKey(kKey, true));
    EXPECT_THROW(registry.ReadInteger("HRZReqDelay"), ERegistryError);
    registry.WriteString("LPW", "300");
    registry.WriteInteger("MIDI_OUT", 3);
    try {
        registry.ReadInteger("LPW");
        FAIL() << "a string read as an integer";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'LPW'.");
    }
    EXPECT_THROW(registry.ReadString("MIDI_OUT"), ERegistryError);
    registry.DeleteValue("LPW");
    registry.DeleteValue("LPW"); // gone already: not an error
    EXPECT_FALSE(registry.ValueExists("LPW"));
    EXPECT_TRUE(registry.ValueExists("MIDI_OUT"));
}
