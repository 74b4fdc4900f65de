#include "tests/unit/unit_test_util.h"
#include "unit/virtual_unit_platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

using namespace mm;

using namespace std::chrono_literals;

namespace {

struct TEvent {
    std::uint32_t Message = 0;
    std::uintptr_t Param1 = 0;
    std::uintptr_t Param2 = 0;
    Bytes Data; // what a returned input buffer held
    std::uint32_t Flags = 0;
};

// Records every callback; what the input port does in the real program.
class TRecorder {
public:
    static void Callback(void*, std::uint32_t message, std::uintptr_t instance, std::uintptr_t p1,
                         std::uintptr_t p2) {
        auto* self = reinterpret_cast<TRecorder*>(instance);
        TEvent e{message, p1, p2, {}, 0};
        if (message == MIM_LONGDATA || message == MIM_LONGERROR || message == MOM_DONE) {
            const auto* h = reinterpret_cast<const MIDIHDR*>(p1);
            e.Flags = h->dwFlags;
            if (message != MOM_DONE)
                e.Data.assign(h->lpData, h->lpData + h->dwBytesRecorded);
        }
        if (self->slowCallback.load() > 0ms)
            std::this_thread::sleep_for(self->slowCallback.exchange(0ms));
        std::lock_guard lock(self->mutex_);
        self->events_.push_back(std::move(e));
        self->changed_.notify_all();
    }

    // Waits until at least count events of the kind have arrived (bounded).
    std::vector<TEvent> WaitFor(std::uint32_t message, std::size_t count,
                                std::chrono::milliseconds timeout = 3000ms) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return Of(message).size() >= count; });
        return Of(message);
    }
    std::vector<TEvent> All() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return events_.size();
    }

    std::atomic<std::chrono::milliseconds> slowCallback{0ms};

private:
    std::vector<TEvent> Of(std::uint32_t message) const {
        std::vector<TEvent> out;
        for (const auto& e : events_)
            if (e.Message == message)
                out.push_back(e);
        return out;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TEvent> events_;
};

struct TBuffer {
    explicit TBuffer(std::size_t size) : Data(size) {
        Header.lpData = Data.data();
        Header.dwBufferLength = static_cast<std::uint32_t>(size);
    }
    std::vector<std::uint8_t> Data;
    MIDIHDR Header;
};

class VirtualUnitPlatform : public ::testing::Test {
protected:
    void Start(TUnitOptions options, int buffers, std::size_t bufferSize) {
        platform_ = std::make_unique<TVirtualUnitMidiPlatform>(options);
        ASSERT_EQ(platform_->midiInOpen(&in_, 0, &TRecorder::Callback,
                                        reinterpret_cast<std::uintptr_t>(&input_),
                                        CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        for (int i = 0; i < buffers; ++i)
            Queue(bufferSize);
        ASSERT_EQ(platform_->midiInStart(in_), MMSYSERR_NOERROR);
        ASSERT_EQ(platform_->midiOutOpen(&out_, 0, &TRecorder::Callback,
                                         reinterpret_cast<std::uintptr_t>(&output_),
                                         CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }
    void Queue(std::size_t size) {
        buffers_.push_back(std::make_unique<TBuffer>(size));
        ASSERT_EQ(platform_->midiInPrepareHeader(in_, &buffers_.back()->Header), MMSYSERR_NOERROR);
        ASSERT_EQ(platform_->midiInAddBuffer(in_, &buffers_.back()->Header), MMSYSERR_NOERROR);
    }
    MIDIHDR* Send(const Bytes& bytes) {
        sends_.push_back(std::make_unique<TBuffer>(bytes.size()));
        auto& b = *sends_.back();
        std::memcpy(b.Data.data(), bytes.data(), bytes.size());
        EXPECT_EQ(platform_->midiOutPrepareHeader(out_, &b.Header), MMSYSERR_NOERROR);
        EXPECT_EQ(platform_->midiOutLongMsg(out_, &b.Header), MMSYSERR_NOERROR);
        return &b.Header;
    }
    void CloseInput() {
        ASSERT_EQ(platform_->midiInReset(in_), MMSYSERR_NOERROR);
        for (auto& b : buffers_)
            ASSERT_EQ(platform_->midiInUnprepareHeader(in_, &b->Header), MMSYSERR_NOERROR);
        ASSERT_EQ(platform_->midiInClose(in_), MMSYSERR_NOERROR);
    }
    Bytes StoredDump(int index) {
        return platform_->WithUnit([index](const THrzVirtualUnit& unit) {
            const auto& d = unit.Memory().Preset(0, index);
            return Bytes(d.begin(), d.end());
        });
    }

    // Declared first, destroyed last: the platform's worker may call into them
    // until the platform is gone.
    TRecorder input_, output_;
    std::vector<std::unique_ptr<TBuffer>> buffers_, sends_;
    std::unique_ptr<TVirtualUnitMidiPlatform> platform_;
    HMIDIIN in_ = nullptr;
    HMIDIOUT out_ = nullptr;
};

// Each model keeps its own memory file beside the other.
TEST(VirtualUnitStatePath, EachModelHasItsOwnFile) {
    const struct {
        const char* Path;
        bool PreExpress;
        const char* Expected;
    } cases[] = {
        {"/a/b.state", true, "/a/b-pre-express.state"},
        {"/a/b-pre-express.state", false, "/a/b.state"},
        {"/a/b-pre-express.state", true, "/a/b-pre-express.state"},
        {"/a/b.state", false, "/a/b.state"},
        {"/a/-pre-express.state", false, "/a/-pre-express.state"}, // no name left to keep
        {"", true, ""},
        // UTF-8 on every system, not the code page.
        {"/Sélection/Пресеты.state", true, "/Sélection/Пресеты-pre-express.state"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TVirtualUnitMidiPlatform::StatePathForModel(c.Path, c.PreExpress), c.Expected)
            << c.Path << " " << c.PreExpress;
}

TEST(VirtualUnitModel, SwitchesModelAndForgetsItselfWhenGone) {
    auto platform = std::make_unique<TVirtualUnitMidiPlatform>(TUnitOptions{});
    SetBuiltInVirtualUnit(platform.get());
    platform->SetModel(true);
    EXPECT_TRUE(platform->PreExpress());
    EXPECT_EQ(platform->WithUnit([](const THrzVirtualUnit& u) { return u.Memory().BankCount(); }),
              1);
    platform.reset();
    EXPECT_EQ(BuiltInVirtualUnit(), nullptr) << "no pointer to a unit that is gone";
}

TEST_F(VirtualUnitPlatform, ListsOneDeviceEachWay) {
    platform_ = std::make_unique<TVirtualUnitMidiPlatform>(TUnitOptions{});
    MIDIINCAPS inCaps;
    MIDIOUTCAPS outCaps;
    EXPECT_EQ(platform_->midiInGetNumDevs(), 1u);
    EXPECT_EQ(platform_->midiOutGetNumDevs(), 1u);
    ASSERT_EQ(platform_->midiInGetDevCaps(0, inCaps), MMSYSERR_NOERROR);
    ASSERT_EQ(platform_->midiOutGetDevCaps(0, outCaps), MMSYSERR_NOERROR);
    EXPECT_STREQ(inCaps.szPname, "HRZ2000 virtual unit");
    EXPECT_STREQ(outCaps.szPname, "HRZ2000 virtual unit");
    EXPECT_EQ(platform_->midiInGetDevCaps(1, inCaps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(platform_->midiOutGetDevCaps(MIDI_MAPPER, outCaps), MMSYSERR_BADDEVICEID);
}

TEST_F(VirtualUnitPlatform, PresetDumpArrivesWholeInOneLargeBuffer) {
    Start(TUnitOptions{}, 4, 4096);
    MIDIHDR* request = Send(UnitSysex(0, {0x45}));
    const auto dumps = input_.WaitFor(MIM_LONGDATA, 1);
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(dumps[0].Data, StoredDump(0));
    EXPECT_TRUE(dumps[0].Flags & MHDR_DONE);
    EXPECT_FALSE(dumps[0].Flags & MHDR_INQUEUE);

    const auto done = output_.WaitFor(MOM_DONE, 1);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Param1, reinterpret_cast<std::uintptr_t>(request));
    EXPECT_TRUE(request->dwFlags & MHDR_DONE);
    EXPECT_EQ(platform_->midiOutUnprepareHeader(out_, request), MMSYSERR_NOERROR);
    CloseInput();
    EXPECT_EQ(platform_->midiOutClose(out_), MMSYSERR_NOERROR);
}

TEST_F(VirtualUnitPlatform, LongReplyFillsSeveralSmallBuffersInOrder) {
    Start(TUnitOptions{}, 8, 64);
    Send(UnitSysex(0, {0x53}));
    const auto parts = input_.WaitFor(MIM_LONGDATA, 7);
    ASSERT_EQ(parts.size(), 7u);
    Bytes joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i].Data.size(), i < 6 ? 64u : 406u - 6 * 64) << i;
        joined.insert(joined.end(), parts[i].Data.begin(), parts[i].Data.end());
    }
    ASSERT_EQ(joined.size(), 406u);
    EXPECT_EQ(Bytes(joined.begin(), joined.begin() + 5), (Bytes{0xF0, 0x1A, 0x00, 0x12, 0x13}));
    EXPECT_EQ(joined.back(), 0xF7);

    // One buffer is left: the dump fills it and waits, as on a paused cable, until
    // the next buffer comes; nothing is lost.
    Send(UnitSysex(0, {0x45}));
    ASSERT_EQ(input_.WaitFor(MIM_LONGDATA, 8).size(), 8u);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(input_.WaitFor(MIM_LONGDATA, 9, 0ms).size(), 8u);
    Queue(4096);
    const auto more = input_.WaitFor(MIM_LONGDATA, 9);
    ASSERT_EQ(more.size(), 9u);
    Bytes dump = more[7].Data;
    dump.insert(dump.end(), more[8].Data.begin(), more[8].Data.end());
    EXPECT_EQ(dump, StoredDump(0));
}

TEST_F(VirtualUnitPlatform, ShortAndRealtimeBytesComeAsDataMessages) {
    TUnitOptions options;
    options.Faults.Interleave = true;
    Start(options, 2, 4096);
    Send(UnitSysex(0, {0x43, 0x09}));
    ASSERT_EQ(input_.WaitFor(MIM_LONGDATA, 1).size(), 1u);
    const auto events = input_.All();
    ASSERT_EQ(events.size(), 5u); // open, active sensing, controller, clock, the reply
    EXPECT_EQ(events[0].Message, MIM_OPEN);
    EXPECT_EQ(events[1].Param1, 0xFEu);
    EXPECT_EQ(events[2].Param1, 0x6407B1u);
    EXPECT_EQ(events[3].Param1, 0xF8u) << "the clock inside the reply is delivered first";
    EXPECT_EQ(events[4].Data, UnitSysex(0, {0x03, 0x09, 0x00}));
}

TEST_F(VirtualUnitPlatform, ShortMessagesReachTheUnit) {
    Start(TUnitOptions{}, 1, 4096);
    EXPECT_EQ(platform_->midiOutShortMsg(out_, 0x0000B0), MMSYSERR_NOERROR);
    EXPECT_EQ(platform_->midiOutShortMsg(out_, 0x0120B0), MMSYSERR_NOERROR);
    EXPECT_EQ(platform_->midiOutShortMsg(out_, 0x0047C0), MMSYSERR_NOERROR);
    EXPECT_EQ(
        platform_->WithUnit([](const THrzVirtualUnit& u) { return u.Memory().CurrentPreset; }),
        199);
    EXPECT_EQ(platform_->midiOutShortMsg(out_, 0xF0), MMSYSERR_INVALPARAM);
}

TEST_F(VirtualUnitPlatform, TimeStampsCountFromStartAndIncludeTheAnswerDelay) {
    TUnitOptions options;
    options.AnswerDelayMs = 60;
    Start(options, 1, 4096);
    std::this_thread::sleep_for(20ms);
    const auto sent = std::chrono::steady_clock::now();
    Send(UnitSysex(0, {0x43, 0x00}));
    const auto replies = input_.WaitFor(MIM_LONGDATA, 1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 60ms);
    EXPECT_GE(replies[0].Param2, 80u);
    EXPECT_LT(replies[0].Param2, 2000u);
}

TEST_F(VirtualUnitPlatform, WirePacingTakesTheCableTime) {
    TUnitOptions options;
    options.WirePacing = true;
    Start(options, 1, 4096);
    const auto sent = std::chrono::steady_clock::now();
    Send(UnitSysex(0, {0x45}));
    ASSERT_EQ(input_.WaitFor(MIM_LONGDATA, 1).size(), 1u);
    // 6 + 252 bytes at 320 microseconds each.
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 82ms);
}

TEST_F(VirtualUnitPlatform, ResetReturnsEveryQueuedBufferEmpty) {
    Start(TUnitOptions{}, 3, 4096);
    EXPECT_EQ(platform_->midiInClose(in_), MIDIERR_STILLPLAYING);
    EXPECT_EQ(platform_->midiInUnprepareHeader(in_, &buffers_[0]->Header), MIDIERR_STILLPLAYING);
    ASSERT_EQ(platform_->midiInReset(in_), MMSYSERR_NOERROR);
    const auto returned = input_.WaitFor(MIM_LONGDATA, 3, 0ms);
    ASSERT_EQ(returned.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(returned[i].Param1, reinterpret_cast<std::uintptr_t>(&buffers_[i]->Header));
        EXPECT_TRUE(returned[i].Data.empty());
        EXPECT_TRUE(returned[i].Flags & MHDR_DONE);
    }
    // Stopped: replies go unheard until started again.
    Queue(4096);
    Send(UnitSysex(0, {0x43, 0x00}));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(input_.WaitFor(MIM_LONGDATA, 4, 0ms).size(), 3u);
    ASSERT_EQ(platform_->midiInStart(in_), MMSYSERR_NOERROR);
    Send(UnitSysex(0, {0x43, 0x09}));
    const auto heard = input_.WaitFor(MIM_LONGDATA, 4);
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard[3].Data, UnitSysex(0, {0x03, 0x09, 0x00})) << "the reply made while stopped";
    CloseInput();
}

TEST_F(VirtualUnitPlatform, NoCallbackAfterCloseReturns) {
    TUnitOptions options;
    options.AnswerDelayMs = 100;
    Start(options, 4, 4096);
    Send(UnitSysex(0, {0x52})); // 200 dumps, still to come
    CloseInput();
    const std::size_t count = input_.Count();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(input_.Count(), count);
}

TEST_F(VirtualUnitPlatform, CloseWaitsForARunningCallback) {
    Start(TUnitOptions{}, 2, 4096);
    input_.slowCallback = 150ms;
    Send(UnitSysex(0, {0x43, 0x00}));
    std::this_thread::sleep_for(30ms); // the worker is now inside the slow callback
    ASSERT_EQ(platform_->midiInReset(in_), MMSYSERR_NOERROR);
    const auto events = input_.All();
    ASSERT_GE(events.size(), 2u) << "reset returned only after the running callback";
    EXPECT_EQ(events[1].Data, UnitSysex(0, {0x03, 0x00, 0x00}));
    for (auto& b : buffers_)
        platform_->midiInUnprepareHeader(in_, &b->Header);
    EXPECT_EQ(platform_->midiInClose(in_), MMSYSERR_NOERROR);
}

TEST_F(VirtualUnitPlatform, ResetDropsWhatArrivedWithTheMessageBeingDelivered) {
    TUnitOptions options;
    options.Faults.Interleave = true; // the reply comes after active sensing and a controller
    Start(options, 2, 4096);
    input_.slowCallback = 150ms;
    Send(UnitSysex(0, {0x43, 0x00}));
    std::this_thread::sleep_for(30ms); // inside the callback of the active sensing byte
    ASSERT_EQ(platform_->midiInReset(in_), MMSYSERR_NOERROR);
    EXPECT_LE(input_.WaitFor(MIM_DATA, 2, 0ms).size(), 1u) << "nothing after the one in progress";
    for (const auto& returned : input_.WaitFor(MIM_LONGDATA, 2, 0ms))
        EXPECT_TRUE(returned.Data.empty());
    for (auto& b : buffers_)
        platform_->midiInUnprepareHeader(in_, &b->Header);
    EXPECT_EQ(platform_->midiInClose(in_), MMSYSERR_NOERROR);
}

TEST_F(VirtualUnitPlatform, ClosingOutputFinishesBlocksStillOnTheCable) {
    TUnitOptions options;
    options.WirePacing = true;
    Start(options, 1, 4096);
    // A reply on its way back is no block of the output: it still arrives.
    Send(UnitSysex(0, {0x45}));
    std::this_thread::sleep_for(20ms);
    Bytes dump = StoredDump(3);
    MIDIHDR* block = Send(dump); // about 80 ms on the cable
    EXPECT_EQ(platform_->midiOutUnprepareHeader(out_, block), MIDIERR_STILLPLAYING);
    ASSERT_EQ(platform_->midiOutClose(out_), MMSYSERR_NOERROR);
    const auto replies = input_.WaitFor(MIM_LONGDATA, 1, 1s);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Data, StoredDump(0));
    EXPECT_EQ(output_.WaitFor(MOM_DONE, 2, 0ms).size(), 2u);
    EXPECT_TRUE(block->dwFlags & MHDR_DONE);
    EXPECT_EQ(platform_->midiOutUnprepareHeader(out_, block), MMSYSERR_NOERROR);
    std::this_thread::sleep_for(120ms);
    EXPECT_EQ(output_.WaitFor(MOM_DONE, 3, 0ms).size(), 2u) << "done exactly once";
    CloseInput();
}

TEST_F(VirtualUnitPlatform, RefusesWhatTheMultimediaApiRefuses) {
    Start(TUnitOptions{}, 0, 0);
    HMIDIIN in2 = nullptr;
    HMIDIOUT out2 = nullptr;
    EXPECT_EQ(platform_->midiInOpen(&in2, 0, nullptr, 0, 0), MMSYSERR_ALLOCATED);
    EXPECT_EQ(platform_->midiOutOpen(&out2, 0, nullptr, 0, 0), MMSYSERR_ALLOCATED);
    EXPECT_EQ(platform_->midiInOpen(&in2, 1, nullptr, 0, 0), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(platform_->midiOutOpen(&out2, 0, nullptr, 0, 0x50000), MMSYSERR_INVALFLAG);

    TBuffer raw(16);
    EXPECT_EQ(platform_->midiInAddBuffer(in_, &raw.Header), MIDIERR_UNPREPARED);
    EXPECT_EQ(platform_->midiOutLongMsg(out_, &raw.Header), MIDIERR_UNPREPARED);
    TBuffer empty(0);
    EXPECT_EQ(platform_->midiInPrepareHeader(in_, &empty.Header), MMSYSERR_INVALPARAM);
    EXPECT_EQ(platform_->midiInStart(reinterpret_cast<HMIDIIN>(out_)), MMSYSERR_INVALHANDLE);

    char text[128];
    EXPECT_EQ(platform_->midiInGetErrorText(MMSYSERR_ALLOCATED, text, sizeof text),
              MMSYSERR_NOERROR);
    EXPECT_NE(std::strstr(text, "already in use"), nullptr);
    char tiny[8];
    EXPECT_EQ(platform_->midiOutGetErrorText(MIDIERR_UNPREPARED, tiny, sizeof tiny),
              MMSYSERR_NOERROR);
    EXPECT_EQ(std::strlen(tiny), 7u);
    EXPECT_NE(platform_->midiOutGetErrorText(999, text, sizeof text), MMSYSERR_NOERROR);

    ASSERT_EQ(platform_->midiInClose(in_), MMSYSERR_NOERROR);
    EXPECT_EQ(platform_->midiInClose(in_), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(platform_->midiOutClose(out_), MMSYSERR_NOERROR);
    EXPECT_EQ(platform_->midiOutShortMsg(out_, 0x90), MMSYSERR_INVALHANDLE);
}

} // namespace
