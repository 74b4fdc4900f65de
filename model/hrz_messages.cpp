#include "model/hrz_messages.h"

#include "model/mpt.h"

namespace HrzMessages {

namespace {

bool HasFrame(const std::uint8_t* bytes, std::size_t count, std::uint8_t command) {
    return count >= 5 && bytes[0] == SysexStart && bytes[1] == MakerId && bytes[3] == ModelId &&
           bytes[4] == command;
}

} // namespace

std::uint8_t AllPresetsRequestCommand(bool preExpress) {
    return preExpress ? CmdAllPresetsRequestPreExpress : CmdAllPresetsRequest;
}

std::uint8_t MptRequestCommand(bool preExpress) {
    return preExpress ? CmdMptRequestPreExpress : CmdMptRequest;
}

std::uint8_t MptDumpCommand(bool preExpress) {
    return preExpress ? CmdMptDumpPreExpress : CmdMptDump;
}

std::size_t MptDumpLength(bool preExpress) {
    return static_cast<std::size_t>(Tmpt::MptDumpLength(preExpress));
}

TBytes Sysex(std::uint8_t channel, std::uint8_t command,
             std::initializer_list<std::uint8_t> arguments) {
    TBytes bytes;
    bytes.reserve(6 + arguments.size());
    for (const std::uint8_t b : {SysexStart, MakerId, channel, ModelId, command})
        bytes.push_back(b);
    for (const std::uint8_t b : arguments)
        bytes.push_back(b);
    bytes.push_back(SysexEnd);
    return bytes;
}

TWirePresetNumber WirePresetNumber(int index) {
    const auto n = static_cast<std::uint8_t>(index);
    return n <= 127 ? TWirePresetNumber{n, 0}
                    : TWirePresetNumber{static_cast<std::uint8_t>(n - 128), 1};
}

TBytes CurrentPresetRequest(std::uint8_t channel) {
    return Sysex(channel, CmdCurrentPresetRequest);
}

TBytes AllPresetsRequest(std::uint8_t channel, bool preExpress) {
    return Sysex(channel, AllPresetsRequestCommand(preExpress));
}

TBytes MptRequest(std::uint8_t channel, bool preExpress) {
    return Sysex(channel, MptRequestCommand(preExpress));
}

TBytes ItemRequest(std::uint8_t channel, std::uint8_t item) {
    return Sysex(channel, CmdItemRequest, {item});
}

TBytes BankItemValue(std::uint8_t channel, std::uint8_t bank) {
    return Sysex(channel, CmdItemValue, {ItemBank, bank});
}

TBytes BypassItemValue(std::uint8_t channel, bool on) {
    return Sysex(channel, CmdItemValue, {ItemBypass, static_cast<std::uint8_t>(on ? 1 : 0)});
}

TBytes PresetSelect(std::uint8_t channel, int index) {
    const TWirePresetNumber n = WirePresetNumber(index);
    return Sysex(channel, CmdPresetSelect, {n.Low, n.High});
}

TBytes StorePreset(std::uint8_t channel, int location) {
    const TWirePresetNumber n = WirePresetNumber(location - 1);
    return Sysex(channel, CmdStore, {n.Low, n.High});
}

std::array<TShortMessage, 3> ProgramSelect(int index) {
    const TWirePresetNumber n = WirePresetNumber(index);
    return {{{ControlChange, BankSelectCoarse, 0},
             {ControlChange, BankSelectFine, n.High},
             {ProgramChange, n.Low, 0}}};
}

bool IsItemValueReply(const std::uint8_t* bytes, std::size_t count) {
    return HasFrame(bytes, count, CmdItemValue);
}

bool IsPresetDump(const std::uint8_t* bytes, std::size_t count) {
    return count == PresetDumpLength && HasFrame(bytes, count, CmdPresetDump);
}

bool IsMptDump(const std::uint8_t* bytes, std::size_t count, bool preExpress) {
    return count == MptDumpLength(preExpress) && HasFrame(bytes, count, MptDumpCommand(preExpress));
}

int ReportedPresetNumber(std::uint8_t low, std::uint8_t highFlag) {
    return low + 1 + (highFlag == 1 ? 128 : 0);
}

} // namespace HrzMessages
