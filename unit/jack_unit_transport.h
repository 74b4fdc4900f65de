#pragma once
// The virtual unit as one JACK client with two MIDI ports, NAME:MIDI in and
// NAME:MIDI out. Replies leave at the pace the server takes them: what does not
// fit into this cycle's buffer waits for the next one.
#include "unit/unit_transport.h"

#include <memory>

// Throws std::runtime_error with the reason when no JACK server can be reached.
std::unique_ptr<IUnitTransport> OpenJackUnitTransport(const std::string& clientName);
