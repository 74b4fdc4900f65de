#pragma once
// A value 0..255 travels inside a system-exclusive dump as two 7-bit bytes,
// low byte first.
#include <cstdint>

class TSplitByte {
public:
    std::uint8_t Low = 0;
    std::uint8_t High = 0;

    // Both bytes always stay below 0x80, so a damaged value can never break
    // the sysex frame; for 0..255 this is the plain low-7-bits / bit-7 split.
    void Split(int value) {
        Low = static_cast<std::uint8_t>(value & 0x7F);
        High = static_cast<std::uint8_t>((value >> 7) & 0x7F);
    }
    int Join() const { return High * 128 + Low; }
    int Join(std::uint8_t low, std::uint8_t high) {
        Low = low;
        High = high;
        return Join();
    }
};
