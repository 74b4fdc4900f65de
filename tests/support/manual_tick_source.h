#pragma once
#include "controls/seams/tick_source.h"

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
