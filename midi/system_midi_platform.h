#pragma once
// The devices of this machine: a composite whose first backend holds the
// RtMidi devices. The program appends the virtual unit with AddBackend before
// it creates any port.
#include "midi/composite_midi_platform.h"

TCompositeMidiPlatform& SystemMidiPlatform();
