#pragma once
// One preset of the unit and its 252-byte dump (also the whole content of a .hrz file).
#include "model/hrz_messages.h"
#include "model/perf_midi.h"

#include <array>
#include <cstdint>
#include <string>

class TStream;

class TPreset {
public:
    static constexpr int DumpSize = static_cast<int>(HrzMessages::PresetDumpLength);
    static constexpr int ParamCount = 52;
    static constexpr int FirstDigitalSlot = 34;
    static constexpr int DigitalSlotCount = 18;
    static constexpr int TitleLength = 16;
    static constexpr int PerfCount = 8;
    static constexpr int FB7Count = 10;
    static constexpr int AnalogCount = 11;
    static constexpr int DigitalActiveCount = 5;

    static constexpr std::uint8_t SysexStart = HrzMessages::SysexStart;
    static constexpr std::uint8_t MakerId = HrzMessages::MakerId;
    static constexpr std::uint8_t ModelId = HrzMessages::ModelId;
    static constexpr std::uint8_t PresetDumpCommand = HrzMessages::CmdPresetDump;
    static constexpr std::uint8_t SysexEnd = HrzMessages::SysexEnd;

    // Dump offsets.
    static constexpr int OffsetParams = 17;
    static constexpr int OffsetTitle = 121;
    static constexpr int OffsetPerfEnabled = 153;
    static constexpr int OffsetPerfEntries = 155;
    static constexpr int PerfEntrySize = 12;

    std::array<std::uint8_t, 5> Header{};
    std::array<bool, FB7Count> FB7States{};
    std::array<int, ParamCount> Params{};
    // Latin-1 bytes, at most 16 meaningful characters.
    std::string Title;
    std::array<bool, PerfCount> PerfEnabled{};
    std::array<TPerfMIDI, PerfCount> PerfMIDI{};
    std::uint8_t Trailer = SysexEnd;
    std::array<std::uint8_t, DumpSize> LoadedDump{};
    bool HasLoadedDump = false;

    // A new preset, its header carrying the current DeviceChannel.
    TPreset();

    // Reads a dump from the start of the stream. Throws EReadError ("Stream read error")
    // on a short stream and EInvalidData ("Not a valid preset file") on a wrong header;
    // either way the record keeps its fields.
    void ReadDump(TStream& stream);
    // Writes the 252 bytes at the stream's position.
    void WriteDump(TStream& stream) const;
    // The 252 bytes WriteDump would write.
    std::array<std::uint8_t, DumpSize> DumpBytes() const;
    // True when the record no longer reproduces LoadedDump byte for byte.
    bool IsChanged() const;

    int DigitalGroup() const { return digitalGroup_; }
    void SetDigitalGroup(int group) { digitalGroup_ = group; }
    bool AnalogSelect(int i) const;
    void SetAnalogSelect(int i, bool value);
    bool DigitalActive(int j) const;
    void SetDigitalActive(int j, bool value);
    // checkbox: 0..9 in the editor's order (Exciter, Compressor, Distortion, Equalizer,
    // Expander/Noise gate, Reverb, Delay, Pitch Transposer, Flanger/Chorus, Special Effects).
    void SetFB7State(int checkbox, bool value);
    bool FB7State(int checkbox) const;
    static int FB7Position(int checkbox);

    // Catalogue number (0..163) of the parameter performance entry k drives, read
    // through the current digital group.
    int ResolvePerfParam(int k) const;

    static bool TestBit(std::uint8_t byte, int bit);
    // True when the bytes look like a preset dump (length and header bytes 0, 1, 3, 4).
    static bool IsPresetDump(const std::uint8_t* bytes, std::size_t length);

private:
    std::array<bool, AnalogCount> analogSelect_{};
    std::array<bool, DigitalActiveCount> digitalActive_{};
    int digitalGroup_ = -1;
};

// Title of a preset dump: the first byte of each of the 16 character pairs, with
// leading and trailing control characters and blanks removed. Bytes beyond count
// read as blanks.
std::string PresetTitle(const std::uint8_t* bytes, std::size_t count);
