#include "midi/midi_platform.h"

#include "midi/system_midi_platform.h"

#include <atomic>

namespace {
std::atomic<IMidiPlatform*> installedPlatform{nullptr};
}

TCompositeMidiPlatform& SystemMidiPlatform() {
    static TCompositeMidiPlatform system;
    return system;
}

IMidiPlatform& MidiPlatform() {
    IMidiPlatform* platform = installedPlatform.load();
    return platform ? *platform : SystemMidiPlatform();
}

void SetMidiPlatform(IMidiPlatform* platform) {
    installedPlatform.store(platform);
}
