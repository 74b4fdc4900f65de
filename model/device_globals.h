#pragma once
// Application-wide values that the records read when they build dumps. The
// main window sets them; everything else only reads them.
#include <cstdint>

// Channel byte (byte 2) of every message to and from the unit, 0..15.
inline std::uint8_t DeviceChannel = 0;
// The older single-bank model: other command codes, shorter program table, fewer groups.
inline bool PreExpressMode = false;
// Pause after each request to the unit, milliseconds.
inline int RequestDelay = 1000;
