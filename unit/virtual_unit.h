#pragma once
// A model of the HRZ2000 as seen from its MIDI sockets: bytes in, bytes out.
// It obeys and answers the unit's message set on its own channel, ignores
// everything else as the hardware does, and keeps its memory in a state file.
#include "unit/midi_byte_parser.h"
#include "unit/unit_memory.h"
#include "unit/unit_options.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using TReplyBlock = std::vector<std::uint8_t>;

class THrzVirtualUnit {
public:
    // Command bytes of the unit's system-exclusive messages. Written out here on
    // purpose rather than taken from model/hrz_messages.h: the unit is a second,
    // independent reading of the message set, so a wrong byte in either shows up
    // when the program's tests talk to the unit.
    static constexpr std::uint8_t CmdItemValue = 0x03;
    static constexpr std::uint8_t CmdPresetDump = 0x05;
    static constexpr std::uint8_t CmdPresetSelect = 0x09;
    static constexpr std::uint8_t CmdStore = 0x0A;
    static constexpr std::uint8_t CmdItemRequest = 0x43;
    static constexpr std::uint8_t CmdCurrentPresetRequest = 0x45;
    static constexpr std::uint8_t ItemBypass = 0;
    static constexpr std::uint8_t ItemBank = 9;
    static constexpr std::uint8_t ItemPresetNumber = 64;

    using TClock = std::chrono::steady_clock;
    // Changes reach the state file at most this often while they keep coming.
    static constexpr std::chrono::seconds SaveInterval{1};

    // Loads the memory from options.StatePath (factory state when there is none).
    explicit THrzVirtualUnit(TUnitOptions options);
    // Writes what is not saved yet, the current selection and bypass included.
    ~THrzVirtualUnit();
    THrzVirtualUnit(const THrzVirtualUnit&) = delete;
    THrzVirtualUnit& operator=(const THrzVirtualUnit&) = delete;

    // Bytes as they arrive on the unit's MIDI in, in any split. Returns what the
    // unit puts on its MIDI out in answer, one block per message, faults applied.
    std::vector<TReplyBlock> Receive(const std::uint8_t* bytes, std::size_t count);
    std::vector<TReplyBlock> Receive(const std::vector<std::uint8_t>& bytes) {
        return Receive(bytes.data(), bytes.size());
    }

    const TUnitOptions& Options() const { return options_; }
    const THrzUnitMemory& Memory() const { return memory_; }
    // Text of the last failed save, empty when the last save worked.
    const std::string& LastSaveError() const { return lastSaveError_; }
    // What the user should know about the memory file found at start (it was
    // damaged and set aside), empty when all was well.
    const std::string& StartNotice() const { return startNotice_; }
    // Writes the memory now (when it has a state file).
    void SaveState();
    // When stored presets or the table are due to be written; nullopt when
    // nothing waits. A change is written at once unless the last write is less
    // than SaveInterval ago; then it waits for SaveIfDue.
    std::optional<TClock::time_point> SaveDue() const { return saveDue_; }
    // Writes when a save is due at `now`.
    void SaveIfDue(TClock::time_point now);

    std::uint8_t AllPresetsRequestCommand() const;
    std::uint8_t TableRequestCommand() const;
    std::uint8_t TableDumpCommand() const { return Tmpt::MptCommand(options_.PreExpress); }
    int TableDumpLength() const { return Tmpt::MptDumpLength(options_.PreExpress); }

private:
    void HandleMessage(const TParsedMidiMessage& message, std::vector<TReplyBlock>& replies);
    void HandleSysex(const std::vector<std::uint8_t>& bytes, std::vector<TReplyBlock>& replies);
    void HandleChannelMessage(const std::vector<std::uint8_t>& bytes);
    void AnswerItem(std::uint8_t item, std::vector<TReplyBlock>& replies) const;
    void SetItem(std::uint8_t item, std::uint8_t value);
    void SelectPreset(int index);
    TReplyBlock PresetDumpReply(const TPresetDumpBytes& dump) const;
    TReplyBlock TableDumpReply() const;
    void ApplyFaults(std::vector<TReplyBlock>& replies);
    void MemoryChanged();

    TUnitOptions options_;
    std::string startNotice_; // filled while memory_ loads, so declared before it
    THrzUnitMemory memory_;
    TMidiByteParser parser_;
    int bankSelectCoarse_ = 0; // controller 0
    int bankSelectFine_ = 0;   // controller 32
    bool selectionDirty_ = false;
    bool memoryDirty_ = false;
    std::optional<TClock::time_point> saveDue_;
    std::optional<TClock::time_point> lastSave_;
    unsigned long replyCount_ = 0;
    std::string lastSaveError_;
};
