#pragma once
// Splits a raw MIDI byte stream into messages the way a receiver's UART logic
// does: running status, realtime bytes anywhere (also inside sysex), sysex
// split across any number of calls, and stray data bytes dropped.
#include <cstddef>
#include <cstdint>
#include <vector>

struct TParsedMidiMessage {
    enum class TKind {
        Channel,      // 0x80..0xEF with its data bytes (status always filled in)
        SystemCommon, // 0xF1..0xF6 with its data bytes
        Realtime,     // one byte 0xF8..0xFF
        Sysex,        // F0 ... F7, complete
        SysexAborted, // F0 ... cut off by another status byte (no F7)
    };
    TKind Kind = TKind::Channel;
    std::vector<std::uint8_t> Bytes;
};

class TMidiByteParser {
public:
    // A sysex block longer than this is garbage: it is dropped, never buffered whole.
    static constexpr std::size_t DefaultMaxSysex = 64 * 1024;

    explicit TMidiByteParser(std::size_t maxSysex = DefaultMaxSysex) : maxSysex_(maxSysex) {}

    // Appends every message completed by these bytes to out, in wire order.
    void Feed(const std::uint8_t* bytes, std::size_t count, std::vector<TParsedMidiMessage>& out);
    void Feed(const std::vector<std::uint8_t>& bytes, std::vector<TParsedMidiMessage>& out) {
        Feed(bytes.data(), bytes.size(), out);
    }

    // Forgets any partial message and the running status.
    void Reset();
    bool InSysex() const { return inSysex_; }

    // Data bytes that follow a channel or system-common status byte.
    static int DataByteCount(std::uint8_t status);

private:
    void AbortSysex(std::vector<TParsedMidiMessage>& out);

    std::size_t maxSysex_;
    bool inSysex_ = false;
    bool sysexOverflow_ = false;
    std::vector<std::uint8_t> sysex_;
    std::uint8_t runningStatus_ = 0; // 0 = none
    std::uint8_t data_[2] = {};
    int dataHave_ = 0;
    int dataNeed_ = 0;
    bool systemCommon_ = false;
};
