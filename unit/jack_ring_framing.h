#pragma once
// Messages through a JACK ring buffer between the process thread and the main
// thread: each one a 32-bit length and its bytes, written in one piece, so
// the reader sees a whole message or none. Lock-free and, on the reading side
// of the process thread, allocation-free.
#include <jack/ringbuffer.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace JackRing {

using TLength = std::uint32_t;

// False (and nothing written) when the message does not fit now.
bool Write(jack_ringbuffer_t* ring, const std::uint8_t* bytes, std::size_t length);
// Length of the next whole message; false when none is complete yet.
bool PeekLength(jack_ringbuffer_t* ring, TLength& length);
// Takes the next whole message; false when none is complete yet.
bool Read(jack_ringbuffer_t* ring, std::vector<std::uint8_t>& message);
// Reads the next message into target (length bytes, from PeekLength).
void ReadInto(jack_ringbuffer_t* ring, std::uint8_t* target, TLength length);
// Drops the next message (length from PeekLength).
void Skip(jack_ringbuffer_t* ring, TLength length);

} // namespace JackRing
