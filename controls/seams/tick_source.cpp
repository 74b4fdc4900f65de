#include "controls/seams/tick_source.h"

#include <chrono>

namespace {

class TSteadyTickSource : public ITickSource {
public:
    std::uint32_t Now() override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<std::uint32_t>(ms.count());
    }
};

ITickSource* g_tickSource = nullptr;

} // namespace

std::uint32_t tick::GetTickCount() {
    static TSteadyTickSource steady;
    return (g_tickSource ? g_tickSource : &steady)->Now();
}

void SetTickSource(ITickSource* source) {
    g_tickSource = source;
}
