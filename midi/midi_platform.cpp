#include "midi/midi_platform.h"

#include "midi/rtmidi_platform.h"
#include "midi/system_midi_platform.h"

#include <atomic>

namespace {
std::atomic<IMidiPlatform*> installedPlatform{nullptr};
}

TCompositeMidiPlatform& SystemMidiPlatform() {
    struct TSystem {
        TCompositeMidiPlatform Composite;
        TSystem() { Composite.AddBackend(std::make_unique<TRtMidiPlatform>()); }
    };
    static TSystem system;
    return system.Composite;
}

IMidiPlatform& MidiPlatform() {
    IMidiPlatform* platform = installedPlatform.load();
    return platform ? *platform : SystemMidiPlatform();
}

void SetMidiPlatform(IMidiPlatform* platform) {
    installedPlatform.store(platform);
}
