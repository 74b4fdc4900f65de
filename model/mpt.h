#pragma once
// One MIDI program table: which preset each incoming program-change number selects.
// The table dump and the .mpt file share one byte layout.
#include "model/hrz_messages.h"

#include <array>
#include <cstdint>

class TStream;

class Tmpt {
public:
    static constexpr int MaxEntries = 200;
    static constexpr int ExpressEntryCount = 200;
    static constexpr int PreExpressEntryCount = 128;
    static constexpr std::uint8_t ExpressCommand = HrzMessages::CmdMptDump;
    static constexpr std::uint8_t PreExpressCommand = HrzMessages::CmdMptDumpPreExpress;

    std::uint8_t SysexStart = HrzMessages::SysexStart;
    std::uint8_t MakerId = HrzMessages::MakerId;
    std::uint8_t DeviceId = 0;
    std::uint8_t ModelId = HrzMessages::ModelId;
    std::uint8_t Command = ExpressCommand;
    // Entry i: 0-based preset index that program change i selects. Always 200 slots;
    // the older model uses only the first 128 and leaves the rest untouched.
    std::array<std::int32_t, MaxEntries> Entries{};
    std::uint8_t SysexEnd = HrzMessages::SysexEnd;

    // A new table of the given model: current DeviceChannel, the model's command
    // byte, identity mapping.
    explicit Tmpt(bool preExpress);
    // The same for the mode the program is in (the window code's tables).
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
