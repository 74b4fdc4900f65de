#include "midi/rtmidi_delivery.h"

#include <algorithm>
#include <cstring>

using namespace mm;

void TRtMidiDelivery::Call(std::uint32_t message, std::uintptr_t p1, std::uintptr_t p2) {
    if (callback_ != nullptr)
        callback_(handle_, message, instance_, p1, p2);
}

void TRtMidiDelivery::Deliver(const std::uint8_t* bytes, std::size_t length, std::uint32_t time) {
    if (bytes == nullptr || length == 0)
        return;
    const std::uint8_t status = bytes[0];
    if (status == 0xF0) {
        std::size_t delivered = 0;
        while (delivered < length && !Queue.empty()) {
            MIDIHDR* header = Queue.front();
            Queue.pop_front();
            const std::size_t chunk =
                std::min<std::size_t>(length - delivered, header->dwBufferLength);
            std::memcpy(header->lpData, bytes + delivered, chunk);
            header->dwBytesRecorded = static_cast<std::uint32_t>(chunk);
            MarkHeaderDone(header);
            delivered += chunk;
            Call(MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(header), time);
        }
        return;
    }
    if (status == 0xF8 || status == 0xFE)
        return;
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(3, length); ++i)
        packed |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    Call(MIM_DATA, packed, time);
}
