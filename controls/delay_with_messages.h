#pragma once
// Waits without blocking the window thread: window messages, timers, posted
// MIDI notifications and commands keep being handled during the wait, so
// handlers may nest inside it.
#include <cstdint>

// Returns after at least ms milliseconds of the tick source (tick_source.h).
void DelayWithMessages(std::uint32_t ms);
