#pragma once
// The bytes the main window exchanges with the unit: every message it builds
// and every test by which it classifies what comes back. Standard library only.
#include "model/preset.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace HrzMessages {

constexpr std::uint8_t SysexStart = 0xF0;
constexpr std::uint8_t MakerId = 0x1A;
constexpr std::uint8_t ModelId = 0x12;
constexpr std::uint8_t SysexEnd = 0xF7;

constexpr std::uint8_t CmdItemValue = 0x03;
constexpr std::uint8_t CmdPresetDump = 0x05;
constexpr std::uint8_t CmdPresetSelect = 0x09;
constexpr std::uint8_t CmdItemRequest = 0x43;
constexpr std::uint8_t CmdCurrentPresetRequest = 0x45;

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
std::vector<std::uint8_t> Sysex(std::uint8_t channel, std::uint8_t command,
                                std::initializer_list<std::uint8_t> arguments = {});

// A 0-based preset number 0..255 as it travels: low 7 bits and a high flag.
struct TWirePresetNumber {
    std::uint8_t Low = 0;
    std::uint8_t High = 0;
};
TWirePresetNumber WirePresetNumber(int index);

// The frame of an item value message from the unit (the channel byte is not looked at).
bool IsItemValueReply(const std::uint8_t* bytes, std::size_t count);
bool IsPresetDump(const std::uint8_t* bytes, std::size_t count);
bool IsMptDump(const std::uint8_t* bytes, std::size_t count, bool preExpress);
using ::PresetTitle; // the title of a preset dump, from the model

// 1-based preset number of an item 64 reply: low part + 1, plus 128 for the high flag.
int ReportedPresetNumber(std::uint8_t low, std::uint8_t highFlag);

// "ABCD"[bank], or an empty text for an unknown bank.
std::string BankLetter(int bank);

} // namespace HrzMessages
