#include "midi/midi_output.h"
#include "tests/midi/port_test_support.h"

using namespace mm;

namespace {

class MidiOutputTest : public PortTest {
protected:
    void SetUp() override {
        PortTest::SetUp();
        platform.AddOutputDevice("Synth");
        platform.AddOutputDevice("HRZ2000");
        platform.SetMapperName("Mapper");
    }
};

void ExpectError(const std::function<void()>& action, const char* text) {
    try {
        action();
        ADD_FAILURE() << "no error, expected: " << text;
    } catch (const EmidioutputError& error) {
        EXPECT_STREQ(error.what(), text);
    }
}

} // namespace

TEST_F(MidiOutputTest, SelectsDevicesByIdOrNameWithTheMapperFirst) {
    TMidiOutput port;
    EXPECT_EQ(port.NumDevs(), 2u);
    EXPECT_EQ(port.DeviceID(), 0);
    EXPECT_EQ(port.ProductName(), ""); // nothing read until a device is chosen
    port.SetDeviceID(-1);
    EXPECT_EQ(port.ProductName(), "Mapper");
    port.SetDeviceID(1);
    EXPECT_EQ(port.ProductName(), "HRZ2000");
    port.SetProductName("Mapper");
    EXPECT_EQ(port.DeviceID(), -1);
    port.SetProductName("Synth");
    EXPECT_EQ(port.DeviceID(), 0);
    ExpectError([&] { port.SetProductName("Piano"); }, "MIDI output Device Piano not installed");
    ExpectError([&] { port.SetDeviceID(2); }, "Invalid device ID");
    ExpectError([&] { port.SetDeviceID(-2); }, "Invalid device ID");
    EXPECT_EQ(port.DeviceID(), 0);

    port.Open();
    ExpectError([&] { port.SetDeviceID(1); }, "Change to DeviceID while device was open");
    ExpectError([&] { port.SetProductName("HRZ2000"); },
                "Change to ProductName while device was open");
}

TEST_F(MidiOutputTest, MapperOpensTheFirstDevice) {
    TMidiOutput port;
    port.SetDeviceID(-1);
    EXPECT_TRUE(port.Open());
    EXPECT_TRUE(platform.IsOutputOpen(0));
    port.SendShort(0xC0, 3, 0);
    ASSERT_EQ(platform.Sent().size(), 1u);
    EXPECT_EQ(platform.Sent()[0].DeviceId, 0);
}

TEST_F(MidiOutputTest, OpenAndCloseReportWhatHappened) {
    TMidiOutput port;
    EXPECT_FALSE(port.Close());
    platform.Fail(TMidiOp::OutOpen, MMSYSERR_ALLOCATED);
    ExpectError([&] { port.Open(); },
                "The specified device is already in use. Wait until it is free, and then try "
                "again.");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Open());
    EXPECT_TRUE(port.Open()); // already open: the same device stays
    EXPECT_EQ(platform.OpenDeviceCount(), 1u);
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.Close());

    port.Open();
    platform.Fail(TMidiOp::OutClose, MMSYSERR_ERROR);
    EXPECT_THROW(port.Close(), EmidioutputError);
    EXPECT_FALSE(port.IsOpen()); // closed in every case
}

TEST_F(MidiOutputTest, SendsShortMessagesPacked) {
    TMidiOutput port;
    port.SetDeviceID(1);
    port.Open();
    port.SendShort(0xB0, 0x20, 0x01);
    port.SendEvent(*TMyMidiEvent::Short(0xC0, 0x05, 0));
    const auto sent = platform.Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].Packed, 0x0120B0u);
    EXPECT_FALSE(sent[0].Long);
    EXPECT_EQ(sent[0].DeviceId, 1);
    EXPECT_EQ(sent[1].Packed, 0x05C0u);
}

TEST_F(MidiOutputTest, ClosedPortRefusesEventsButShortSendsFailInTheSystem) {
    TMidiOutput port;
    ExpectError([&] { port.SendEvent(*TMyMidiEvent::Short(0x90, 1, 2)); },
                "MIDI Output device not open");
    ExpectError([&] { port.SendShort(0x90, 1, 2); }, "The specified device handle is invalid.");
    const std::uint8_t bytes[] = {0xF0, 0xF7};
    EXPECT_THROW(port.SendLong(bytes, 2), EmidioutputError);
    EXPECT_EQ(port.Error(), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(port.PendingBlockCount(), 0u);
    EXPECT_TRUE(platform.Sent().empty());
}

TEST_F(MidiOutputTest, LongBlockIsCopiedAndFreedWhenDone) {
    TMidiOutput port;
    int done = 0;
    port.Onmidioutput = [&](QObject* sender) {
        EXPECT_EQ(sender, &port);
        ++done;
    };
    port.Open();
    std::vector<std::uint8_t> dump(252, 0x11);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    auto event = TMyMidiEvent::SysexBlock(dump);
    port.SendEvent(*event);
    event->Sysex[1] = 0x22; // the port sent its own copy
    EXPECT_EQ(port.PendingBlockCount(), 1u);
    EXPECT_EQ(done, 0); // reported on the window thread, not inside the send
    DeliverPosted();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(port.PendingBlockCount(), 0u);
    const auto sent = platform.Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].Long);
    EXPECT_EQ(sent[0].Bytes, dump);
}

TEST_F(MidiOutputTest, FailedLongSendFreesTheBlock) {
    TMidiOutput port;
    port.Open();
    const std::uint8_t bytes[] = {0xF0, 0x1A, 0xF7};
    for (TMidiOp op : {TMidiOp::OutPrepareHeader, TMidiOp::OutLongMsg}) {
        platform.Fail(op, MIDIERR_NOTREADY);
        ExpectError([&] { port.SendLong(bytes, 3); },
                    "The port is transmitting data to the device. Wait until the data has been "
                    "transmitted, and then try again.");
        EXPECT_EQ(port.PendingBlockCount(), 0u);
    }
}

TEST_F(MidiOutputTest, CloseReleasesBlocksStillPendingAndLateNoticesAreIgnored) {
    TMidiOutput port;
    int done = 0;
    port.Onmidioutput = [&](QObject*) { ++done; };
    port.Open();
    const std::uint8_t bytes[] = {0xF0, 0x1A, 0xF7};
    port.SendLong(bytes, 3); // done notice posted, not yet delivered
    port.SendLong(bytes, 3);
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(port.PendingBlockCount(), 0u);
    port.Open();
    DeliverPosted();
    EXPECT_EQ(done, 0);
    EXPECT_TRUE(HandlerErrors().empty());
}

TEST_F(MidiOutputTest, FailedUnprepareOfADoneBlockIsReportedAndTheBlockKept) {
    TMidiOutput port;
    int done = 0;
    port.Onmidioutput = [&](QObject*) { ++done; };
    port.Open();
    const std::uint8_t bytes[] = {0xF0, 0xF7};
    port.SendLong(bytes, 2);
    platform.Fail(TMidiOp::OutUnprepareHeader, MMSYSERR_INVALPARAM);
    DeliverPosted();
    ASSERT_EQ(HandlerErrors().size(), 1u);
    EXPECT_EQ(HandlerErrors()[0], "An invalid parameter was passed to a system function.");
    EXPECT_EQ(done, 0);
    EXPECT_EQ(port.PendingBlockCount(), 1u);
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(port.PendingBlockCount(), 0u);
}
