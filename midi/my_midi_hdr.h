#pragma once
// One long-message header with the data buffer it points at.
#include "midi/midi_platform.h"

#include <cstdint>
#include <memory>

class TMyMidiHdr {
public:
    // size 0 gives a header without a buffer.
    explicit TMyMidiHdr(std::uint32_t size) : size_(size) {
        if (size != 0) {
            data_ = std::make_unique<std::uint8_t[]>(size);
            Header.lpData = data_.get();
            Header.dwBufferLength = size;
        }
        Header.dwUser = reinterpret_cast<std::uintptr_t>(this);
    }
    TMyMidiHdr(const TMyMidiHdr&) = delete;
    TMyMidiHdr& operator=(const TMyMidiHdr&) = delete;

    // The object that owns a header handed back by the platform.
    static TMyMidiHdr* FromHeader(const mm::MIDIHDR* header) {
        return header ? reinterpret_cast<TMyMidiHdr*>(header->dwUser) : nullptr;
    }

    std::uint32_t Size() const { return size_; }

    mm::MIDIHDR Header{};

private:
    std::uint32_t size_;
    std::unique_ptr<std::uint8_t[]> data_;
};
