#pragma once
// One MIDI program table: which preset each incoming program-change number selects.
// The table dump and the .mpt file share one byte layout.
#include <array>
#include <cstdint>

class TStream;

class Tmpt {
public:
    static constexpr int MaxEntries = 200;
    static constexpr int ExpressEntryCount = 200;
    static constexpr int PreExpressEntryCount = 128;
    static constexpr std::uint8_t ExpressCommand = 0x13;
    static constexpr std::uint8_t PreExpressCommand = 0x0C;

    std::uint8_t SysexStart = 0xF0;
    std::uint8_t MakerId = 0x1A;
    std::uint8_t DeviceId = 0;
    std::uint8_t ModelId = 0x12;
    std::uint8_t Command = ExpressCommand;
    // Entry i: 0-based preset index that program change i selects. Always 200 slots;
    // the older model uses only the first 128 and leaves the rest untouched.
    std::array<std::int32_t, MaxEntries> Entries{};
    std::uint8_t SysexEnd = 0xF7;

    // A new table: current DeviceChannel and the current mode's command byte,
    // identity mapping.
    Tmpt();

    // Program change n selects preset n.
    void SetDefaults();

    // Reads one dump of the given model from the start of the stream. A short stream
    // throws the stream's read error and leaves the table unchanged. No byte is
    // validated here.
    void LoadFromStream(TStream& stream, bool preExpress);
    // Writes one dump at the stream's position.
    void SaveToStream(TStream& stream, bool preExpress) const;

    static int MptEntryCount(bool preExpress);
    static int MptDumpLength(bool preExpress);
    static std::uint8_t MptCommand(bool preExpress);
};
