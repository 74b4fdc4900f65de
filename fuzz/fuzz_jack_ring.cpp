// The framing of the virtual unit's JACK rings: any sequence of writes and
// reads of any lengths, on a ring of any size, gives back exactly the messages
// written, in order, and never a part of one.
#include "fuzz/fuzz_input.h"
#include "unit/jack_ring_framing.h"

#include <cstdlib>
#include <deque>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    // 16 bytes to 64 KiB, rounded up to a power of two by JACK.
    jack_ringbuffer_t* ring = jack_ringbuffer_create(16u + input.Word());
    if (ring == nullptr)
        return 0;
    std::deque<std::vector<std::uint8_t>> sent;
    std::size_t queued = 0; // bytes in the ring, headers included
    const std::size_t capacity = ring->size - 1;
    std::vector<std::uint8_t> got;
    while (!input.Empty()) {
        const std::uint8_t op = input.Byte();
        if (op & 1) {
            std::size_t length = input.Byte();
            if (op & 2)
                length = length * 257 + input.Byte(); // up to 64 KiB
            std::vector<std::uint8_t> message = input.Take(length);
            message.resize(length, op);
            const bool fits = queued + sizeof(JackRing::TLength) + length <= capacity;
            if (JackRing::Write(ring, message.data(), message.size()) != fits)
                std::abort();
            if (fits) {
                queued += sizeof(JackRing::TLength) + length;
                sent.push_back(std::move(message));
            }
        } else {
            const bool any = JackRing::Read(ring, got);
            if (any != !sent.empty())
                std::abort();
            if (any) {
                if (got != sent.front())
                    std::abort();
                queued -= sizeof(JackRing::TLength) + got.size();
                sent.pop_front();
            }
        }
    }
    while (JackRing::Read(ring, got)) {
        if (sent.empty() || got != sent.front())
            std::abort();
        sent.pop_front();
    }
    if (!sent.empty())
        std::abort();
    jack_ringbuffer_free(ring);
    return 0;
}
