#pragma once
// The texts of the platform MIDI result codes, shared by the backends.
#include "midi/midi_platform.h"

#include <cstdint>

// Text for a result code, or nullptr when the code has none.
const char* MidiResultText(mm::MMRESULT code);

// Copies the text of code into text (size chars, NUL-terminated, cut if needed).
// MMSYSERR_BADERRNUM when the code has no text or the buffer is unusable.
mm::MMRESULT CopyMidiResultText(mm::MMRESULT code, char* text, std::uint32_t size);
// Same for a text the caller already has (nullptr = no text).
mm::MMRESULT CopyMidiText(const char* source, char* text, std::uint32_t size);
