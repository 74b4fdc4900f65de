#pragma once
// Application-wide values that the records read when they build dumps. The
// main window sets them; everything else only reads them.
#include <cstdint>

// Channel byte (byte 2) of every message to and from the unit, 0..15.
inline std::uint8_t DeviceChannel = 0;
// Pause after each request to the unit, milliseconds.
inline int RequestDelay = 1000;

namespace DeviceMode {
// Written only by SetPreExpressMode.
inline bool preExpress = false;
} // namespace DeviceMode

// The older single-bank model: other command codes, shorter program table, fewer groups.
// Read-only here: the active digital groups must change with it.
inline const bool& PreExpressMode = DeviceMode::preExpress;

// Switches the mode and the active digital group counts together.
void SetPreExpressMode(bool preExpress);

// The mode for one scope (a test, one hrzctl run); the previous one comes back at its end.
class TPreExpressScope {
public:
    explicit TPreExpressScope(bool preExpress) : saved_(PreExpressMode) {
        SetPreExpressMode(preExpress);
    }
    ~TPreExpressScope() { SetPreExpressMode(saved_); }
    TPreExpressScope(const TPreExpressScope&) = delete;
    TPreExpressScope& operator=(const TPreExpressScope&) = delete;

private:
    bool saved_;
};
