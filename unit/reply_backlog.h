#pragma once
// The replies the unit has made and not yet sent, each with the moment it has
// left the cable. Bounded as a real unit's output buffer is: a flood of
// requests (dozens of bulk requests per JACK cycle) would otherwise queue
// hours of MIDI and gigabytes. A reply that does not fit is dropped, counted,
// and said once per flood.
#include "unit/wire_timing.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TReplyBacklog {
public:
    using TClock = TWireTiming::TClock;
    using TMessage = std::vector<std::uint8_t>;
    // Four banks' bulk dumps fit several times over (one is about 50 KB).
    static constexpr std::size_t MaxBytes = 1024 * 1024;

    explicit TReplyBacklog(TWireTiming& wire) : wire_(wire) {}

    // Queues a reply ready at `ready` behind the others on the cable; false
    // when it was dropped because the backlog is full.
    bool Add(TClock::time_point ready, TMessage reply);
    std::optional<TClock::time_point> NextDue() const;
    // The replies that have left the cable by now, in order.
    std::vector<TMessage> TakeDue(TClock::time_point now);
    std::size_t Bytes() const { return bytes_; }
    // Once when replies start being dropped, and once more when the flood is
    // over (nothing dropped for FloodQuiet) if more were dropped after that.
    std::vector<std::string> TakeWarnings(TClock::time_point now);
    static constexpr std::chrono::seconds FloodQuiet{5};

private:
    TWireTiming& wire_;
    std::multimap<TClock::time_point, TMessage> queue_;
    std::size_t bytes_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedSaid_ = 0;
    TClock::time_point lastDrop_{};
};
