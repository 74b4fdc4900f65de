#pragma once
// Comparing preset dumps as the unit holds them: the channel byte (byte 2) says
// which unit sent a dump, not what it holds, so it is left aside.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace DumpCompare {

constexpr std::size_t ChannelOffset = 2;

// Offsets at which the dumps differ, the channel byte aside. Where one dump is
// longer, its extra offsets count as differing.
std::vector<std::size_t> DifferingOffsets(const std::vector<std::uint8_t>& a,
                                          const std::vector<std::uint8_t>& b);
bool SameAsideChannel(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// One line per differing byte, at most maxLines, then "and N more bytes":
// "byte 126: 23 stored, 22 read back" with the two names given.
std::string DifferenceLines(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                            const std::string& nameA, const std::string& nameB,
                            std::size_t maxLines = 16);

} // namespace DumpCompare
