#pragma once
// The virtual unit behind a cable that loses chosen messages on the way to it:
// a message the test picks reaches the unit on a channel it does not listen to.
#include "midi/forwarding_midi_platform.h"
#include "unit/virtual_unit_platform.h"

#include <functional>
#include <memory>
#include <vector>

namespace mm {

class TLosingPlatform : public TForwardingMidiPlatform {
public:
    // Returns true for a system-exclusive message that is to be lost.
    using TLose = std::function<bool(const std::vector<std::uint8_t>& bytes)>;

    TLosingPlatform(TVirtualUnitMidiPlatform& unit, TLose lose)
        : TForwardingMidiPlatform(unit), lose_(std::move(lose)) {}

    int Lost() const { return lost_; }

    MMRESULT midiOutLongMsg(HMIDIOUT h, MIDIHDR* hdr) override {
        std::uint8_t* data = hdr->lpData;
        const std::vector<std::uint8_t> bytes(data, data + hdr->dwBufferLength);
        if (bytes.size() > 3 && lose_(bytes)) {
            data[2] = 0x0F; // a channel nobody listens to: the unit never sees it
            ++lost_;
        }
        return TForwardingMidiPlatform::midiOutLongMsg(h, hdr);
    }

private:
    TLose lose_;
    int lost_ = 0;
};

} // namespace mm

using mm::TLosingPlatform;
