#pragma once
// The bytes the program exchanges with the unit: the frame, the command codes,
// a builder for every message it sends and the tests by which it classifies
// what comes back. The records (preset, program table) and the window build on
// these; the virtual unit reads the same messages from a table of its own.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace HrzMessages {

using TBytes = std::vector<std::uint8_t>;

constexpr std::uint8_t SysexStart = 0xF0;
constexpr std::uint8_t MakerId = 0x1A;
constexpr std::uint8_t ModelId = 0x12;
constexpr std::uint8_t SysexEnd = 0xF7;

constexpr std::uint8_t CmdItemValue = 0x03;
constexpr std::uint8_t CmdPresetDump = 0x05;
constexpr std::uint8_t CmdPresetSelect = 0x09;
constexpr std::uint8_t CmdStore = 0x0A;
constexpr std::uint8_t CmdMptDumpPreExpress = 0x0C;
constexpr std::uint8_t CmdMptDump = 0x13;
constexpr std::uint8_t CmdItemRequest = 0x43;
constexpr std::uint8_t CmdCurrentPresetRequest = 0x45;
constexpr std::uint8_t CmdAllPresetsRequestPreExpress = 0x4B;
constexpr std::uint8_t CmdMptRequestPreExpress = 0x4C;
constexpr std::uint8_t CmdAllPresetsRequest = 0x52;
constexpr std::uint8_t CmdMptRequest = 0x53;

constexpr std::uint8_t ItemBypass = 0;
constexpr std::uint8_t ItemBank = 9;
constexpr std::uint8_t ItemPresetNumber = 64;

constexpr std::uint8_t ControlChange = 0xB0; // MIDI channel 1, whatever the device channel
constexpr std::uint8_t ProgramChange = 0xC0;
constexpr std::uint8_t BankSelectCoarse = 0x00;
constexpr std::uint8_t BankSelectFine = 0x20;

constexpr std::size_t PresetDumpLength = 252;

// Commands that differ on the older model.
std::uint8_t AllPresetsRequestCommand(bool preExpress);
std::uint8_t MptRequestCommand(bool preExpress);
std::uint8_t MptDumpCommand(bool preExpress);
std::size_t MptDumpLength(bool preExpress);

// F0 1A channel 12 command arguments... F7.
TBytes Sysex(std::uint8_t channel, std::uint8_t command,
             std::initializer_list<std::uint8_t> arguments = {});

// A 0-based preset number 0..255 as it travels: low 7 bits and a high flag.
struct TWirePresetNumber {
    std::uint8_t Low = 0;
    std::uint8_t High = 0;
};
TWirePresetNumber WirePresetNumber(int index);

// The messages the program sends, on the unit's channel.
TBytes CurrentPresetRequest(std::uint8_t channel);
TBytes AllPresetsRequest(std::uint8_t channel, bool preExpress);
TBytes MptRequest(std::uint8_t channel, bool preExpress);
TBytes ItemRequest(std::uint8_t channel, std::uint8_t item);
TBytes BankItemValue(std::uint8_t channel, std::uint8_t bank);
TBytes BypassItemValue(std::uint8_t channel, bool on);
// Selects the preset of 0-based index 0..255.
TBytes PresetSelect(std::uint8_t channel, int index);
// Stores the edit buffer at the 1-based location 1..256.
TBytes StorePreset(std::uint8_t channel, int location);

// A three-byte channel message.
struct TShortMessage {
    std::uint8_t Status = 0;
    std::uint8_t Data1 = 0;
    std::uint8_t Data2 = 0;
    bool operator==(const TShortMessage&) const = default;
};
// Bank select (coarse 0, fine the high flag) and program change (the low part)
// that select the preset of 0-based index 0..255 through the program table.
std::array<TShortMessage, 3> ProgramSelect(int index);

// The frame of an item value message from the unit (the channel byte is not looked at).
bool IsItemValueReply(const std::uint8_t* bytes, std::size_t count);
bool IsPresetDump(const std::uint8_t* bytes, std::size_t count);
bool IsMptDump(const std::uint8_t* bytes, std::size_t count, bool preExpress);

// 1-based preset number of an item 64 reply: low part + 1, plus 128 for the high flag.
int ReportedPresetNumber(std::uint8_t low, std::uint8_t highFlag);

} // namespace HrzMessages
