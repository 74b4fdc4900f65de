// The RtMidi backend as the program loads it: the built module, and the
// reasons given when a file is missing or is no backend module.
#include "midi/platform_module.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace mm;

TEST(PlatformModule, TheBuiltRtMidiModuleGivesABackendThatAnswers) {
    std::string error;
    auto platform = LoadMidiPlatformModule(HRZ_MIDI_MODULE_PATH, error);
    ASSERT_NE(platform, nullptr) << error;
    EXPECT_EQ(error, "");
    const std::uint32_t inputs = platform->midiInGetNumDevs();
    MIDIINCAPS caps{};
    EXPECT_EQ(platform->midiInGetDevCaps(inputs, caps), MMSYSERR_BADDEVICEID);
    char text[256] = "";
    EXPECT_EQ(platform->midiInGetErrorText(MMSYSERR_BADDEVICEID, text, sizeof text),
              MMSYSERR_NOERROR);
    EXPECT_STRNE(text, "");
    // A second load is the same module, with a backend of its own.
    auto second = LoadMidiPlatformModule(HRZ_MIDI_MODULE_PATH, error);
    ASSERT_NE(second, nullptr) << error;
    EXPECT_NE(second.get(), platform.get());
}

TEST(PlatformModule, AMissingFileOrAForeignLibraryIsRefusedWithTheReason) {
    std::string error;
    EXPECT_EQ(LoadMidiPlatformModule("/no/such/folder/module.so", error), nullptr);
    EXPECT_EQ(error.rfind("cannot load /no/such/folder/module.so: ", 0), 0u) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    error.clear();
    EXPECT_EQ(LoadMidiPlatformModule("libm.so.6", error), nullptr);
    EXPECT_EQ(error, "libm.so.6 is not a MIDI backend module");

    // A backend that does not start: its own reason, or a plain one without it.
    const std::string failing = HRZ_FAILING_MODULE_PATH;
    setenv("HRZ_FAILING_MODULE_TEXT", "no MIDI system here", 1);
    EXPECT_EQ(LoadMidiPlatformModule(failing, error), nullptr);
    EXPECT_EQ(error, failing + ": no MIDI system here");
    unsetenv("HRZ_FAILING_MODULE_TEXT");
    EXPECT_EQ(LoadMidiPlatformModule(failing, error), nullptr);
    EXPECT_EQ(error, failing + ": the backend did not start");
}
