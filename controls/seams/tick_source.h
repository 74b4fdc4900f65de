#pragma once
// Millisecond tick count of the system, replaceable so that waits and
// watchdogs can be driven by tests. Standard library only.
#include <cstdint>

class ITickSource {
public:
    virtual ~ITickSource() = default;
    // Milliseconds since an arbitrary start; wraps around like a 32-bit counter.
    virtual std::uint32_t Now() = 0;
};

namespace tick {
// The installed source's current count (the steady clock unless a test installed
// another). In a namespace: Windows declares a GetTickCount of its own.
std::uint32_t GetTickCount();
} // namespace tick
// Installs a source (not owned); nullptr restores the steady clock.
void SetTickSource(ITickSource* source);
