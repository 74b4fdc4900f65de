#pragma once
// Asking the virtual unit for what hrzctl's tests and sample files are made of:
// a request in the unit's frame, and its reply blocks as one byte string.
#include "unit/virtual_unit.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

inline std::vector<std::uint8_t> UnitRequest(const THrzVirtualUnit& unit,
                                             std::initializer_list<std::uint8_t> body) {
    std::vector<std::uint8_t> bytes{0xF0, 0x1A, unit.Options().Channel, 0x12};
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(0xF7);
    return bytes;
}

inline std::vector<std::uint8_t> Concatenated(const std::vector<TReplyBlock>& blocks) {
    std::vector<std::uint8_t> all;
    for (const auto& block : blocks)
        all.insert(all.end(), block.begin(), block.end());
    return all;
}
