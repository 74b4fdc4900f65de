#pragma once
// When bytes leave a MIDI cable: 31,250 baud, ten bits a byte, one byte after
// the other. Each direction of a cable is one TWireTiming.
#include <chrono>
#include <cstddef>

class TWireTiming {
public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::chrono::microseconds ByteTime{320};

    explicit TWireTiming(bool paced = false, std::chrono::milliseconds delay = {})
        : paced_(paced), delay_(delay) {}

    // When a block of count bytes, ready at `ready`, has fully arrived at the other
    // end: after the answer delay, after whatever is still on the cable, and after
    // its own transmission time when paced.
    TClock::time_point Transmit(TClock::time_point ready, std::size_t count) {
        auto start = std::max(ready + delay_, free_);
        const auto done = paced_ ? start + ByteTime * static_cast<long>(count) : start;
        free_ = done;
        return done;
    }

private:
    bool paced_;
    std::chrono::milliseconds delay_;
    TClock::time_point free_{};
};
