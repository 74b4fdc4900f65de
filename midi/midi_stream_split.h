#pragma once
// Splits a block of MIDI bytes into whole messages for transports that take
// one message at a time, by the receiver rules of MIDI 1.0: running status
// expanded, realtime bytes (F8..FF) taken out as messages of their own wherever
// they stand, sysex from F0 to F7. What a receiver would throw away is dropped
// and counted: short messages that lack data bytes, sysex cut off by a status
// byte or by the end of the block, data bytes with no status, a stray F7 (which
// also ends running status).
#include <cstddef>
#include <cstdint>
#include <vector>

struct TMidiStreamSplit {
    std::vector<std::vector<std::uint8_t>> Messages;
    std::size_t IncompleteMessages = 0; // short messages and sysex left unfinished
    std::size_t StrayBytes = 0;         // data bytes with no status, stray F7
};

TMidiStreamSplit SplitMidiBlock(const std::uint8_t* bytes, std::size_t length);

// The whole messages only.
std::vector<std::vector<std::uint8_t>> SplitMidiStream(const std::uint8_t* bytes,
                                                       std::size_t length);

// Bytes a message with this status takes (1..3), 0 for F0 / F7 / data bytes.
std::size_t ShortMessageLength(std::uint8_t status);
