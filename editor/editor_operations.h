#pragma once
// What the main window hands every dump editor it opens: the only ways an
// editor reaches the unit, and the program's status bar.
#include "model/errors.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class TStream;

// SendStream's failure when no output port is open: an editor that sends after
// every change says so once, not at every keystroke of a title.
class EOutputNotOpen : public EHrzError {
public:
    using EHrzError::EHrzError;
};

// How a store in the unit went.
struct TStoreReport {
    enum class TOutcome {
        NotChecked, // verification is off (or could not run); Text may say why
        Verified,   // read back and equal to what was stored, the channel byte aside
        Differs,    // read back with other bytes; Text names the location and bytes
        NoAnswer,   // nothing came back to check against
    };
    TOutcome Outcome = TOutcome::NotChecked;
    QString Text;
    bool Verified() const { return Outcome == TOutcome::Verified; }
};

struct TEditorOperations {
    // Sends bytes as one system-exclusive block through the output port.
    std::function<void(const std::uint8_t* bytes, std::uint16_t length)> SendLong;
    // Sends a whole stream from its start as one block; sets the status text.
    std::function<void(TStream& stream, QString& statusText)> SendStream;
    // The unit's current preset number 1..256, or -1 when it does not answer.
    std::function<int()> QueryCurrentPresetNumber;
    // Sends the store message for location (1..200 of the unit's current bank) and,
    // with verification on, reads the location back and compares it with sent (the
    // dump the editor sent first; empty when it sent none and the unit's own edit
    // buffer is stored). previous (1..256, -1 unknown) is selected again afterwards.
    std::function<TStoreReport(const std::vector<std::uint8_t>& storeMessage, int location,
                               const std::vector<std::uint8_t>& sent, int previous)>
        StoreInUnit;
    // "A 002", with what the unit holds there when it is known: "A 002 — now "Fat Solo A2"".
    std::function<QString(int location)> DescribeLocation;
    // Shows a text in the main window's status bar (where a printout went).
    std::function<void(const QString& text)> ShowStatus;
};
