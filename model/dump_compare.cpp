#include "model/dump_compare.h"

#include <algorithm>
#include <cstdio>

namespace DumpCompare {

std::vector<std::size_t> DifferingOffsets(const std::vector<std::uint8_t>& a,
                                          const std::vector<std::uint8_t>& b) {
    std::vector<std::size_t> offsets;
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i == ChannelOffset)
            continue;
        if (i >= a.size() || i >= b.size() || a[i] != b[i])
            offsets.push_back(i);
    }
    return offsets;
}

bool SameAsideChannel(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    return DifferingOffsets(a, b).empty();
}

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    if (at >= bytes.size())
        return "none";
    char text[4];
    std::snprintf(text, sizeof text, "%02X", bytes[at]);
    return text;
}

} // namespace

std::string DifferenceLines(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                            const std::string& nameA, const std::string& nameB,
                            std::size_t maxLines) {
    const auto offsets = DifferingOffsets(a, b);
    std::string text;
    for (std::size_t i = 0; i < offsets.size() && i < maxLines; ++i) {
        const std::size_t at = offsets[i];
        text += (i ? "\n" : "") + std::string("byte ") + std::to_string(at) + ": " + Hex(a, at) +
                " " + nameA + ", " + Hex(b, at) + " " + nameB;
    }
    if (offsets.size() > maxLines)
        text += "\nand " + std::to_string(offsets.size() - maxLines) + " more bytes";
    return text;
}

} // namespace DumpCompare
