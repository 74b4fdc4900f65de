#include "midi/midi_input.h"
#include "tests/midi/port_test_support.h"

#include <atomic>
#include <thread>

using namespace mm;

namespace {

std::uint32_t Packed(std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    return status | (d1 << 8) | (d2 << 16);
}

std::vector<std::uint8_t> Block(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(i & 0x7F);
    if (length > 0)
        bytes.front() = 0xF0;
    if (length > 1)
        bytes.back() = 0xF7;
    return bytes;
}

class MidiInputTest : public PortTest {
protected:
    void SetUp() override {
        PortTest::SetUp();
        platform.AddInputDevice({"Port A", 11, 22, 0x0501});
        platform.AddInputDevice("Port B");
    }
    std::vector<std::unique_ptr<TMyMidiEvent>> Drain(TMidiInput& port) {
        std::vector<std::unique_ptr<TMyMidiEvent>> events;
        while (auto event = port.ReadEvent())
            events.push_back(std::move(event));
        return events;
    }
};

} // namespace

TEST_F(MidiInputTest, StartsClosedOnDeviceZeroWithDefaults) {
    TMidiInput port;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.NumDevs(), 2u);
    EXPECT_EQ(port.DeviceID(), 0);
    EXPECT_EQ(port.ProductName(), "Port A");
    EXPECT_EQ(port.ManufacturerID(), 11);
    EXPECT_EQ(port.ProductID(), 22);
    EXPECT_EQ(port.DriverVersion(), 0x0501u);
    EXPECT_EQ(port.Capacity(), 1024);
    EXPECT_EQ(port.SysexBufferSize(), 4096);
    EXPECT_EQ(port.SysexBufferCount(), 16);
    EXPECT_FALSE(port.SysexOnly());
    EXPECT_EQ(port.PendingEventCount(), 0);
    EXPECT_EQ(port.ReadEvent(), nullptr);
}

TEST_F(MidiInputTest, WithoutDevicesOpenFailsWithTheSystemText) {
    TTestMidiPlatform empty;
    SetMidiPlatform(&empty);
    TMidiInput port;
    EXPECT_EQ(port.NumDevs(), 0u);
    EXPECT_EQ(port.ProductName(), "");
    try {
        port.Open();
        FAIL() << "Open succeeded";
    } catch (const EMidiInputError& error) {
        EXPECT_STREQ(error.what(),
                     "A device ID has been used that is out of range for your system.");
    }
    EXPECT_EQ(port.Error(), MMSYSERR_BADDEVICEID);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(MidiInputTest, SelectionSettersRefuseWhileOpenAndCheckTheirValue) {
    TMidiInput port;
    port.SetProductName("Port B");
    EXPECT_EQ(port.DeviceID(), 1);
    try {
        port.SetProductName("Port C");
        FAIL();
    } catch (const EMidiInputError& error) {
        EXPECT_STREQ(error.what(), "MIDI Input Device Port C not installed ");
    }
    EXPECT_EQ(port.DeviceID(), 1);
    EXPECT_EQ(port.ProductName(), "Port B");
    EXPECT_THROW(port.SetProductName("port b"), EMidiInputError); // names match exactly
    try {
        port.SetDeviceID(2);
        FAIL();
    } catch (const EMidiInputError& error) {
        EXPECT_STREQ(error.what(), "Invalid device ID");
    }
    port.SetDeviceID(0);
    EXPECT_EQ(port.ProductName(), "Port A");

    port.Open();
    auto refused = [&](auto change, const char* text) {
        try {
            change();
            ADD_FAILURE() << "accepted: " << text;
        } catch (const EMidiInputError& error) {
            EXPECT_STREQ(error.what(), text);
        }
    };
    refused([&] { port.SetSysexBufferSize(100); },
            "Change to SysexBufferSize while device was open");
    refused([&] { port.SetSysexBufferCount(2); },
            "Change to SysexBuffercount while device was open");
    refused([&] { port.SetDeviceID(1); }, "Change to DeviceID while device was open");
    refused([&] { port.SetProductName("Port B"); }, "Change to ProductName while device was open");
    EXPECT_EQ(port.SysexBufferSize(), 4096);
    EXPECT_EQ(port.DeviceID(), 0);
    port.Close();
    port.SetSysexBufferCount(2);
    EXPECT_EQ(port.SysexBufferCount(), 2);
}

TEST_F(MidiInputTest, CapabilityFailureKeepsTheSelection) {
    TMidiInput port;
    platform.Fail(TMidiOp::InGetDevCaps, MMSYSERR_NODRIVER);
    EXPECT_THROW(port.SetDeviceID(1), EMidiInputError);
    EXPECT_EQ(port.Error(), MMSYSERR_NODRIVER);
    EXPECT_EQ(port.DeviceID(), 0);
    EXPECT_EQ(port.ProductName(), "Port A");
}

TEST_F(MidiInputTest, DeliversShortMessagesAndSysexWithTimes) {
    TMidiInput port;
    port.SetDeviceID(1);
    int calls = 0;
    std::vector<std::unique_ptr<TMyMidiEvent>> events;
    port.OnMidiInput = [&](QObject* sender) {
        EXPECT_EQ(sender, &port);
        ++calls;
        for (auto& event : Drain(port))
            events.push_back(std::move(event));
    };
    port.Open();
    EXPECT_EQ(platform.QueuedBufferCount(1), 16u);
    EXPECT_FALSE(platform.InjectShort(1, Packed(0x90, 0x3C, 0x64), 1)); // not started yet
    port.Start();
    ASSERT_TRUE(platform.InjectShort(1, Packed(0x90, 0x3C, 0x64), 0x1234));
    ASSERT_EQ(platform.InjectSysex(1, Block(252), 0x20), 252u);
    platform.InjectShort(1, 0xF8, 0x21); // clock: filtered
    platform.InjectShort(1, Packed(0xC0, 5, 0), 0x30);
    EXPECT_EQ(port.PendingEventCount(), 3);
    DeliverPosted();

    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(calls, 1); // the first handler call drained everything
    EXPECT_EQ(MidiEventText(*events[0]), "Note On 90 3C 64     00001234");
    EXPECT_EQ(events[1]->Status, 0xF0);
    EXPECT_EQ(events[1]->Sysex, Block(252));
    EXPECT_EQ(events[1]->Time, 0x20u);
    EXPECT_EQ(events[2]->Status, 0xC0);
    EXPECT_EQ(events[2]->Data1, 5);
    EXPECT_EQ(platform.QueuedBufferCount(1), 16u); // the buffer went back to the device
}

TEST_F(MidiInputTest, HandlerReadingOneEventPerCallStillGetsEveryEvent) {
    TMidiInput port;
    std::vector<std::uint32_t> times;
    port.OnMidiInput = [&](QObject*) {
        if (auto event = port.ReadEvent())
            times.push_back(event->Time);
    };
    port.Open();
    port.Start();
    for (std::uint32_t n = 0; n < 5; ++n)
        platform.InjectShort(0, 0x90, n);
    for (int turn = 0; turn < 10; ++turn) // each call posts the next notice
        DeliverPosted();
    EXPECT_EQ(times, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
}

TEST_F(MidiInputTest, LongSysexArrivesInBufferSizedPiecesAndExcessIsLost) {
    TMidiInput port;
    port.SetSysexBufferSize(100);
    port.SetSysexBufferCount(3);
    port.Open();
    port.Start();
    const auto bytes = Block(250);
    EXPECT_EQ(platform.InjectSysex(0, bytes, 1), 250u);
    auto events = Drain(port);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]->SysexLength(), 100);
    EXPECT_EQ(events[1]->SysexLength(), 100);
    EXPECT_EQ(events[2]->SysexLength(), 50);
    std::vector<std::uint8_t> joined;
    for (auto& event : events)
        joined.insert(joined.end(), event->Sysex.begin(), event->Sysex.end());
    EXPECT_EQ(joined, bytes);

    // No buffer queued while the events wait: the bytes are lost, as on the real service.
    EXPECT_EQ(platform.InjectSysex(0, Block(400), 2), 300u);
    EXPECT_EQ(platform.InjectSysex(0, Block(10), 3), 0u);
    EXPECT_EQ(Drain(port).size(), 3u);
    EXPECT_EQ(platform.QueuedBufferCount(0), 3u);
}

TEST_F(MidiInputTest, EmptyBlockGivesEmptySysexEventAndRequeuesItsBuffer) {
    TMidiInput port;
    port.Open();
    port.Start();
    platform.InjectSysex(0, {}, 5);
    EXPECT_EQ(platform.QueuedBufferCount(0), 15u);
    auto event = port.ReadEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->Status, 0xF0);
    EXPECT_EQ(event->SysexLength(), 0);
    EXPECT_FALSE(event->HasSysex());
    EXPECT_EQ(platform.QueuedBufferCount(0), 16u);
}

TEST_F(MidiInputTest, SysexOnlyTakesEffectOnAnOpenPort) {
    TMidiInput port;
    port.Open();
    port.Start();
    port.SetSysexOnly(true);
    platform.InjectShort(0, Packed(0x90, 1, 2), 1);
    platform.InjectSysex(0, Block(3), 2);
    port.SetSysexOnly(false);
    platform.InjectShort(0, Packed(0x80, 1, 2), 3);
    auto events = Drain(port);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]->Status, 0xF0);
    EXPECT_EQ(events[1]->Status, 0x80);
}

TEST_F(MidiInputTest, ItemBeyondCapacityIsDroppedAndReportedOnce) {
    TMidiInput port;
    port.Open();
    port.Start();
    int overflows = 0;
    port.OnOverflow = [&](QObject* sender) {
        EXPECT_EQ(sender, &port);
        ++overflows;
    };
    for (std::uint32_t n = 0; n < 1025; ++n)
        platform.InjectShort(0, Packed(0xB0, n & 0x7F, (n >> 7) & 0x7F), n);
    EXPECT_EQ(port.PendingEventCount(), 1024);
    DeliverPosted();
    EXPECT_EQ(overflows, 1);
    auto events = Drain(port);
    ASSERT_EQ(events.size(), 1024u);
    for (std::uint32_t n = 0; n < 1024; ++n)
        ASSERT_EQ(events[n]->Time, n);
}

TEST_F(MidiInputTest, SysexDroppedByAFullRingKeepsItsBufferInService) {
    TMidiInput port;
    port.SetCapacity(2);
    port.SetSysexBufferCount(1);
    port.Open();
    port.Start();
    platform.InjectShort(0, 0x90, 1);
    platform.InjectShort(0, 0x91, 2);
    platform.InjectSysex(0, Block(5), 3); // dropped with its buffer
    EXPECT_EQ(platform.QueuedBufferCount(0), 0u);
    DeliverPosted();
    EXPECT_EQ(platform.QueuedBufferCount(0), 1u);
    Drain(port);
    platform.InjectSysex(0, Block(5), 4);
    auto event = port.ReadEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->Sysex, Block(5));
}

TEST_F(MidiInputTest, CloseDiscardsWaitingEventsAndSilencesLateNotices) {
    TMidiInput port;
    int calls = 0;
    port.OnMidiInput = [&](QObject*) { ++calls; };
    port.OnOverflow = [&](QObject*) { ++calls; };
    port.SetCapacity(1);
    port.Open();
    port.Start();
    platform.InjectSysex(0, Block(10), 1);
    platform.InjectShort(0, 0x90, 2); // overflow
    port.Close();
    EXPECT_FALSE(platform.IsInputOpen(0));
    EXPECT_EQ(port.PendingEventCount(), 0);
    EXPECT_EQ(port.ReadEvent(), nullptr);
    DeliverPosted(); // the notices posted before Close arrive now
    EXPECT_EQ(calls, 0);

    port.Close(); // nothing to do
    port.Open();
    port.Start();
    EXPECT_EQ(port.PendingEventCount(), 0); // a fresh ring
    platform.InjectShort(0, 0x90, 3);
    EXPECT_EQ(port.PendingEventCount(), 1);
}

TEST_F(MidiInputTest, FailedOpenLeavesNothingOpenAndCanBeRetried) {
    struct TCase {
        TMidiOp Op;
        int After; // successful calls before the failing one
    };
    for (const TCase& failure : {TCase{TMidiOp::InOpen, 0}, TCase{TMidiOp::InPrepareHeader, 0},
                                 TCase{TMidiOp::InPrepareHeader, 7}, TCase{TMidiOp::InAddBuffer, 0},
                                 TCase{TMidiOp::InAddBuffer, 15}}) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(failure.Op) << " after " << failure.After);
        TMidiInput port;
        platform.SetErrorText(MMSYSERR_NOMEM, "out of memory");
        platform.Fail(failure.Op, MMSYSERR_NOMEM, 1, failure.After);
        try {
            port.Open();
            ADD_FAILURE() << "Open succeeded";
        } catch (const EMidiInputError& error) {
            EXPECT_STREQ(error.what(), "out of memory");
        }
        EXPECT_EQ(port.Error(), MMSYSERR_NOMEM);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(platform.OpenDeviceCount(), 0u); // the device was closed again
        EXPECT_EQ(port.PendingEventCount(), 0);
        platform.ClearFailures();
        port.Open();
        EXPECT_TRUE(port.IsOpen());
        EXPECT_EQ(platform.QueuedBufferCount(0), 16u);
        port.Close();
    }
}

TEST_F(MidiInputTest, ErrorTextFallsBackWhenTheSystemHasNone) {
    TMidiInput port;
    platform.RemoveErrorText(MMSYSERR_ALLOCATED);
    platform.Fail(TMidiOp::InOpen, MMSYSERR_ALLOCATED);
    try {
        port.Open();
        FAIL();
    } catch (const EMidiInputError& error) {
        EXPECT_STREQ(error.what(), "Specified error number is out of range");
    }
    EXPECT_EQ(port.ErrorText(999), "Specified error number is out of range");
}

TEST_F(MidiInputTest, StartFailureIsReported) {
    TMidiInput port;
    port.Start(); // closed: nothing
    EXPECT_EQ(platform.CallCount(TMidiOp::InStart), 0);
    port.Open();
    platform.Fail(TMidiOp::InStart, MMSYSERR_NOTENABLED);
    EXPECT_THROW(port.Start(), EMidiInputError);
    EXPECT_EQ(port.Error(), MMSYSERR_NOTENABLED);
}

TEST_F(MidiInputTest, FailedRequeueKeepsTheEventForTheNextRead) {
    TMidiInput port;
    port.Open();
    port.Start();
    platform.InjectSysex(0, Block(6), 1);
    platform.Fail(TMidiOp::InAddBuffer, MMSYSERR_NOMEM);
    EXPECT_THROW(port.ReadEvent(), EMidiInputError);
    EXPECT_EQ(port.PendingEventCount(), 1);
    auto event = port.ReadEvent();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->Sysex, Block(6));
    EXPECT_EQ(platform.QueuedBufferCount(0), 16u);
}

TEST_F(MidiInputTest, FailedCloseStillReleasesAClosedDeviceAndRetriesAStuckOne) {
    {
        TMidiInput port;
        port.Open();
        platform.Fail(TMidiOp::InUnprepareHeader, MMSYSERR_INVALHANDLE);
        EXPECT_THROW(port.Close(), EMidiInputError);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(platform.OpenDeviceCount(), 0u);
    }
    TMidiInput port;
    port.Open();
    platform.Fail(TMidiOp::InClose, MMSYSERR_ERROR);
    EXPECT_THROW(port.Close(), EMidiInputError);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(platform.IsInputOpen(0));
    port.Close(); // retried: the handle is still there
    EXPECT_FALSE(platform.IsInputOpen(0));
}

TEST_F(MidiInputTest, DestructorClosesAnOpenDevice) {
    {
        TMidiInput port;
        port.Open();
        port.Start();
        platform.InjectShort(0, 0x90, 1);
    }
    EXPECT_EQ(platform.OpenDeviceCount(), 0u);
    DeliverPosted(); // a notice for a destroyed port goes nowhere
}

// The platform's thread fills the ring while the window thread drains it.
TEST_F(MidiInputTest, EventsFromAnotherThreadArriveInOrder) {
    constexpr std::uint32_t kMessages = 20000;
    TMidiInput port;
    std::atomic<std::uint32_t> consumed{0};
    std::atomic<bool> stop{false};
    std::uint32_t outOfOrder = 0;
    port.OnMidiInput = [&](QObject*) {
        while (auto event = port.ReadEvent()) {
            if (event->Time != consumed.load())
                ++outOfOrder;
            consumed.fetch_add(1);
        }
    };
    port.Open();
    port.Start();
    std::thread producer([&] {
        for (std::uint32_t n = 0; n < kMessages && !stop; ++n) {
            while (n - consumed.load() >= 1000 && !stop) // stay within the ring
                std::this_thread::yield();
            platform.InjectShort(0, 0x643C90, n);
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (consumed.load() < kMessages && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    stop = true;
    producer.join();
    EXPECT_EQ(consumed.load(), kMessages);
    EXPECT_EQ(outOfOrder, 0u);
}
