#include "unit/jack_ring_framing.h"

#include <cstring>

namespace JackRing {

bool Write(jack_ringbuffer_t* ring, const std::uint8_t* bytes, std::size_t length) {
    if (length > 0xFFFFFFFFu || jack_ringbuffer_write_space(ring) < sizeof(TLength) + length)
        return false;
    // Length and bytes in one write: the other thread sees both or neither.
    jack_ringbuffer_data_t space[2];
    jack_ringbuffer_get_write_vector(ring, space);
    const auto size = static_cast<TLength>(length);
    std::uint8_t head[sizeof size];
    std::memcpy(head, &size, sizeof size);
    std::size_t piece = 0, at = 0;
    const auto put = [&](const std::uint8_t* from, std::size_t count) {
        while (count > 0) {
            const std::size_t room = space[piece].len - at;
            const std::size_t n = count < room ? count : room;
            std::memcpy(space[piece].buf + at, from, n);
            from += n;
            count -= n;
            at += n;
            if (at == space[piece].len) {
                ++piece;
                at = 0;
            }
        }
    };
    put(head, sizeof head);
    put(bytes, length);
    jack_ringbuffer_write_advance(ring, sizeof(TLength) + length);
    return true;
}

bool PeekLength(jack_ringbuffer_t* ring, TLength& length) {
    return jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&length), sizeof length) ==
               sizeof length &&
           jack_ringbuffer_read_space(ring) >= sizeof length + length;
}

void ReadInto(jack_ringbuffer_t* ring, std::uint8_t* target, TLength length) {
    jack_ringbuffer_read_advance(ring, sizeof length);
    jack_ringbuffer_read(ring, reinterpret_cast<char*>(target), length);
}

void Skip(jack_ringbuffer_t* ring, TLength length) {
    jack_ringbuffer_read_advance(ring, sizeof length + length);
}

bool Read(jack_ringbuffer_t* ring, std::vector<std::uint8_t>& message) {
    TLength length = 0;
    if (!PeekLength(ring, length))
        return false;
    message.resize(length);
    ReadInto(ring, message.data(), length);
    return true;
}

} // namespace JackRing
