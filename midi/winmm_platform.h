#pragma once
// The devices of Windows straight over winmm, which the layer is shaped after:
// each call goes to its winmm twin. What differs is kept here: the layer's own
// MIDIHDR is mirrored by a system one for as long as it is prepared, and the
// system's callback is turned into the layer's (handles and headers are the
// layer's). Device names come as UTF-8 (from the wide capabilities).
#include "midi/midi_platform.h"

#ifdef _WIN32

struct TWinMMFunctions; // midi/winmm_functions.h

namespace mm {

class TWinMMPlatform : public IMidiPlatform {
public:
    // The system's winmm, or the given calls (not owned; tests).
    explicit TWinMMPlatform(const TWinMMFunctions* functions = nullptr);

    std::uint32_t midiInGetNumDevs() override;
    MMRESULT midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) override;
    MMRESULT midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiCallback callback,
                        std::uintptr_t instance, std::uint32_t flags) override;
    MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT midiInStart(HMIDIIN handle) override;
    MMRESULT midiInReset(HMIDIIN handle) override;
    MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT midiInClose(HMIDIIN handle) override;
    MMRESULT midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;

    std::uint32_t midiOutGetNumDevs() override;
    MMRESULT midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) override;
    MMRESULT midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                         std::uintptr_t instance, std::uint32_t flags) override;
    MMRESULT midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) override;
    MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT midiOutClose(HMIDIOUT handle) override;
    MMRESULT midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;

private:
    const TWinMMFunctions& system_;
};

// A device name of the system (UTF-16) as the layer keeps it: UTF-8 in at most
// MAXPNAMELEN - 1 bytes, cut only between characters.
void CopyDeviceName(const wchar_t* name, char (&target)[MAXPNAMELEN]);

} // namespace mm

using mm::TWinMMPlatform;

#endif
