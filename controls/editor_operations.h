#pragma once
// What the main window hands every dump editor it opens: the only ways an
// editor reaches the unit, and the program's status bar.
#include <QString>

#include <cstdint>
#include <functional>

class TStream;

struct TEditorOperations {
    // Sends bytes as one system-exclusive block through the output port.
    std::function<void(const std::uint8_t* bytes, std::uint16_t length)> SendLong;
    // Sends a whole stream from its start as one block; sets the status text.
    std::function<void(TStream& stream, QString& statusText)> SendStream;
    // The unit's current preset number 1..256, or -1 when it does not answer.
    std::function<int()> QueryCurrentPresetNumber;
    // Shows a text in the main window's status bar (where a printout went).
    std::function<void(const QString& text)> ShowStatus;
};
