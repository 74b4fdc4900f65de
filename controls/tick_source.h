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

// Test double: time moves only when told to, optionally a fixed step on every read
// so that loops waiting on the clock still finish.
class TManualTickSource : public ITickSource {
public:
    explicit TManualTickSource(std::uint32_t start = 0, std::uint32_t stepPerRead = 0)
        : now_(start), step_(stepPerRead) {}
    std::uint32_t Now() override {
        const std::uint32_t t = now_;
        now_ += step_;
        return t;
    }
    void Advance(std::uint32_t ms) { now_ += ms; }
    void SetStep(std::uint32_t ms) { step_ = ms; }

private:
    std::uint32_t now_;
    std::uint32_t step_;
};
