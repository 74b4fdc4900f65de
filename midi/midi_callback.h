#pragma once
// The function the platform calls on its own thread for both ports, and the
// block it gets as instance value. The callback only fills the ring and posts
// notifications: constant time, no allocation of its own, no locks.
#include "midi/midi_platform.h"
#include "midi/midi_ring_buffer.h"

#include <atomic>
#include <cstdint>

// Notification numbers posted to a port's window.
constexpr std::uint32_t MIDI_NOTIFY_DATA = mm::MIM_DATA; // an item was put into the ring
constexpr std::uint32_t MIDI_NOTIFY_OVERFLOW = 0x400;    // the ring was full, the item was dropped
constexpr std::uint32_t MIDI_NOTIFY_DONE = mm::MOM_DONE; // output block done; lParam = MIDIHDR*

// Posts (message, lParam) to window; session identifies the port's open
// session the notification belongs to. Called on the platform's thread.
using TMidiPostFn = void (*)(void* window, std::uint32_t message, std::uintptr_t lParam,
                             std::uint32_t session);

struct TMidiCallbackInfo {
    TMidiRingBuffer* Ring = nullptr; // null for an output port
    void* Window = nullptr;
    TMidiPostFn Post = nullptr;
    std::atomic<bool> SysexOnly{false}; // changed on the window thread while open
    // Set when a data notice is on its way; the window thread clears it before
    // draining, so a burst costs one posted notice instead of one per item.
    std::atomic<bool> DataNoticePending{false};
    // Written only while the device is closed; the platform's open publishes it.
    std::uint32_t Session = 0;
};

// On overflow of a sysex item the header travels with the overflow notice, so
// the window thread can queue the buffer again instead of losing it for good.
void MidiPortCallback(void* handle, std::uint32_t message, std::uintptr_t instance,
                      std::uintptr_t param1, std::uintptr_t param2);
