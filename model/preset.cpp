#include "model/preset.h"

#include "model/device_globals.h"
#include "model/errors.h"
#include "model/split_byte.h"
#include "model/stream.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Maps the editor's FB7 checkbox order to the dump's flag positions.
constexpr int kFB7PositionOfCheckbox[TPreset::FB7Count] = {6, 7, 8, 0, 9, 1, 2, 3, 4, 5};

class DumpWriter {
public:
    explicit DumpWriter(std::array<std::uint8_t, TPreset::DumpSize>& out) : out_(out) {}
    void Byte(std::uint8_t b) { out_[pos_++] = b; }
    void Pair(int value) {
        TSplitByte split;
        split.Split(value);
        Byte(split.Low);
        Byte(split.High);
    }
    // Flags first..first+count-1 as weights 1, 2, 4, ... summed into one pair.
    template <std::size_t N> void Bits(const std::array<bool, N>& flags, int first, int count) {
        int sum = 0;
        for (int i = 0; i < count; ++i)
            if (flags[static_cast<std::size_t>(first + i)])
                sum += 1 << i;
        Pair(sum);
    }
    int Position() const { return pos_; }

private:
    std::array<std::uint8_t, TPreset::DumpSize>& out_;
    int pos_ = 0;
};

// Flag i of a pair: bits 0..6 of the low byte, bit 0 of the high byte for flag 7.
bool PairFlag(const std::uint8_t* pair, int i) {
    return i < 7 ? TPreset::TestBit(pair[0], i) : TPreset::TestBit(pair[1], 0);
}

int JoinAt(const std::array<std::uint8_t, TPreset::DumpSize>& d, int offset) {
    TSplitByte split;
    return split.Join(d[static_cast<std::size_t>(offset)], d[static_cast<std::size_t>(offset + 1)]);
}

} // namespace

TPreset::TPreset() {
    Header = {SysexStart, MakerId, DeviceChannel, ModelId, PresetDumpCommand};
    Params.fill(0);
    Params[0] = Params[1] = Params[2] = 31;
    static constexpr int kAnalogNew[31] = {0,  1, 1,  24, 3, 1, 3, 47, 23, 5, 1, 15, 15, 31, 10, 0,
                                           28, 5, 35, 15, 6, 6, 6, 6,  6,  6, 6, 0,  3,  3,  45};
    for (int i = 0; i < 31; ++i)
        Params[static_cast<std::size_t>(3 + i)] = kAnalogNew[i];
    Title = "My new preset";
}

bool TPreset::TestBit(std::uint8_t byte, int bit) {
    if (bit < 0 || bit > 7)
        throw std::logic_error("ERROR! Bit to check is out of range!");
    return (byte >> bit) & 1;
}

bool TPreset::IsPresetDump(const std::uint8_t* bytes, std::size_t length) {
    return length == DumpSize && bytes[0] == SysexStart && bytes[1] == MakerId &&
           bytes[3] == ModelId && bytes[4] == PresetDumpCommand;
}

bool TPreset::AnalogSelect(int i) const {
    return analogSelect_.at(static_cast<std::size_t>(i));
}
void TPreset::SetAnalogSelect(int i, bool value) {
    analogSelect_.at(static_cast<std::size_t>(i)) = value;
}
bool TPreset::DigitalActive(int j) const {
    return digitalActive_.at(static_cast<std::size_t>(j));
}
void TPreset::SetDigitalActive(int j, bool value) {
    digitalActive_.at(static_cast<std::size_t>(j)) = value;
}

int TPreset::FB7Position(int checkbox) {
    if (checkbox < 0 || checkbox >= FB7Count)
        throw std::out_of_range("FB7 checkbox index out of range");
    return kFB7PositionOfCheckbox[checkbox];
}
void TPreset::SetFB7State(int checkbox, bool value) {
    FB7States[static_cast<std::size_t>(FB7Position(checkbox))] = value;
}
bool TPreset::FB7State(int checkbox) const {
    return FB7States[static_cast<std::size_t>(FB7Position(checkbox))];
}

void TPreset::ReadDump(TStream& stream) {
    stream.SetPosition(0);
    stream.ReadBuffer(LoadedDump.data(), DumpSize);
    const auto& d = LoadedDump;
    if (d[0] != SysexStart || d[1] != MakerId || d[3] != ModelId || d[4] != PresetDumpCommand)
        throw EInvalidData("Not a valid preset file");

    HasLoadedDump = true;
    std::copy_n(d.begin(), Header.size(), Header.begin());

    for (int i = 0; i < 8; ++i)
        FB7States[static_cast<std::size_t>(i)] = PairFlag(&d[5], i);
    FB7States[8] = TestBit(d[7], 0);
    FB7States[9] = TestBit(d[7], 1);
    for (int i = 0; i < 8; ++i)
        analogSelect_[static_cast<std::size_t>(i)] = PairFlag(&d[9], i);
    for (int i = 0; i < 3; ++i)
        analogSelect_[static_cast<std::size_t>(8 + i)] = TestBit(d[11], i);
    digitalGroup_ = JoinAt(d, 13);
    for (int j = 0; j < DigitalActiveCount; ++j)
        digitalActive_[static_cast<std::size_t>(j)] = TestBit(d[15], j);
    for (int p = 0; p < ParamCount; ++p)
        Params[static_cast<std::size_t>(p)] = JoinAt(d, OffsetParams + 2 * p);

    std::string title(TitleLength, ' ');
    for (int n = 0; n < TitleLength; ++n)
        title[static_cast<std::size_t>(n)] =
            static_cast<char>(d[static_cast<std::size_t>(OffsetTitle + 2 * n)]);
    const auto isPad = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t first = 0, last = title.size();
    while (first < last && isPad(title[first]))
        ++first;
    while (last > first && isPad(title[last - 1]))
        --last;
    Title = title.substr(first, last - first);

    for (int k = 0; k < PerfCount; ++k)
        PerfEnabled[static_cast<std::size_t>(k)] = PairFlag(&d[OffsetPerfEnabled], k);
    for (int k = 0; k < PerfCount; ++k) {
        const int at = OffsetPerfEntries + PerfEntrySize * k;
        auto& e = PerfMIDI[static_cast<std::size_t>(k)];
        e.Controller = JoinAt(d, at);
        e.LowValue = JoinAt(d, at + 2);
        e.HighValue = JoinAt(d, at + 4);
        e.ParamNumber = JoinAt(d, at + 6);
        e.ExtraValue = JoinAt(d, at + 10);
        e.Enabled = PerfEnabled[static_cast<std::size_t>(k)];
    }
    Trailer = d[DumpSize - 1];
}

std::array<std::uint8_t, TPreset::DumpSize> TPreset::DumpBytes() const {
    std::array<std::uint8_t, DumpSize> out{};
    DumpWriter w(out);
    w.Byte(Header[0]);
    // Bytes inside the frame must stay below 0x80 or drivers cut the message short.
    for (int i = 1; i < 5; ++i)
        w.Byte(Header[static_cast<std::size_t>(i)] & 0x7F);
    w.Bits(FB7States, 0, 8);
    w.Bits(FB7States, 8, 2);
    w.Bits(analogSelect_, 0, 8);
    w.Bits(analogSelect_, 8, 3);
    w.Pair(digitalGroup_);
    w.Bits(digitalActive_, 0, DigitalActiveCount);
    for (int p : Params)
        w.Pair(p);
    for (int n = 0; n < TitleLength; ++n) {
        const auto c = static_cast<std::size_t>(n) < Title.size()
                           ? static_cast<unsigned char>(Title[static_cast<std::size_t>(n)])
                           : ' ';
        w.Byte(c < 0x80 ? c : '?');
        w.Byte(0x00);
    }
    w.Bits(PerfEnabled, 0, PerfCount);
    for (const auto& e : PerfMIDI) {
        w.Pair(e.Controller);
        w.Pair(e.LowValue);
        w.Pair(e.HighValue);
        w.Pair(e.ParamNumber);
        const bool drives = e.ParamNumber >= 1 && e.ParamNumber <= ParamCount;
        w.Pair(drives ? Params[static_cast<std::size_t>(e.ParamNumber - 1)] : 0);
        w.Pair(e.ExtraValue);
    }
    w.Byte(Trailer);
    return out;
}

void TPreset::WriteDump(TStream& stream) const {
    const auto bytes = DumpBytes();
    stream.WriteBuffer(bytes.data(), bytes.size());
}

bool TPreset::IsChanged() const {
    return HasLoadedDump && DumpBytes() != LoadedDump;
}

std::string PresetTitle(const std::uint8_t* bytes, std::size_t count) {
    std::string title;
    for (std::size_t i = 0; i < static_cast<std::size_t>(TPreset::TitleLength); ++i) {
        const std::size_t at = static_cast<std::size_t>(TPreset::OffsetTitle) + 2 * i;
        title += at < count ? static_cast<char>(bytes[at]) : ' ';
    }
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t first = 0;
    while (first < title.size() && isBlank(title[first]))
        ++first;
    std::size_t last = title.size();
    while (last > first && isBlank(title[last - 1]))
        --last;
    return title.substr(first, last - first);
}
