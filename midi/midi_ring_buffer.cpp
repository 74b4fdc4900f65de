#include "midi/midi_ring_buffer.h"

TMidiRingBuffer::TMidiRingBuffer(std::uint16_t capacity)
    : capacity_(capacity), slots_(static_cast<TMidiRingItem*>(
                               ::operator new(sizeof(TMidiRingItem) * (capacity ? capacity : 1)))) {
}

bool TMidiRingBuffer::Put(const TMidiRingItem& item) noexcept {
    if (count_.load(std::memory_order_acquire) >= capacity_)
        return false;
    slots_[nextPut_] = item;
    nextPut_ = static_cast<std::uint16_t>(nextPut_ + 1 == capacity_ ? 0 : nextPut_ + 1);
    count_.fetch_add(1); // ordered before the producer's notice flag
    return true;
}

bool TMidiRingBuffer::Peek(TMidiRingItem& item) const noexcept {
    if (count_.load(std::memory_order_acquire) == 0)
        return false;
    item = slots_[nextGet_];
    return true;
}

bool TMidiRingBuffer::Remove() noexcept {
    if (count_.load(std::memory_order_acquire) == 0)
        return false;
    nextGet_ = static_cast<std::uint16_t>(nextGet_ + 1 == capacity_ ? 0 : nextGet_ + 1);
    count_.fetch_sub(1);
    return true;
}
