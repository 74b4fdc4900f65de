#include "app/hrz_messages.h"

#include "model/mpt.h"

namespace HrzMessages {

namespace {

bool HasFrame(const std::uint8_t* bytes, std::size_t count, std::uint8_t command) {
    return count >= 5 && bytes[0] == SysexStart && bytes[1] == MakerId && bytes[3] == ModelId &&
           bytes[4] == command;
}

} // namespace

std::uint8_t AllPresetsRequestCommand(bool preExpress) {
    return preExpress ? 0x4B : 0x52;
}

std::uint8_t MptRequestCommand(bool preExpress) {
    return preExpress ? 0x4C : 0x53;
}

std::uint8_t MptDumpCommand(bool preExpress) {
    return Tmpt::MptCommand(preExpress);
}

std::size_t MptDumpLength(bool preExpress) {
    return static_cast<std::size_t>(Tmpt::MptDumpLength(preExpress));
}

std::vector<std::uint8_t> Sysex(std::uint8_t channel, std::uint8_t command,
                                std::initializer_list<std::uint8_t> arguments) {
    std::vector<std::uint8_t> bytes;
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

std::string BankLetter(int bank) {
    return bank >= 0 && bank <= 3 ? std::string(1, "ABCD"[bank]) : std::string();
}

} // namespace HrzMessages
