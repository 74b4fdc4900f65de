#include "unit/reply_backlog.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(ReplyBacklog, AFloodIsBoundedDroppedCountedAndSaidOnce) {
    TWireTiming wire(true); // 320 us a byte, as on the cable
    TReplyBacklog backlog(wire);
    const auto start = TReplyBacklog::TClock::now();
    const TReplyBacklog::TMessage bulk(50400, 0x11); // one bank's bulk dump
    int kept = 0;
    for (int request = 0; request < 400; ++request)
        kept += backlog.Add(start, bulk) ? 1 : 0;
    EXPECT_EQ(kept, static_cast<int>(TReplyBacklog::MaxBytes / bulk.size()));
    EXPECT_LE(backlog.Bytes(), TReplyBacklog::MaxBytes);
    // A small reply still fits where a bulk dump does not.
    EXPECT_TRUE(backlog.Add(start, TReplyBacklog::TMessage(8, 0x22)));

    const auto first = backlog.TakeWarnings(start);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0], std::to_string(400 - kept) +
                            " replies were dropped: requests arrive faster than MIDI can answer "
                            "them, and the unit's output buffer (1024 KB) is full");
    (void)backlog.Add(start, bulk); // one more dropped while the flood lasts
    EXPECT_TRUE(backlog.TakeWarnings(start).empty());

    // In cable order, each when it has left the cable.
    EXPECT_EQ(backlog.NextDue(), start + TWireTiming::ByteTime * 50400);
    EXPECT_EQ(backlog.TakeDue(start + TWireTiming::ByteTime * 50399).size(), 0u);
    const auto due = backlog.TakeDue(start + TWireTiming::ByteTime * 50400 * 2);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0], bulk);
    (void)backlog.TakeDue(start + 1h);
    EXPECT_EQ(backlog.Bytes(), 0u);
    EXPECT_FALSE(backlog.NextDue().has_value());
    // Emptied, but the flood may go on: nothing more is said until it is quiet.
    EXPECT_TRUE(backlog.TakeWarnings(start + TReplyBacklog::FloodQuiet - 1ms).empty());
    const auto last = backlog.TakeWarnings(start + TReplyBacklog::FloodQuiet);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0], std::to_string(400 - kept + 1) +
                           " replies were dropped in all while the output buffer was full");
    EXPECT_TRUE(backlog.TakeWarnings(start + 1h).empty());
    EXPECT_TRUE(backlog.Add(start + 1h, bulk)); // room again
}

TEST(ReplyBacklog, FillsToTheLastByteOfTheBufferAndNoFurther) {
    TWireTiming wire(true);
    TReplyBacklog backlog(wire);
    const auto now = TReplyBacklog::TClock::now();
    EXPECT_TRUE(backlog.Add(now, TReplyBacklog::TMessage(TReplyBacklog::MaxBytes - 1, 0x11)));
    EXPECT_TRUE(backlog.Add(now, TReplyBacklog::TMessage(1, 0x22)));
    EXPECT_FALSE(backlog.Add(now, TReplyBacklog::TMessage(1, 0x33)));
    EXPECT_EQ(backlog.Bytes(), TReplyBacklog::MaxBytes);
    // One drop is said once; with none after it, the quiet adds no total.
    const auto said = backlog.TakeWarnings(now);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind("1 reply was dropped: requests arrive", 0), 0u) << said[0];
    EXPECT_TRUE(backlog.TakeWarnings(now + TReplyBacklog::FloodQuiet).empty());
}
