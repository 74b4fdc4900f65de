#pragma once
// The virtual unit behind a cable that loses chosen messages on the way to it:
// a message the test picks reaches the unit on a channel it does not listen to.
#include "unit/virtual_unit_platform.h"

#include <functional>
#include <memory>
#include <vector>

namespace mm {

class TLosingPlatform : public IMidiPlatform {
public:
    // Returns true for a system-exclusive message that is to be lost.
    using TLose = std::function<bool(const std::vector<std::uint8_t>& bytes)>;

    TLosingPlatform(TVirtualUnitMidiPlatform& unit, TLose lose)
        : unit_(unit), lose_(std::move(lose)) {}

    int Lost() const { return lost_; }

    std::uint32_t midiInGetNumDevs() override { return unit_.midiInGetNumDevs(); }
    MMRESULT midiInGetDevCaps(std::uint32_t id, MIDIINCAPS& caps) override {
        return unit_.midiInGetDevCaps(id, caps);
    }
    MMRESULT midiInOpen(HMIDIIN* h, std::uint32_t id, MidiCallback cb, std::uintptr_t inst,
                        std::uint32_t flags) override {
        return unit_.midiInOpen(h, id, cb, inst, flags);
    }
    MMRESULT midiInPrepareHeader(HMIDIIN h, MIDIHDR* hdr) override {
        return unit_.midiInPrepareHeader(h, hdr);
    }
    MMRESULT midiInAddBuffer(HMIDIIN h, MIDIHDR* hdr) override {
        return unit_.midiInAddBuffer(h, hdr);
    }
    MMRESULT midiInStart(HMIDIIN h) override { return unit_.midiInStart(h); }
    MMRESULT midiInReset(HMIDIIN h) override { return unit_.midiInReset(h); }
    MMRESULT midiInUnprepareHeader(HMIDIIN h, MIDIHDR* hdr) override {
        return unit_.midiInUnprepareHeader(h, hdr);
    }
    MMRESULT midiInClose(HMIDIIN h) override { return unit_.midiInClose(h); }
    MMRESULT midiInGetErrorText(MMRESULT c, char* t, std::uint32_t n) override {
        return unit_.midiInGetErrorText(c, t, n);
    }
    std::uint32_t midiOutGetNumDevs() override { return unit_.midiOutGetNumDevs(); }
    MMRESULT midiOutGetDevCaps(int id, MIDIOUTCAPS& caps) override {
        return unit_.midiOutGetDevCaps(id, caps);
    }
    MMRESULT midiOutOpen(HMIDIOUT* h, int id, MidiCallback cb, std::uintptr_t inst,
                         std::uint32_t flags) override {
        return unit_.midiOutOpen(h, id, cb, inst, flags);
    }
    MMRESULT midiOutShortMsg(HMIDIOUT h, std::uint32_t m) override {
        return unit_.midiOutShortMsg(h, m);
    }
    MMRESULT midiOutPrepareHeader(HMIDIOUT h, MIDIHDR* hdr) override {
        return unit_.midiOutPrepareHeader(h, hdr);
    }
    MMRESULT midiOutLongMsg(HMIDIOUT h, MIDIHDR* hdr) override {
        std::uint8_t* data = hdr->lpData;
        const std::vector<std::uint8_t> bytes(data, data + hdr->dwBufferLength);
        if (bytes.size() > 3 && lose_(bytes)) {
            data[2] = 0x0F; // a channel nobody listens to: the unit never sees it
            ++lost_;
        }
        return unit_.midiOutLongMsg(h, hdr);
    }
    MMRESULT midiOutUnprepareHeader(HMIDIOUT h, MIDIHDR* hdr) override {
        return unit_.midiOutUnprepareHeader(h, hdr);
    }
    MMRESULT midiOutClose(HMIDIOUT h) override { return unit_.midiOutClose(h); }
    MMRESULT midiOutGetErrorText(MMRESULT c, char* t, std::uint32_t n) override {
        return unit_.midiOutGetErrorText(c, t, n);
    }

private:
    TVirtualUnitMidiPlatform& unit_;
    TLose lose_;
    int lost_ = 0;
};

} // namespace mm

using mm::TLosingPlatform;
