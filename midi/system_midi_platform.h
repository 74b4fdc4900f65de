#pragma once
// The devices of this machine: a composite, empty until the program adds its
// backends before it creates any port (the RtMidi module's devices first,
// then the virtual unit).
#include "midi/composite_midi_platform.h"

TCompositeMidiPlatform& SystemMidiPlatform();
