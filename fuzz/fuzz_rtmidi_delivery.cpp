// The RtMidi backend's delivery of received messages into the queued buffers:
// any messages, buffers of any size and count, buffers given back at any time.
// No buffer is written past its length or returned unfinished; a short message
// carries a status byte; a sysex buffer holds data bytes and its frame only (a
// realtime byte inside a sysex goes out on its own); nothing is made up.
#include "fuzz/fuzz_input.h"
#include "midi/rtmidi_delivery.h"

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace mm;

namespace {

struct TSink {
    std::vector<std::uint8_t> Sysex;
    int Short = 0;
    std::size_t Lost = 0;
};

void Callback(void*, std::uint32_t message, std::uintptr_t instance, std::uintptr_t p1,
              std::uintptr_t) {
    auto& sink = *reinterpret_cast<TSink*>(instance);
    if (message == MIM_ERROR) { // what could not be delivered, counted
        ++sink.Lost;
        return;
    }
    if (message == MIM_DATA) {
        const auto status = static_cast<std::uint8_t>(p1 & 0xFF);
        if (status < 0x80 || status == 0xF0 || status == 0xF7)
            std::abort();
        ++sink.Short;
        return;
    }
    auto* header = reinterpret_cast<MIDIHDR*>(p1);
    if (message != MIM_LONGDATA || header->dwBytesRecorded > header->dwBufferLength ||
        (header->dwFlags & MHDR_DONE) == 0)
        std::abort();
    for (std::uint32_t i = 0; i < header->dwBytesRecorded; ++i) {
        const std::uint8_t b = header->lpData[i];
        if (b >= 0x80 && b != 0xF0 && b != 0xF7)
            std::abort();
    }
    sink.Sysex.insert(sink.Sysex.end(), header->lpData, header->lpData + header->dwBytesRecorded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint16_t bufferSize = 1 + input.Word() % 4096;
    const std::uint8_t count = input.Byte() % 33;
    // Buffers as tight as their length, so that ASan sees any write past it.
    std::vector<std::unique_ptr<std::uint8_t[]>> memory;
    std::vector<MIDIHDR> headers(count);
    TSink sink;
    TRtMidiDelivery delivery(&Callback, nullptr, reinterpret_cast<std::uintptr_t>(&sink));
    for (auto& h : headers) {
        memory.push_back(std::make_unique<std::uint8_t[]>(bufferSize));
        h.lpData = memory.back().get();
        h.dwBufferLength = bufferSize;
        MarkHeaderQueued(&h);
        delivery.Queue.push_back(&h);
    }
    std::size_t given = 0; // bytes handed to the delivery
    std::size_t next = 0;  // buffer given back next
    while (!input.Empty()) {
        switch (static_cast<TFuzzRecord>(input.Byte() % 4)) {
        case TFuzzRecord::Short: {
            auto message = input.Take(3);
            if (!message.empty() && message[0] == 0xF0)
                message[0] = 0x90; // a sysex is the other record
            given += message.size();
            delivery.Deliver(message.data(), message.size(), 1);
            break;
        }
        case TFuzzRecord::Sysex:
        case TFuzzRecord::SplitSysex: {
            auto message = input.Take(input.Word() % 12000);
            if (!message.empty())
                message[0] = 0xF0;
            given += message.size();
            delivery.Deliver(message.data(), message.size(), 2);
            break;
        }
        case TFuzzRecord::Read:
            // The window thread hands used buffers back.
            for (std::size_t n = 0; n < headers.size(); ++n, next = (next + 1) % headers.size()) {
                MIDIHDR& h = headers[next];
                if (h.dwFlags & MHDR_INQUEUE)
                    continue;
                MarkHeaderQueued(&h);
                delivery.Queue.push_back(&h);
            }
            break;
        }
    }
    if (sink.Sysex.size() > given || static_cast<std::size_t>(sink.Short) > given ||
        sink.Lost != delivery.Lost())
        std::abort();
    return 0;
}
