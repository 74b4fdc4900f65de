#include "midi/composite_midi_platform.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "tests/midi/port_test_support.h"

#include <cstring>

using namespace mm;

namespace {

struct TCall {
    void* Handle;
    std::uint32_t Message;
    std::uintptr_t Instance;
    std::uintptr_t Param1;
};
std::vector<TCall> calls;

void Record(void* handle, std::uint32_t message, std::uintptr_t instance, std::uintptr_t p1,
            std::uintptr_t) {
    calls.push_back({handle, message, instance, p1});
}

class CompositeTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        first.AddInputDevice("In 1");
        first.AddOutputDevice("Out 1");
        second.AddInputDevice("Virtual In");
        second.AddInputDevice("Virtual In 2");
        second.AddOutputDevice("Virtual Out");
        composite.AddBackend(first);
        composite.AddBackend(second);
    }
    TTestMidiPlatform first;
    TTestMidiPlatform second;
    TCompositeMidiPlatform composite;
};

std::string InName(IMidiPlatform& platform, std::uint32_t id) {
    MIDIINCAPS caps;
    return platform.midiInGetDevCaps(id, caps) == 0 ? caps.szPname : "<error>";
}

} // namespace

TEST_F(CompositeTest, ListsDevicesOfEachBackendInOrder) {
    EXPECT_EQ(composite.midiInGetNumDevs(), 3u);
    EXPECT_EQ(composite.midiOutGetNumDevs(), 2u);
    EXPECT_EQ(InName(composite, 0), "In 1");
    EXPECT_EQ(InName(composite, 2), "Virtual In 2");
    EXPECT_EQ(InName(composite, 3), "<error>");
    MIDIOUTCAPS caps;
    ASSERT_EQ(composite.midiOutGetDevCaps(1, caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Virtual Out");
    ASSERT_EQ(composite.midiOutGetDevCaps(MIDI_MAPPER, caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "MIDI Mapper");
    EXPECT_EQ(caps.wTechnology, MOD_MAPPER);
    composite.MapperName = std::string(40, 'M'); // cut to fit, with its end byte
    ASSERT_EQ(composite.midiOutGetDevCaps(MIDI_MAPPER, caps), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(caps.szPname), std::string(MAXPNAMELEN - 1, 'M'));
    EXPECT_EQ(composite.midiOutGetDevCaps(2, caps), MMSYSERR_BADDEVICEID);

    // Each backend's own edges: the first id past its devices, and the open arguments.
    MIDIINCAPS inCaps;
    HMIDIIN in = nullptr;
    HMIDIOUT out = nullptr;
    EXPECT_EQ(second.midiOutGetDevCaps(1, caps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(second.midiInGetDevCaps(2, inCaps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(second.midiOutOpen(&out, 1, nullptr, 0, 0), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(second.midiInOpen(&in, 2, nullptr, 0, 0), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(second.midiInOpen(nullptr, 0, nullptr, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(second.midiInOpen(&in, 0, &Record, 0, 0),
              MMSYSERR_INVALPARAM); // flags say no callback
    EXPECT_EQ(second.midiOutOpen(nullptr, 0, nullptr, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(second.midiOutOpen(&out, 0, &Record, 0, 0), MMSYSERR_INVALPARAM);
    ASSERT_EQ(second.midiInOpen(&in, 1, nullptr, 0, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(second.midiOutOpen(&out, 0, nullptr, 0, 0), MMSYSERR_NOERROR);
    // A block that is missing or points nowhere is refused before anything reads it.
    MIDIHDR empty{};
    EXPECT_EQ(second.midiOutPrepareHeader(out, nullptr), MMSYSERR_INVALPARAM);
    EXPECT_EQ(second.midiOutPrepareHeader(out, &empty), MMSYSERR_INVALPARAM);
    EXPECT_EQ(second.midiInPrepareHeader(in, nullptr), MMSYSERR_INVALPARAM);
    EXPECT_EQ(empty.dwFlags, 0u);
    std::uint8_t byte = 0;
    MIDIHDR noRoom{};
    noRoom.lpData = &byte; // somewhere, but no room to record into
    ASSERT_EQ(second.midiInPrepareHeader(in, &noRoom), MMSYSERR_NOERROR);
    EXPECT_EQ(second.midiInAddBuffer(in, &noRoom), MMSYSERR_INVALPARAM);
    EXPECT_EQ(second.midiInUnprepareHeader(in, &noRoom), MMSYSERR_NOERROR);
    EXPECT_EQ(second.midiInClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(second.midiOutClose(out), MMSYSERR_NOERROR);
}

TEST_F(CompositeTest, RoutesCallsByHandleAndCallsBackWithItsOwnHandle) {
    HMIDIIN in = nullptr;
    ASSERT_EQ(composite.midiInOpen(&in, 2, &Record, 42, CALLBACK_FUNCTION), MMSYSERR_NOERROR);
    EXPECT_TRUE(second.IsInputOpen(1));
    EXPECT_FALSE(first.IsInputOpen(0));
    ASSERT_EQ(calls.size(), 1u); // open notice
    EXPECT_EQ(calls[0].Handle, static_cast<void*>(in));
    EXPECT_EQ(calls[0].Instance, 42u);
    EXPECT_EQ(composite.midiInStart(in), MMSYSERR_NOERROR);
    second.InjectShort(1, 0x90, 7);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].Message, MIM_DATA);
    EXPECT_EQ(calls[1].Handle, static_cast<void*>(in));
    // A reset stops the input, as winmm's does.
    EXPECT_EQ(composite.midiInReset(in), MMSYSERR_NOERROR);
    EXPECT_FALSE(second.InjectShort(1, 0x90, 8));
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(composite.midiInClose(in), MMSYSERR_NOERROR);
    EXPECT_FALSE(second.IsInputOpen(1));
    EXPECT_EQ(composite.midiInStart(in), MMSYSERR_INVALHANDLE); // gone with the close

    HMIDIOUT out = nullptr;
    EXPECT_EQ(composite.midiOutOpen(&out, MIDI_MAPPER, nullptr, 0, 0), MMSYSERR_NOERROR);
    EXPECT_TRUE(first.IsOutputOpen(0));
    EXPECT_EQ(composite.midiOutShortMsg(out, 0x05C0), MMSYSERR_NOERROR);
    EXPECT_EQ(first.Sent().size(), 1u);
    // Closing one output leaves the other open.
    HMIDIOUT other = nullptr;
    ASSERT_EQ(composite.midiOutOpen(&other, 1, nullptr, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(composite.midiOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(composite.midiOutShortMsg(other, 0x05C0), MMSYSERR_NOERROR);
    EXPECT_EQ(second.Sent().size(), 1u);
    EXPECT_EQ(composite.midiOutClose(other), MMSYSERR_NOERROR);
}

TEST_F(CompositeTest, FailedBackendCloseKeepsTheHandleUsable) {
    HMIDIOUT out = nullptr;
    ASSERT_EQ(composite.midiOutOpen(&out, 1, nullptr, 0, 0), MMSYSERR_NOERROR);
    second.Fail(TMidiOp::OutClose, MMSYSERR_ERROR);
    EXPECT_EQ(composite.midiOutClose(out), MMSYSERR_ERROR);
    EXPECT_EQ(composite.midiOutClose(out), MMSYSERR_NOERROR);
}

TEST_F(CompositeTest, MapperNeedsAnOutputDevice) {
    TCompositeMidiPlatform empty;
    TTestMidiPlatform inputsOnly;
    inputsOnly.AddInputDevice("In");
    empty.AddBackend(inputsOnly);
    HMIDIOUT out = nullptr;
    EXPECT_EQ(empty.midiOutOpen(&out, MIDI_MAPPER, nullptr, 0, 0), MIDIERR_NODEVICE);
    MIDIOUTCAPS caps;
    EXPECT_EQ(empty.midiOutGetDevCaps(MIDI_MAPPER, caps), MMSYSERR_BADDEVICEID);
}

TEST_F(CompositeTest, ErrorTextComesFromTheFirstBackendThatKnowsIt) {
    first.RemoveErrorText(MMSYSERR_NOMEM);
    second.SetErrorText(MMSYSERR_NOMEM, "second says");
    char text[128];
    ASSERT_EQ(composite.midiInGetErrorText(MMSYSERR_NOMEM, text, sizeof text), 0);
    EXPECT_STREQ(text, "second says");
    // No room at all is refused; room for the end byte alone gives an empty text.
    EXPECT_EQ(composite.midiInGetErrorText(MMSYSERR_NOMEM, text, 0), MMSYSERR_BADERRNUM);
    EXPECT_EQ(composite.midiInGetErrorText(MMSYSERR_NOMEM, text, 1), MMSYSERR_NOERROR);
    EXPECT_STREQ(text, "");
    second.RemoveErrorText(MMSYSERR_NOMEM);
    EXPECT_NE(composite.midiOutGetErrorText(MMSYSERR_NOMEM, text, sizeof text), 0);
}

TEST_F(CompositeTest, PortsWorkAcrossBackends) {
    SetMidiPlatform(&composite);
    {
        TMidiInput input;
        input.SetProductName("Virtual In");
        EXPECT_EQ(input.DeviceID(), 1);
        input.Open();
        input.Start();
        second.InjectSysex(0, {0xF0, 0x1A, 0xF7}, 3);
        auto event = input.ReadEvent();
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(event->Sysex, (std::vector<std::uint8_t>{0xF0, 0x1A, 0xF7}));
        EXPECT_EQ(second.QueuedBufferCount(0), 16u);

        TMidiOutput output;
        output.SetProductName("Virtual Out");
        output.Open();
        output.SendEvent(*event);
        ASSERT_EQ(second.Sent().size(), 1u);
        DeliverPosted();
        EXPECT_EQ(output.PendingBlockCount(), 0u);
    }
    EXPECT_EQ(first.OpenDeviceCount() + second.OpenDeviceCount(), 0u);
    SetMidiPlatform(nullptr);
}
