#pragma once
// Real MIDI devices through RtMidi: every API RtMidi was built with that can
// start here (ALSA sequencer, JACK, CoreMIDI, WinMM) contributes its ports;
// one that cannot start contributes none, silently. Each opened device gets
// its own RtMidi client; RtMidi's callback thread is the platform thread.
#include "midi/midi_platform.h"

#include <memory>
#include <string>
#include <vector>

namespace mm {

class TRtMidiPlatform : public IMidiPlatform {
public:
    // apiNames: RtMidi API names ("alsa", "jack", "core", "winmm") in the order
    // their devices are listed; empty = every compiled API, ALSA before JACK.
    explicit TRtMidiPlatform(std::string clientName = "HRZ2000e",
                             std::vector<std::string> apiNames = {});
    ~TRtMidiPlatform() override;

    // Reads the device lists again; device ids may change, so only between sessions.
    void Refresh();

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
    void RefreshDevices() override { Refresh(); }

    struct TInPort;
    struct TOutPort;
    struct TDevice;

private:
    TInPort* FindIn(HMIDIIN handle) const;
    TOutPort* FindOut(HMIDIOUT handle) const;

    std::string clientName_;
    std::vector<int> apis_; // RtMidi::Api values
    std::vector<TDevice> inputs_;
    std::vector<TDevice> outputs_;
    std::vector<std::unique_ptr<TInPort>> openIn_;
    std::vector<std::unique_ptr<TOutPort>> openOut_;
};

} // namespace mm

using mm::TRtMidiPlatform;
