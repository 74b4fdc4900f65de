#include "unit/unit_memory.h"

#include "model/errors.h"
#include "model/file_path.h"
#include "model/stream.h"
#include "unit/factory_presets.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr char kMagic[8] = {'H', 'R', 'Z', '2', '0', '0', '0', 'U'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderSize = 16;

std::uint32_t Fnv1a(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
    return hash;
}

std::size_t SerializedSize(int bankCount) {
    return kHeaderSize +
           static_cast<std::size_t>(bankCount) * THrzUnitMemory::PresetsPerBank *
               TPreset::DumpSize +
           2 * Tmpt::MaxEntries + 4;
}

#ifndef _WIN32
std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
#endif

} // namespace

namespace {

// Made once per model, the first time that model is asked for: every unit, and
// every test that makes one, starts from a copy.
const std::vector<TPresetDumpBytes>& FactoryMemory(bool preExpress) {
    static const auto make = [](bool pre) {
        std::vector<TPresetDumpBytes> presets;
        const int banks = pre ? 1 : THrzUnitMemory::ExpressBankCount;
        presets.reserve(static_cast<std::size_t>(banks * THrzUnitMemory::PresetsPerBank));
        for (int bank = 0; bank < banks; ++bank)
            for (int index = 0; index < THrzUnitMemory::PresetsPerBank; ++index)
                presets.push_back(FactoryPresetDump(bank, index, pre));
        return presets;
    };
    if (preExpress) {
        static const std::vector<TPresetDumpBytes> older = make(true);
        return older;
    }
    static const std::vector<TPresetDumpBytes> express = make(false);
    return express;
}

} // namespace

THrzUnitMemory::THrzUnitMemory(bool preExpress)
    : Table(preExpress), preExpress_(preExpress), presets_(FactoryMemory(preExpress)) {
    RecallCurrent();
}

TPresetDumpBytes& THrzUnitMemory::Preset(int bank, int index) {
    return presets_.at(static_cast<std::size_t>(bank * PresetsPerBank + index));
}

const TPresetDumpBytes& THrzUnitMemory::Preset(int bank, int index) const {
    return presets_.at(static_cast<std::size_t>(bank * PresetsPerBank + index));
}

void THrzUnitMemory::RecallCurrent() {
    EditBuffer = Preset(CurrentBank, CurrentPreset);
}

std::vector<std::uint8_t> THrzUnitMemory::Serialize() const {
    std::vector<std::uint8_t> out;
    out.reserve(SerializedSize(BankCount()));
    out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
    out.push_back(kVersion);
    out.push_back(preExpress_ ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(BankCount()));
    out.push_back(static_cast<std::uint8_t>(CurrentBank));
    out.push_back(static_cast<std::uint8_t>(CurrentPreset & 0xFF));
    out.push_back(static_cast<std::uint8_t>(CurrentPreset >> 8));
    out.push_back(Bypass ? 1 : 0);
    out.push_back(0);
    for (const auto& dump : presets_)
        out.insert(out.end(), dump.begin(), dump.end());
    for (std::int32_t entry : Table.Entries) {
        const auto value = static_cast<std::uint16_t>(entry);
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    const std::uint32_t sum = Fnv1a(out.data(), out.size());
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(sum >> shift));
    return out;
}

bool THrzUnitMemory::Deserialize(const std::vector<std::uint8_t>& bytes) {
    const int banks = BankCount();
    if (bytes.size() != SerializedSize(banks))
        return false;
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 || bytes[8] != kVersion ||
        bytes[9] != (preExpress_ ? 1 : 0) || bytes[10] != banks)
        return false;
    const std::size_t sumAt = bytes.size() - 4;
    std::uint32_t stored = 0;
    for (int i = 0; i < 4; ++i)
        stored |= static_cast<std::uint32_t>(bytes[sumAt + static_cast<std::size_t>(i)]) << (8 * i);
    if (stored != Fnv1a(bytes.data(), sumAt))
        return false;
    const int bank = bytes[11];
    const int current = bytes[12] | (bytes[13] << 8);
    if (bank >= banks || current >= PresetsPerBank || bytes[14] > 1)
        return false;

    std::vector<TPresetDumpBytes> presets(static_cast<std::size_t>(banks * PresetsPerBank));
    std::size_t at = kHeaderSize;
    for (auto& dump : presets) {
        std::memcpy(dump.data(), bytes.data() + at, dump.size());
        if (!TPreset::IsPresetDump(dump.data(), dump.size()) || dump.back() != 0xF7)
            return false;
        at += dump.size();
    }
    decltype(Table.Entries) entries{};
    for (auto& entry : entries) {
        entry = bytes[at] | (bytes[at + 1] << 8);
        at += 2;
    }

    presets_ = std::move(presets);
    Table.Entries = entries;
    CurrentBank = bank;
    CurrentPreset = current;
    Bypass = bytes[14] == 1;
    RecallCurrent();
    return true;
}

std::string DefaultUnitStatePath(bool preExpress) {
    namespace fs = std::filesystem;
    const char* file = preExpress ? "virtual-unit-pre-express.state" : "virtual-unit.state";
    fs::path base;
#if defined(_WIN32)
    const wchar_t* appData = _wgetenv(L"APPDATA"); // wide: the narrow one is the code page's
    base = fs::path(appData ? appData : L"") / "HRZ2000e";
#elif defined(__APPLE__)
    base = fs::path(EnvOrEmpty("HOME")) / "Library" / "Application Support" / "HRZ2000e";
#else
    const std::string xdg = EnvOrEmpty("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (!xdg.empty() && fs::path(xdg).is_absolute())
        base = fs::path(xdg) / "HRZ2000e";
    else
        base = fs::path(EnvOrEmpty("HOME")) / ".local" / "share" / "HRZ2000e";
#endif
    return Utf8FromPath(base / file);
}

THrzUnitMemory LoadUnitMemory(const std::string& path, bool preExpress, std::string* notice) {
    THrzUnitMemory memory(preExpress);
    if (path.empty())
        return memory;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(PathFromUtf8(path), ec))
        return memory; // missing, or not a file at all: saving will say why

    TReadLimits limits;
    limits.MaxBytes = SerializedSize(THrzUnitMemory::ExpressBankCount) + 1;
    std::string problem = "is damaged";
    bool ok = false;
    try {
        const auto bytes = ReadWholeFile(path, limits);
        ok = memory.Deserialize(bytes);
        if (!ok) {
            THrzUnitMemory other(!preExpress);
            if (other.Deserialize(bytes))
                problem = std::string("holds the memory of the ") +
                          (preExpress ? "Express" : "Pre-Express") + " model";
        }
    } catch (const EFileReadError& e) {
        if (e.Kind() != EFileReadError::TKind::TooLarge) {
            // Unreadable now (permissions): leave it where it is and say so.
            if (notice)
                *notice = "The virtual unit starts from factory state: its memory " + path +
                          " cannot be read (" + e.Reason() + ").";
            return memory;
        }
    } catch (const EHrzError&) {
        ok = false;
    }
    if (!ok) {
        // Keep the damaged file for inspection; the unit starts from factory state.
        // Each damaged file keeps a name of its own; an earlier one stays.
        std::string aside, failure;
        try {
            aside = MoveAside(path, ".damaged");
        } catch (const EHrzError& e) {
            failure = e.what();
        }
        if (notice)
            *notice = "The virtual unit starts from factory state: its memory " + path + " " +
                      problem +
                      (aside.empty() ? " and could not be moved aside (" + failure + ")."
                                     : " and was kept as " + aside + ".");
    }
    return memory;
}

void SaveUnitMemory(const std::string& path, const THrzUnitMemory& memory) {
    namespace fs = std::filesystem;
    const fs::path folder = PathFromUtf8(path).parent_path();
    std::error_code ec;
    if (!folder.empty())
        fs::create_directories(folder, ec);
    const auto bytes = memory.Serialize();
    WriteFileAtomically(path, bytes.data(), bytes.size());
}
