#pragma once
// Splits a block of MIDI bytes into whole messages for transports that take
// one message at a time: sysex up to its F7 (or up to the next status byte
// that ends it), channel messages by their length, running status expanded.
// Data bytes with no status to belong to are dropped, as a receiver would.
#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<std::vector<std::uint8_t>> SplitMidiStream(const std::uint8_t* bytes,
                                                       std::size_t length);

// Bytes a message with this status takes (1..3), 0 for F0 / F7 / data bytes.
std::size_t ShortMessageLength(std::uint8_t status);
