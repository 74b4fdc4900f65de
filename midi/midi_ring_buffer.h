#pragma once
// Fixed-capacity FIFO between the MIDI callback thread (the one producer) and
// the window thread (the one consumer). The count is the only shared value: the
// producer writes an item before its increment makes it visible, the consumer
// finishes reading before its decrement hands the slot back. No locks, and no
// allocation after construction.
#include "midi/midi_platform.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>

struct TMidiRingItem {
    std::uint32_t Time = 0;        // ms since the input was started
    std::uint32_t Message = 0;     // packed short message (status in the low byte); 0 for sysex
    mm::MIDIHDR* Header = nullptr; // filled sysex buffer; null for short messages
};

static_assert(std::is_trivially_copyable_v<TMidiRingItem> &&
              std::is_trivially_destructible_v<TMidiRingItem>);

class TMidiRingBuffer {
public:
    // Throws std::bad_alloc when the storage cannot be had.
    explicit TMidiRingBuffer(std::uint16_t capacity);
    TMidiRingBuffer(const TMidiRingBuffer&) = delete;
    TMidiRingBuffer& operator=(const TMidiRingBuffer&) = delete;

    // Producer side: false (and nothing stored) when full.
    bool Put(const TMidiRingItem& item) noexcept;
    // Consumer side: copies the oldest item; false when empty.
    bool Peek(TMidiRingItem& item) const noexcept;
    // Consumer side: drops the oldest item; false when empty.
    bool Remove() noexcept;

    std::uint16_t Count() const noexcept { return count_.load(); }
    std::uint16_t Capacity() const noexcept { return capacity_; }

private:
    // Raw storage: each slot is written before it is read, so a large ring
    // costs no memory until it fills.
    struct TFreeSlots {
        void operator()(TMidiRingItem* items) const noexcept { ::operator delete(items); }
    };
    const std::uint16_t capacity_;
    std::unique_ptr<TMidiRingItem[], TFreeSlots> slots_;
    std::uint16_t nextPut_ = 0; // producer only
    std::uint16_t nextGet_ = 0; // consumer only
    std::atomic<std::uint16_t> count_{0};
    static_assert(std::atomic<std::uint16_t>::is_always_lock_free);
};
