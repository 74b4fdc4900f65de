#pragma once
// How a run reaches the unit: the main window's ports and waits, or a test's
// virtual unit. Replies come back in two ways: the owner hands each incoming
// event to the run that is active, or a run that waits for one reply reads
// the input itself (while it does, the owner keeps out).
#include "midi/midi_event.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class IUnitLink {
public:
    virtual ~IUnitLink() = default;
    // Throws "MIDI Out device not available" without an output port.
    virtual void SendLong(const std::vector<std::uint8_t>& bytes) = 0;
    virtual void SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;
    virtual bool OutputOpen() const = 0;
    // The next event waiting at the input, nullptr when none is.
    virtual std::unique_ptr<TMyMidiEvent> ReadEvent() = 0;
    // Drops what waits at the input: it cannot be the answer to what comes next.
    virtual void DiscardInput() = 0;
    // Waits with the window's events flowing, so replies are handed in meanwhile.
    virtual void Wait(std::uint32_t ms) = 0;
    // The tick count (tick::GetTickCount).
    virtual std::uint32_t Now() = 0;
    // Runs action once the handler that asked has returned, errors shown.
    virtual void Later(std::function<void()> action) = 0;
};
