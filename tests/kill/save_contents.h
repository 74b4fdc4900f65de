#pragma once
// The two contents the kill test's saves alternate between, known to both sides.
#include "model/preset.h"
#include "unit/unit_memory.h"

#include <QString>

#include <cstdio>
#include <string>

// Two memories that differ in many places, so a half-written file shows.
inline void KillTestUnitMemories(THrzUnitMemory& a, THrzUnitMemory& b) {
    for (int bank = 0; bank < b.BankCount(); ++bank)
        for (int i = 0; i < THrzUnitMemory::PresetsPerBank; ++i)
            b.Preset(bank, i)[121] = static_cast<std::uint8_t>('A' + (i % 26));
    b.CurrentBank = 2;
    b.CurrentPreset = 123;
    a.CurrentPreset = 7;
}

inline QString KillTestSettingsValue(bool second) {
    return second ? QString(4000, QChar(u'b')) : QString("HRZ2000 virtual unit");
}

// Hex text of a buffer of 9,000 bytes (A) or 3,000 bytes (B).
inline std::string KillTestBufferText(bool second) {
    std::string text;
    char buf[4];
    const int count = second ? 3000 : 9000;
    for (int i = 0; i < count; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", (second ? 0x55 : i) & 0x7F);
        text += buf;
    }
    return text;
}
