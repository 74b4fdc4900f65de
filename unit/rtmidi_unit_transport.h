#pragma once
// The virtual unit on RtMidi virtual ports (the ALSA sequencer): ports
// NAME:MIDI in and NAME:MIDI out.
#include "unit/unit_transport.h"

#include <memory>

// api: an RtMidi::Api value. Throws std::runtime_error with RtMidi's reasons
// when the ports cannot be made.
std::unique_ptr<IUnitTransport> OpenRtMidiUnitTransport(int api, const std::string& clientName);
