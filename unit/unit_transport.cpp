#include "unit/unit_transport.h"

std::vector<std::vector<std::uint8_t>> UnitWireMessages(const std::vector<std::uint8_t>& block) {
    std::vector<std::vector<std::uint8_t>> messages;
    std::vector<std::uint8_t> rest;
    rest.reserve(block.size());
    for (std::uint8_t b : block) {
        if (b >= 0xF8)
            messages.push_back({b});
        else
            rest.push_back(b);
    }
    if (!rest.empty())
        messages.push_back(std::move(rest));
    return messages;
}
