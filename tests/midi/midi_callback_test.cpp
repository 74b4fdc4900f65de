#include "midi/midi_callback.h"

#include <gtest/gtest.h>

#include <vector>

using namespace mm;

namespace {

struct TPosted {
    std::uint32_t Message;
    std::uintptr_t LParam;
    std::uint32_t Session;
};
std::vector<TPosted> posted;

void Record(void* /*window*/, std::uint32_t message, std::uintptr_t lParam, std::uint32_t session) {
    posted.push_back({message, lParam, session});
}

class MidiCallbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        posted.clear();
        info.Ring = &ring;
        info.Post = &Record;
        info.Session = 7;
    }
    void Call(std::uint32_t message, std::uintptr_t p1, std::uintptr_t p2 = 0) {
        MidiPortCallback(nullptr, message, reinterpret_cast<std::uintptr_t>(&info), p1, p2);
    }
    TMidiRingBuffer ring{2};
    TMidiCallbackInfo info;
    MIDIHDR header;
};

} // namespace

TEST_F(MidiCallbackTest, ClockAndActiveSensingNeverReachTheRing) {
    Call(MIM_DATA, 0xF8);
    Call(MIM_DATA, 0xFE);
    info.SysexOnly = true;
    Call(MIM_DATA, 0xFE);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_TRUE(posted.empty());
}

TEST_F(MidiCallbackTest, SysexOnlyDropsShortMessagesButNotBlocks) {
    info.SysexOnly = true;
    Call(MIM_DATA, 0x643C90, 5);
    EXPECT_EQ(ring.Count(), 0);
    Call(MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(&header), 9);
    TMidiRingItem item;
    ASSERT_TRUE(ring.Peek(item));
    EXPECT_EQ(item.Header, &header);
    EXPECT_EQ(item.Message, 0u);
    EXPECT_EQ(item.Time, 9u);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].Message, MIDI_NOTIFY_DATA);
    EXPECT_EQ(posted[0].LParam, 0u);
}

TEST_F(MidiCallbackTest, ShortMessageIsStoredAsDeliveredAndPosted) {
    Call(MIM_DATA, 0x643C90, 0x1234);
    TMidiRingItem item;
    ASSERT_TRUE(ring.Peek(item));
    EXPECT_EQ(item.Message, 0x643C90u);
    EXPECT_EQ(item.Time, 0x1234u);
    EXPECT_EQ(item.Header, nullptr);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].Session, 7u);
}

TEST_F(MidiCallbackTest, FullRingPostsOverflowWithTheLostBuffer) {
    Call(MIM_DATA, 0x90);
    Call(MIM_DATA, 0x91);
    Call(MIM_DATA, 0x92);
    Call(MIM_LONGERROR, reinterpret_cast<std::uintptr_t>(&header));
    ASSERT_EQ(posted.size(), 3u); // one data notice covers both stored items
    EXPECT_EQ(posted[0].Message, MIDI_NOTIFY_DATA);
    EXPECT_EQ(posted[1].Message, MIDI_NOTIFY_OVERFLOW);
    EXPECT_EQ(posted[1].LParam, 0u);
    EXPECT_EQ(posted[2].Message, MIDI_NOTIFY_OVERFLOW);
    EXPECT_EQ(posted[2].LParam, reinterpret_cast<std::uintptr_t>(&header));
    EXPECT_EQ(ring.Count(), 2);
}

TEST_F(MidiCallbackTest, NextDataNoticeWaitsUntilTheWindowClearsTheFlag) {
    Call(MIM_DATA, 0x90);
    Call(MIM_DATA, 0x91);
    EXPECT_EQ(posted.size(), 1u);
    info.DataNoticePending = false; // the window thread starts draining
    ring.Remove();
    ring.Remove();
    Call(MIM_DATA, 0x92);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].Message, MIDI_NOTIFY_DATA);
}

TEST_F(MidiCallbackTest, OutputPortsOnlyHearAboutFinishedBlocks) {
    info.Ring = nullptr;
    Call(MIM_DATA, 0x90);
    Call(MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(&header));
    Call(MIM_OPEN, 0);
    Call(MIM_ERROR, 0x90);
    EXPECT_TRUE(posted.empty());
    Call(MOM_DONE, reinterpret_cast<std::uintptr_t>(&header));
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].Message, MIDI_NOTIFY_DONE);
    EXPECT_EQ(posted[0].LParam, reinterpret_cast<std::uintptr_t>(&header));
}

TEST_F(MidiCallbackTest, AMessageTheBackendCouldNotDeliverCountsAsALoss) {
    Call(MIM_ERROR, 0, 5);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].Message, MIDI_NOTIFY_OVERFLOW);
    EXPECT_EQ(posted[0].LParam, 0u);
    EXPECT_EQ(ring.Count(), 0u);
}
