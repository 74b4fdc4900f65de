#include "midi/rtmidi_delivery.h"

#include "midi/midi_stream_split.h"

namespace {

constexpr std::uint8_t kTimingClock = 0xF8;
constexpr std::uint8_t kActiveSensing = 0xFE;

} // namespace

using namespace mm;

void TRtMidiDelivery::Call(std::uint32_t message, std::uintptr_t p1, std::uintptr_t p2) {
    if (callback_ != nullptr)
        callback_(handle_, message, instance_, p1, p2);
}

void TRtMidiDelivery::Lose(std::uint32_t time) {
    ++lost_;
    Call(MIM_ERROR, 0, time);
}

void TRtMidiDelivery::Reset() {
    if (header_ != nullptr) {
        header_->dwBytesRecorded = 0;
        Queue.push_front(header_);
        header_ = nullptr;
    }
    sysex_ = TSysex::None;
    suspended_ = false; // no sysex waits behind an event any more
    runningStatus_ = 0;
    have_ = need_ = 0;
    shortPending_ = false;
}

// A sysex that ends without its F7 is not delivered: its buffer is used again.
void TRtMidiDelivery::EndSysex(bool complete, std::uint32_t time) {
    const bool discarding = sysex_ == TSysex::Discarding;
    sysex_ = TSysex::None;
    if (discarding)
        return; // counted when it began to be lost
    if (header_ == nullptr)
        return;
    MIDIHDR* header = header_;
    header_ = nullptr;
    if (!complete) {
        header->dwBytesRecorded = 0;
        Queue.push_front(header);
        Lose(time);
        return;
    }
    MarkHeaderDone(header);
    Call(MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(header), time);
}

void TRtMidiDelivery::SysexByte(std::uint8_t byte, std::uint32_t time) {
    if (sysex_ == TSysex::Discarding)
        return;
    if (header_ != nullptr && header_->dwBytesRecorded >= header_->dwBufferLength) {
        // Full: it goes as it is and the sysex goes on in the next buffer.
        MIDIHDR* full = header_;
        header_ = nullptr;
        MarkHeaderDone(full);
        Call(MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(full), time);
    }
    if (header_ == nullptr) {
        if (Queue.empty()) {
            sysex_ = TSysex::Discarding;
            Lose(time);
            return;
        }
        header_ = Queue.front();
        Queue.pop_front();
        header_->dwBytesRecorded = 0;
    }
    header_->lpData[header_->dwBytesRecorded++] = byte;
}

void TRtMidiDelivery::ShortByte(std::uint8_t byte, std::uint32_t time) {
    if (byte >= 0x80) {
        if (shortPending_)
            Lose(time);
        const std::size_t length = ShortMessageLength(byte);
        shortPending_ = false;
        have_ = 0;
        if (length <= 1) {
            runningStatus_ = 0;
            need_ = 0;
            if (length == 1)
                Call(MIM_DATA, byte, time);
            return;
        }
        runningStatus_ = byte;
        need_ = length - 1;
        shortPending_ = true;
        return;
    }
    if (need_ == 0) {
        Lose(time); // a data byte with no status
        return;
    }
    data_[have_++] = byte;
    shortPending_ = have_ < need_;
    if (shortPending_)
        return;
    std::uint32_t packed = runningStatus_;
    for (std::size_t i = 0; i < have_; ++i)
        packed |= static_cast<std::uint32_t>(data_[i]) << (8 * (i + 1));
    have_ = 0;
    Call(MIM_DATA, packed, time);
    if (runningStatus_ >= 0xF0) { // system common: no running status
        runningStatus_ = 0;
        need_ = 0;
    }
}

void TRtMidiDelivery::StartSysex(std::uint32_t time) {
    if (shortPending_)
        Lose(time);
    shortPending_ = false;
    runningStatus_ = 0;
    need_ = have_ = 0;
    sysex_ = TSysex::Open;
    SysexByte(0xF0, time);
}

void TRtMidiDelivery::Deliver(const std::uint8_t* bytes, std::size_t length, std::uint32_t time) {
    if (bytes == nullptr)
        return;
    bool messageStart = true;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte >= 0xF8) {
            if (byte != kTimingClock && byte != kActiveSensing)
                Call(MIM_DATA, byte, time);
            continue;
        }
        if (suspended_ && messageStart) {
            // A sysex that waited behind an event ALSA appended to its chunk goes
            // on where the next message goes on with data bytes.
            suspended_ = false;
            if (byte >= 0x80 || shortPending_)
                EndSysex(false, time);
        }
        messageStart = false;
        if (sysex_ != TSysex::None && !suspended_) {
            if (byte < 0x80) {
                SysexByte(byte, time);
                continue;
            }
            if (byte == 0xF7) {
                SysexByte(byte, time);
                EndSysex(true, time);
                continue;
            }
            if (byte != 0xF0) {
                // An event in the middle of a sysex: delivered, and the sysex
                // waits for the next message.
                suspended_ = true;
                ShortByte(byte, time);
                continue;
            }
        }
        if (byte == 0xF0 || byte == 0xF7) {
            suspended_ = false;
            EndSysex(false, time);
            if (byte == 0xF0) {
                StartSysex(time);
                continue;
            }
            // An F7 with no sysex to end ends running status.
            if (shortPending_)
                Lose(time);
            shortPending_ = false;
            runningStatus_ = 0;
            need_ = have_ = 0;
            continue;
        }
        ShortByte(byte, time);
    }
}
