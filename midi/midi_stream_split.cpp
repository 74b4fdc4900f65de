#include "midi/midi_stream_split.h"

namespace {

bool IsRealTime(std::uint8_t byte) {
    return byte >= 0xF8;
}
bool IsStatus(std::uint8_t byte) {
    return byte >= 0x80;
}

} // namespace

std::size_t ShortMessageLength(std::uint8_t status) {
    if (status < 0x80 || status == 0xF0 || status == 0xF7)
        return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2)
        return 3;
    if (status < 0xE0 || status == 0xF1 || status == 0xF3)
        return 2;
    return 1;
}

std::vector<std::vector<std::uint8_t>> SplitMidiStream(const std::uint8_t* bytes,
                                                       std::size_t length) {
    std::vector<std::vector<std::uint8_t>> messages;
    std::uint8_t runningStatus = 0;
    std::size_t i = 0;
    while (i < length) {
        const std::uint8_t byte = bytes[i];
        if (byte == 0xF0) {
            std::size_t end = i + 1;
            while (end < length && !(IsStatus(bytes[end]) && !IsRealTime(bytes[end])))
                ++end;
            if (end < length && bytes[end] == 0xF7)
                ++end;
            messages.emplace_back(bytes + i, bytes + end);
            runningStatus = 0;
            i = end;
            continue;
        }
        std::vector<std::uint8_t> message;
        message.reserve(3);
        std::size_t dataStart = i + 1;
        if (IsStatus(byte)) {
            if (byte == 0xF7) { // end of exclusive with no start
                messages.push_back({byte});
                ++i;
                continue;
            }
            if (byte < 0xF0)
                runningStatus = byte;
            else if (!IsRealTime(byte))
                runningStatus = 0;
            message.push_back(byte);
        } else if (runningStatus != 0) {
            message.push_back(runningStatus);
            dataStart = i;
        } else {
            ++i; // stray data byte
            continue;
        }
        const std::size_t wanted = ShortMessageLength(message[0]) - 1;
        std::size_t end = dataStart;
        while (end < length && end - dataStart < wanted && !IsStatus(bytes[end]))
            ++end;
        message.insert(message.end(), bytes + dataStart, bytes + end);
        messages.push_back(std::move(message));
        i = end;
    }
    return messages;
}
