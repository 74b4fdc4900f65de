#pragma once
// A platform that hands every call to another one: derive from it to change a
// few calls on their way (a cable that loses messages, a slow device).
#include "midi/midi_platform.h"

namespace mm {

class TForwardingMidiPlatform : public IMidiPlatform {
public:
    explicit TForwardingMidiPlatform(IMidiPlatform& inner) : inner_(inner) {} // not owned

    std::uint32_t midiInGetNumDevs() override { return inner_.midiInGetNumDevs(); }
    MMRESULT midiInGetDevCaps(std::uint32_t id, MIDIINCAPS& caps) override {
        return inner_.midiInGetDevCaps(id, caps);
    }
    MMRESULT midiInOpen(HMIDIIN* h, std::uint32_t id, MidiCallback cb, std::uintptr_t inst,
                        std::uint32_t flags) override {
        return inner_.midiInOpen(h, id, cb, inst, flags);
    }
    MMRESULT midiInPrepareHeader(HMIDIIN h, MIDIHDR* hdr) override {
        return inner_.midiInPrepareHeader(h, hdr);
    }
    MMRESULT midiInAddBuffer(HMIDIIN h, MIDIHDR* hdr) override {
        return inner_.midiInAddBuffer(h, hdr);
    }
    MMRESULT midiInStart(HMIDIIN h) override { return inner_.midiInStart(h); }
    MMRESULT midiInReset(HMIDIIN h) override { return inner_.midiInReset(h); }
    MMRESULT midiInUnprepareHeader(HMIDIIN h, MIDIHDR* hdr) override {
        return inner_.midiInUnprepareHeader(h, hdr);
    }
    MMRESULT midiInClose(HMIDIIN h) override { return inner_.midiInClose(h); }
    MMRESULT midiInGetErrorText(MMRESULT c, char* t, std::uint32_t n) override {
        return inner_.midiInGetErrorText(c, t, n);
    }
    std::uint32_t midiOutGetNumDevs() override { return inner_.midiOutGetNumDevs(); }
    MMRESULT midiOutGetDevCaps(int id, MIDIOUTCAPS& caps) override {
        return inner_.midiOutGetDevCaps(id, caps);
    }
    MMRESULT midiOutOpen(HMIDIOUT* h, int id, MidiCallback cb, std::uintptr_t inst,
                         std::uint32_t flags) override {
        return inner_.midiOutOpen(h, id, cb, inst, flags);
    }
    MMRESULT midiOutShortMsg(HMIDIOUT h, std::uint32_t m) override {
        return inner_.midiOutShortMsg(h, m);
    }
    MMRESULT midiOutPrepareHeader(HMIDIOUT h, MIDIHDR* hdr) override {
        return inner_.midiOutPrepareHeader(h, hdr);
    }
    MMRESULT midiOutLongMsg(HMIDIOUT h, MIDIHDR* hdr) override {
        return inner_.midiOutLongMsg(h, hdr);
    }
    MMRESULT midiOutUnprepareHeader(HMIDIOUT h, MIDIHDR* hdr) override {
        return inner_.midiOutUnprepareHeader(h, hdr);
    }
    MMRESULT midiOutClose(HMIDIOUT h) override { return inner_.midiOutClose(h); }
    MMRESULT midiOutGetErrorText(MMRESULT c, char* t, std::uint32_t n) override {
        return inner_.midiOutGetErrorText(c, t, n);
    }
    void RefreshDevices() override { inner_.RefreshDevices(); }

private:
    IMidiPlatform& inner_;
};

} // namespace mm

using mm::TForwardingMidiPlatform;
