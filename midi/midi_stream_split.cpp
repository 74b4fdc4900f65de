#include "midi/midi_stream_split.h"

std::size_t ShortMessageLength(std::uint8_t status) {
    if (status < 0x80 || status == 0xF0 || status == 0xF7)
        return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2)
        return 3;
    if (status < 0xE0 || status == 0xF1 || status == 0xF3)
        return 2;
    return 1;
}

TMidiStreamSplit SplitMidiBlock(const std::uint8_t* bytes, std::size_t length) {
    TMidiStreamSplit split;
    std::uint8_t runningStatus = 0;    // 0 = none; system common messages cancel it
    std::vector<std::uint8_t> message; // the short message being gathered
    std::size_t wanted = 0; // length under the running status; 0: data bytes have no status
    bool inSysex = false;
    std::vector<std::uint8_t> sysex;

    bool pending = false; // a short message has begun and lacks data bytes
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte >= 0xF8) {
            split.Messages.push_back({byte});
            continue;
        }
        if (byte == 0xF7) {
            if (inSysex) {
                sysex.push_back(byte);
                split.Messages.push_back(std::move(sysex));
                sysex.clear();
                inSysex = false;
            } else {
                if (pending)
                    ++split.IncompleteMessages;
                ++split.StrayBytes;
            }
            pending = false;
            runningStatus = 0;
            wanted = 0;
            continue;
        }
        if (byte >= 0x80) {
            if (inSysex || pending)
                ++split.IncompleteMessages;
            inSysex = false;
            sysex.clear();
            pending = false;
            if (byte == 0xF0) {
                inSysex = true;
                sysex.push_back(byte);
                runningStatus = 0;
                wanted = 0;
                continue;
            }
            const std::size_t size = ShortMessageLength(byte);
            if (size == 1) {
                split.Messages.push_back({byte});
                runningStatus = 0;
                wanted = 0;
                continue;
            }
            runningStatus = byte;
            wanted = size;
            message.assign(1, byte);
            pending = true;
            continue;
        }
        if (inSysex) {
            sysex.push_back(byte);
            continue;
        }
        if (wanted == 0) {
            ++split.StrayBytes;
            continue;
        }
        if (!pending)
            message.assign(1, runningStatus);
        message.push_back(byte);
        pending = message.size() < wanted;
        if (pending)
            continue;
        split.Messages.push_back(message);
        if (runningStatus >= 0xF0) { // system common: no running status
            runningStatus = 0;
            wanted = 0;
        }
    }
    if (inSysex || pending)
        ++split.IncompleteMessages;
    return split;
}

std::vector<std::vector<std::uint8_t>> SplitMidiStream(const std::uint8_t* bytes,
                                                       std::size_t length) {
    return SplitMidiBlock(bytes, length).Messages;
}
