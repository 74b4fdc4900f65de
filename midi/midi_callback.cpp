#include "midi/midi_callback.h"

using namespace mm;

namespace {

constexpr std::uint32_t kActiveSensing = 0xFE;
constexpr std::uint32_t kTimingClock = 0xF8;

void Post(const TMidiCallbackInfo& info, std::uint32_t message, std::uintptr_t lParam) {
    if (info.Post != nullptr)
        info.Post(info.Window, message, lParam, info.Session);
}

} // namespace

void MidiPortCallback(void* /*handle*/, std::uint32_t message, std::uintptr_t instance,
                      std::uintptr_t param1, std::uintptr_t param2) {
    auto* info = reinterpret_cast<TMidiCallbackInfo*>(instance);
    if (info == nullptr)
        return;
    switch (message) {
    case MIM_DATA:
    case MIM_LONGDATA:
    case MIM_LONGERROR: {
        if (message == MIM_DATA) {
            const std::uint32_t status = param1 & 0xFF;
            if (status == kActiveSensing || status == kTimingClock)
                return;
            if (info->SysexOnly.load(std::memory_order_relaxed))
                return;
        }
        if (info->Ring == nullptr)
            return;
        TMidiRingItem item;
        item.Time = static_cast<std::uint32_t>(param2);
        if (message == MIM_DATA) {
            item.Message = static_cast<std::uint32_t>(param1);
        } else {
            item.Header = reinterpret_cast<MIDIHDR*>(param1);
        }
        if (info->Ring->Put(item)) {
            if (!info->DataNoticePending.exchange(true))
                Post(*info, MIDI_NOTIFY_DATA, 0);
        } else
            Post(*info, MIDI_NOTIFY_OVERFLOW, reinterpret_cast<std::uintptr_t>(item.Header));
        break;
    }
    case MIM_ERROR:
        // The backend could not deliver a message: counted as the ring's losses are.
        if (info->Ring != nullptr)
            Post(*info, MIDI_NOTIFY_OVERFLOW, 0);
        break;
    case MOM_DONE:
        Post(*info, MIDI_NOTIFY_DONE, param1);
        break;
    default:
        break;
    }
}
