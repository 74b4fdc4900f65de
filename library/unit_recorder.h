#pragma once
// The program's one library, shared by the window and the recording of what comes
// from the unit. Nothing is recorded until the program names the file (tests and
// tools that do not want the user's library stay out of it); the file is opened
// on first use, so start-up does not wait for its check.
#include "library/preset_library.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace UnitRecorder {

// Records into the library at path from now on ("" stops recording).
void Enable(const std::string& path);
bool Enabled();

// The library, opened on first use; null when recording is not enabled. Throws
// when the file cannot be opened (the text says why).
TPresetLibrary* Library();

// Records a preset dump that came from the unit (bank -1 for the single bank,
// number 0 when the location is not known). Never throws: a failure, and the news
// that a damaged library was set aside, wait in TakeNotice.
void Record(std::span<const std::uint8_t> dump, std::string_view source, int bank = -1,
            int number = 0);

// What the user should be told about the library since the last call, or "".
std::string TakeNotice();

} // namespace UnitRecorder
