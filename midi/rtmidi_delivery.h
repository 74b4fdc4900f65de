#pragma once
// What the RtMidi backend does with each message RtMidi hands it, on RtMidi's
// thread: a sysex fills the queued buffers in order, one callback per buffer
// (what finds no buffer is lost, as with the multimedia API); a short message
// goes out packed; clock and active sensing never reach the ports.
#include "midi/midi_platform.h"

#include <cstdint>
#include <deque>

namespace mm {

class TRtMidiDelivery {
public:
    TRtMidiDelivery(MidiCallback callback, void* handle, std::uintptr_t instance)
        : callback_(callback), handle_(handle), instance_(instance) {}

    void Deliver(const std::uint8_t* bytes, std::size_t length, std::uint32_t time);
    // The buffers waiting to be filled, oldest first.
    std::deque<MIDIHDR*> Queue;

private:
    void Call(std::uint32_t message, std::uintptr_t p1, std::uintptr_t p2);

    MidiCallback callback_;
    void* handle_;
    std::uintptr_t instance_;
};

} // namespace mm

using mm::TRtMidiDelivery;
