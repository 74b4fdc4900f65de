#pragma once
// What the RtMidi backend does with each message RtMidi hands it, on RtMidi's
// thread. RtMidi's backends do not hand over whole MIDI messages alone: WinMM
// gives each filled sysex buffer as a message of its own (the rest of the sysex
// follows without F0), ALSA appends the next decoded event (a realtime byte, a
// note) to a sysex chunk that lacks its F7 and gives the rest of the sysex as
// the next message, CoreMIDI gives a sysex in several packets. So the bytes are
// parsed across messages: a sysex is gathered into the queued buffers in order,
// one callback per buffer (a sysex longer than a buffer takes the next, as with
// the multimedia API), realtime bytes are taken out of it, and short messages go
// out packed, running status expanded. Clock and active sensing never reach the
// ports. What cannot be delivered (a sysex that finds no buffer or is cut off,
// data bytes with no status) is reported as MIM_ERROR, one call per message lost.
#include "midi/midi_platform.h"

#include <cstdint>
#include <deque>

namespace mm {

class TRtMidiDelivery {
public:
    TRtMidiDelivery(MidiCallback callback, void* handle, std::uintptr_t instance)
        : Queue(ownQueue_), callback_(callback), handle_(handle), instance_(instance) {}
    // Fills the buffers of a queue kept elsewhere (the port's).
    TRtMidiDelivery(MidiCallback callback, void* handle, std::uintptr_t instance,
                    std::deque<MIDIHDR*>& queue)
        : Queue(queue), callback_(callback), handle_(handle), instance_(instance) {}
    TRtMidiDelivery(const TRtMidiDelivery&) = delete;
    TRtMidiDelivery& operator=(const TRtMidiDelivery&) = delete;

    void Deliver(const std::uint8_t* bytes, std::size_t length, std::uint32_t time);
    // Forgets a sysex or short message in progress (input reset); its buffer
    // goes back to the front of the queue.
    void Reset();

private:
    std::deque<MIDIHDR*> ownQueue_;

public:
    // The buffers waiting to be filled, oldest first.
    std::deque<MIDIHDR*>& Queue;
    // Messages lost since the port opened.
    std::uint32_t Lost() const { return lost_; }

    // The input buffer size RtMidi is asked for: the unit's dumps (252 and 406
    // bytes) arrive in one piece.
    static constexpr unsigned kRtMidiBufferSize = 4096;
    static constexpr unsigned kRtMidiBufferCount = 4;

private:
    void Call(std::uint32_t message, std::uintptr_t p1, std::uintptr_t p2);
    void Lose(std::uint32_t time);
    void SysexByte(std::uint8_t byte, std::uint32_t time);
    void StartSysex(std::uint32_t time);
    void EndSysex(bool complete, std::uint32_t time);
    void ShortByte(std::uint8_t byte, std::uint32_t time);

    MidiCallback callback_;
    void* handle_;
    std::uintptr_t instance_;

    enum class TSysex { None, Open, Discarding };
    TSysex sysex_ = TSysex::None;
    bool suspended_ = false;    // an event stands in the sysex's way until the next message
    MIDIHDR* header_ = nullptr; // the buffer the sysex fills
    std::uint8_t runningStatus_ = 0;
    std::uint8_t data_[2] = {};
    std::size_t have_ = 0;      // data bytes gathered
    std::size_t need_ = 0;      // data bytes the status takes
    bool shortPending_ = false; // a short message lacks data bytes
    std::uint32_t lost_ = 0;
};

} // namespace mm

using mm::TRtMidiDelivery;
