#pragma once
// How a virtual unit behaves: model, channel, timing and deliberate faults.
#include <cstdint>
#include <string>

// Faults for exercising a librarian against a misbehaving unit. Counts are
// per reply block (each dump of a bulk dump is one block); 0 switches a fault off.
struct TUnitFaults {
    int DropEvery = 0;       // every n-th reply is never sent
    int TruncateEvery = 0;   // every n-th reply loses its second half, end byte included
    int CorruptEvery = 0;    // every n-th reply has one data byte changed
    bool Interleave = false; // unrelated messages between replies, realtime bytes inside them
    bool Silent = false;     // obeys everything, answers nothing

    bool Any() const { return DropEvery || TruncateEvery || CorruptEvery || Interleave || Silent; }
};

struct TUnitOptions {
    bool PreExpress = false;
    // Channel byte of its system-exclusive messages and MIDI channel of the short
    // messages it obeys, 0..15.
    std::uint8_t Channel = 0;
    // Obey bank select and program change on any MIDI channel.
    bool Omni = false;
    // Pause between the end of a request and the start of its answer.
    int AnswerDelayMs = 0;
    // Let replies take the time they take on a real cable.
    bool WirePacing = false;
    TUnitFaults Faults;
    // Where the unit keeps its memory between runs; empty keeps it in memory only.
    std::string StatePath;
};
