#pragma once
// Real MIDI devices through RtMidi: every API RtMidi was built with that can
// start here (ALSA sequencer, JACK, CoreMIDI, WinMM) contributes its ports;
// one that cannot start contributes none, silently. Each opened device gets
// its own RtMidi client; RtMidi's callback thread is the platform thread.
#include "midi/midi_backend.h"

#include <memory>
#include <string>
#include <vector>

namespace mm {

class TRtMidiPlatform : public TMidiBackend {
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
    std::uint32_t midiOutGetNumDevs() override;
    MMRESULT midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) override;
    void RefreshDevices() override { Refresh(); }

    struct TRtInPort;
    struct TRtOutPort;
    struct TDevice;

private:
    // Each opened device is a client of its own, so one device may be opened twice.
    bool OpensOnce() const override { return false; }
    MMRESULT OpenInput(TLock& lock, std::uint32_t deviceId,
                       std::unique_ptr<TInPort>& port) override;
    MMRESULT OpenOutput(TLock& lock, int deviceId, std::unique_ptr<TOutPort>& port) override;
    void Starting(TLock& lock, TInPort& port) override;
    void Stopping(TLock& lock, TInPort& port) override;
    void ClosingInput(TLock& lock, TInPort& port) override;
    MMRESULT ClosingOutput(TLock& lock, TOutPort& port) override;
    MMRESULT SendShort(TLock& lock, TOutPort& port, std::uint32_t message) override;
    MMRESULT SendLong(TLock& lock, TOutPort& port, MIDIHDR* header) override;

    std::string clientName_;
    std::vector<int> apis_; // RtMidi::Api values
    std::vector<TDevice> inputs_;
    std::vector<TDevice> outputs_;
};

} // namespace mm

using mm::TRtMidiPlatform;
