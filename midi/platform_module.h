#pragma once
// A MIDI backend built as a loadable module. The RtMidi backend is one: its
// libraries (RtMidi with JACK, ALSA and Berkeley DB) are then loaded by the
// thread that looks for the devices, not by the program before it can start.
#include "midi/midi_platform.h"

#include <cstddef>
#include <memory>
#include <string>

// The one function a module exports: the backend, or nullptr with the reason
// written to error (at most errorSize bytes, terminated).
inline constexpr const char* kMidiModuleEntry = "HrzCreateMidiPlatform";
using TMidiModuleEntry = IMidiPlatform* (*)(char* error, std::size_t errorSize);

// The module's backend, or nullptr with the reason in error. A loaded module
// stays loaded: the backend's code lives in it.
std::unique_ptr<IMidiPlatform> LoadMidiPlatformModule(const std::string& path, std::string& error);
