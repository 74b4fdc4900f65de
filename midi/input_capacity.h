#pragma once
// How many received items an input port's ring must hold.
#include <cstdint>
#include <limits>

// MIDI 1.0 carries 31,250 bits a second, ten bits a byte: 1,041.7
// three-byte messages a second.
inline constexpr double kMidiWireMessagesPerSecond = 31250.0 / 10.0 / 3.0;

// Ring slots for `seconds` of input at `multiple` times the wire rate.
constexpr std::uint16_t InputCapacityFor(double multiple, double seconds) {
    const double items = kMidiWireMessagesPerSecond * multiple * seconds;
    const auto whole = static_cast<std::uint32_t>(items);
    return static_cast<std::uint16_t>(whole < items ? whole + 1 : whole);
}

// The workbench's input: half a second at 100 times the wire rate, so that
// the window thread may stall that long under a flood without losing a message.
inline constexpr std::uint16_t kWorkbenchInputCapacity = InputCapacityFor(100, 0.5);
static_assert(kMidiWireMessagesPerSecond * 100 * 0.5 <= std::numeric_limits<std::uint16_t>::max(),
              "the ring's count is 16 bits");
