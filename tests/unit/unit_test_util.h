#pragma once
// Message builders shared by the unit's tests.
#include <cstdint>
#include <initializer_list>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// F0 1A ch 12 <body> F7
inline Bytes UnitSysex(std::uint8_t channel, std::initializer_list<std::uint8_t> body) {
    Bytes bytes;
    bytes.reserve(body.size() + 5);
    for (std::uint8_t b : {std::uint8_t{0xF0}, std::uint8_t{0x1A}, channel, std::uint8_t{0x12}})
        bytes.push_back(b);
    for (std::uint8_t b : body)
        bytes.push_back(b);
    bytes.push_back(0xF7);
    return bytes;
}
