#pragma once
// Everything the unit remembers: its preset banks, the program table, which
// preset is current, the edit buffer and bypass. Persisted in a small binary
// file of our own with a checksum; anything unreadable gives factory state.
#include "model/mpt.h"
#include "model/preset.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using TPresetDumpBytes = std::array<std::uint8_t, TPreset::DumpSize>;

class THrzUnitMemory {
public:
    static constexpr int PresetsPerBank = 200;
    static constexpr int ExpressBankCount = 4;

    // Factory state of the model.
    explicit THrzUnitMemory(bool preExpress);

    bool PreExpress() const { return preExpress_; }
    int BankCount() const { return preExpress_ ? 1 : ExpressBankCount; }
    int TableEntryCount() const {
        return preExpress_ ? Tmpt::PreExpressEntryCount : Tmpt::ExpressEntryCount;
    }

    TPresetDumpBytes& Preset(int bank, int index);
    const TPresetDumpBytes& Preset(int bank, int index) const;

    Tmpt Table;
    int CurrentBank = 0;
    int CurrentPreset = 0; // 0-based
    bool Bypass = false;
    TPresetDumpBytes EditBuffer{};

    // Copies the current location into the edit buffer, as selecting a preset does.
    void RecallCurrent();

    std::vector<std::uint8_t> Serialize() const;
    // Replaces this memory with a serialized one of the same model. Returns false,
    // and changes nothing, when the bytes are damaged or belong to the other model.
    bool Deserialize(const std::vector<std::uint8_t>& bytes);

private:
    bool preExpress_;
    std::vector<TPresetDumpBytes> presets_;
};

// Where the unit keeps its memory unless told otherwise: the user's data folder
// (XDG_DATA_HOME or ~/.local/share, %APPDATA%, ~/Library/Application Support).
std::string DefaultUnitStatePath(bool preExpress);

// Loads the memory kept at path. A missing file gives factory state; a damaged
// one is set aside as path + ".damaged" and also gives factory state, and
// *notice (when given) says so and where it went.
THrzUnitMemory LoadUnitMemory(const std::string& path, bool preExpress,
                              std::string* notice = nullptr);
// Writes atomically, creating the folder; throws EFCreateError with the reason.
void SaveUnitMemory(const std::string& path, const THrzUnitMemory& memory);
