#include "midi/midi_ring_buffer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TMidiRingItem Item(std::uint32_t n) {
    return TMidiRingItem{n, n * 3, nullptr};
}

} // namespace

TEST(MidiRingBuffer, KeepsOrderAcrossWrapAndRefusesWhenFull) {
    TMidiRingBuffer ring(3);
    TMidiRingItem item;
    EXPECT_FALSE(ring.Peek(item));
    EXPECT_FALSE(ring.Remove());

    std::uint32_t next = 0;
    std::uint32_t expected = 0;
    for (int round = 0; round < 5; ++round) { // several trips around the slots
        while (ring.Put(Item(next)))
            ++next;
        EXPECT_EQ(ring.Count(), 3);
        ASSERT_TRUE(ring.Peek(item));
        EXPECT_EQ(item.Time, expected); // the refused item did not overwrite anything
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(ring.Peek(item));
            EXPECT_EQ(item.Time, expected);
            EXPECT_EQ(item.Message, expected * 3);
            ASSERT_TRUE(ring.Remove());
            ++expected;
        }
    }
    while (ring.Peek(item)) {
        EXPECT_EQ(item.Time, expected++);
        ring.Remove();
    }
    EXPECT_EQ(expected, next);
    EXPECT_EQ(ring.Count(), 0);
}

TEST(MidiRingBuffer, ZeroCapacityHoldsNothing) {
    TMidiRingBuffer ring(0);
    EXPECT_FALSE(ring.Put(Item(1)));
    TMidiRingItem item;
    EXPECT_FALSE(ring.Peek(item));
}

// One producer thread, one consumer thread: every item arrives once, in order.
TEST(MidiRingBuffer, SingleProducerSingleConsumerLosesNothing) {
    constexpr std::uint32_t kItems = 200000;
    TMidiRingBuffer ring(64);
    std::thread producer([&] {
        for (std::uint32_t n = 1; n <= kItems; ++n)
            while (!ring.Put(Item(n)))
                std::this_thread::yield();
    });
    std::uint32_t expected = 1;
    std::uint32_t wrong = 0;
    while (expected <= kItems) {
        TMidiRingItem item;
        if (!ring.Peek(item)) {
            std::this_thread::yield();
            continue;
        }
        if (item.Time != expected || item.Message != expected * 3)
            ++wrong;
        ring.Remove();
        ++expected;
    }
    producer.join();
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(ring.Count(), 0);
}
