// The winmm backend against the system's winmm (Wine's in CI, which has no
// MIDI devices there): what a machine without devices answers, the error
// texts, and the device names as the ports keep them.
#include "midi/winmm_platform.h"

#ifdef _WIN32

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace mm;

TEST(WinMMPlatform, DeviceIdsPastTheListAreRefusedAndOpenNothing) {
    TWinMMPlatform platform;
    const std::uint32_t inputs = platform.midiInGetNumDevs();
    const std::uint32_t outputs = platform.midiOutGetNumDevs();
    MIDIINCAPS in{};
    MIDIOUTCAPS out{};
    EXPECT_EQ(platform.midiInGetDevCaps(inputs, in), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(platform.midiOutGetDevCaps(static_cast<int>(outputs), out), MMSYSERR_BADDEVICEID);
    HMIDIIN inHandle = reinterpret_cast<HMIDIIN>(1);
    HMIDIOUT outHandle = reinterpret_cast<HMIDIOUT>(1);
    EXPECT_EQ(platform.midiInOpen(&inHandle, inputs, nullptr, 0, CALLBACK_FUNCTION),
              MMSYSERR_BADDEVICEID);
    EXPECT_EQ(inHandle, nullptr);
    EXPECT_NE(platform.midiOutOpen(&outHandle, static_cast<int>(outputs) + 1, nullptr, 0,
                                   CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    EXPECT_EQ(outHandle, nullptr);
}

TEST(WinMMPlatform, CallsOnNoDeviceFailWithoutTouchingTheSystem) {
    TWinMMPlatform platform;
    std::uint8_t data[4] = {0xF0, 0x7E, 0x00, 0xF7};
    MIDIHDR header{};
    header.lpData = data;
    header.dwBufferLength = sizeof data;
    EXPECT_EQ(platform.midiOutShortMsg(nullptr, 0x90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(platform.midiOutPrepareHeader(nullptr, &header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(platform.midiInAddBuffer(nullptr, &header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(platform.midiInClose(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(platform.midiOutClose(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(header.dwFlags, 0u);
}

TEST(WinMMPlatform, ErrorTextsAreTheSystemsAndAnUnknownCodeHasNone) {
    TWinMMPlatform platform;
    char text[128] = "";
    ASSERT_EQ(platform.midiInGetErrorText(MMSYSERR_BADDEVICEID, text, sizeof text),
              MMSYSERR_NOERROR);
    EXPECT_GT(std::strlen(text), 10u) << text;
    char outText[128] = "";
    ASSERT_EQ(platform.midiOutGetErrorText(MIDIERR_NODEVICE, outText, sizeof outText),
              MMSYSERR_NOERROR);
    EXPECT_GT(std::strlen(outText), 10u) << outText;
    EXPECT_NE(platform.midiOutGetErrorText(999, outText, sizeof outText), MMSYSERR_NOERROR);
}

TEST(WinMMPlatform, DeviceNamesBecomeUtf8CutBetweenCharacters) {
    struct Case {
        const wchar_t* name;
        const char* kept;
    };
    const Case cases[] = {
        {L"HRZ2000 Express", "HRZ2000 Express"},
        {L"Pr\u00e9sonus \u00c9", "Pr\xc3\xa9sonus \xc3\x89"},
        // 31 bytes fit: 30 ASCII letters, then "é" would need bytes 31 and 32.
        {L"abcdefghijklmnopqrstuvwxyzabcd\u00e9", "abcdefghijklmnopqrstuvwxyzabcd"},
        {L"abcdefghijklmnopqrstuvwxyzabc\u00e9x", "abcdefghijklmnopqrstuvwxyzabc\xc3\xa9"},
        {L"", ""},
    };
    for (const Case& c : cases) {
        char name[MAXPNAMELEN];
        std::memset(name, 'x', sizeof name);
        CopyDeviceName(c.name, name);
        EXPECT_EQ(std::string(name), c.kept);
    }
}

#endif
