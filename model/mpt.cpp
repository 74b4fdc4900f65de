#include "model/mpt.h"

#include "model/device_globals.h"
#include "model/stream.h"

#include <vector>

Tmpt::Tmpt(bool preExpress) {
    DeviceId = DeviceChannel;
    Command = MptCommand(preExpress);
    SetDefaults();
    SysexEnd = HrzMessages::SysexEnd;
}

Tmpt::Tmpt() : Tmpt(PreExpressMode) {}

void Tmpt::SetDefaults() {
    for (int i = 0; i < MaxEntries; ++i)
        Entries[static_cast<std::size_t>(i)] = i;
}

int Tmpt::MptEntryCount(bool preExpress) {
    return preExpress ? PreExpressEntryCount : ExpressEntryCount;
}

int Tmpt::MptDumpLength(bool preExpress) {
    return 5 + 2 * MptEntryCount(preExpress) + 1;
}

std::uint8_t Tmpt::MptCommand(bool preExpress) {
    return preExpress ? PreExpressCommand : ExpressCommand;
}

void Tmpt::LoadFromStream(TStream& stream, bool preExpress) {
    const int count = MptEntryCount(preExpress);
    std::vector<std::uint8_t> d(static_cast<std::size_t>(MptDumpLength(preExpress)));
    stream.SetPosition(0);
    stream.ReadBuffer(d.data(), d.size()); // throws before anything is changed
    SysexStart = d[0];
    MakerId = d[1];
    DeviceId = d[2];
    ModelId = d[3];
    Command = d[4];
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(5 + 2 * i);
        Entries[static_cast<std::size_t>(i)] = d[at] + 128 * d[at + 1];
    }
    SysexEnd = d.back();
}

void Tmpt::SaveToStream(TStream& stream, bool preExpress) const {
    const int count = MptEntryCount(preExpress);
    std::vector<std::uint8_t> d;
    d.reserve(static_cast<std::size_t>(MptDumpLength(preExpress)));
    d.push_back(SysexStart);
    // Every byte inside the frame must stay below 0x80, whatever a damaged file held:
    // a stray status byte would cut the message short on the wire.
    for (std::uint8_t b : {MakerId, DeviceId, ModelId, Command})
        d.push_back(b & 0x7F);
    for (int i = 0; i < count; ++i) {
        const std::int32_t value = Entries[static_cast<std::size_t>(i)];
        d.push_back(static_cast<std::uint8_t>(value & 0x7F));
        d.push_back(static_cast<std::uint8_t>((value >> 7) & 0x7F));
    }
    d.push_back(SysexEnd);
    stream.WriteBuffer(d.data(), d.size());
}
