// The shapes in which RtMidi's backends hand over what a device sent, replayed
// byte for byte: WinMM's sysex buffers, ALSA's chunks with the next event
// appended, CoreMIDI's packets.
#include "midi/rtmidi_delivery.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace mm;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TCall {
    std::uint32_t Message;
    Bytes Data; // the sysex block, or the short message unpacked
    bool operator==(const TCall&) const = default;
};

void PrintTo(const TCall& call, std::ostream* out) {
    *out << std::hex << call.Message << ":" << ::testing::PrintToString(call.Data);
}

std::vector<TCall>* calls = nullptr;

void Record(void* /*handle*/, std::uint32_t message, std::uintptr_t /*instance*/, std::uintptr_t p1,
            std::uintptr_t /*p2*/) {
    TCall call{message, {}};
    if (message == MIM_LONGDATA) {
        const auto* header = reinterpret_cast<const MIDIHDR*>(p1);
        call.Data.assign(header->lpData, header->lpData + header->dwBytesRecorded);
    } else if (message == MIM_DATA) {
        for (int i = 0; i < 3 && (i == 0 || ((p1 >> (8 * i)) & 0xFF) != 0); ++i)
            call.Data.push_back(static_cast<std::uint8_t>(p1 >> (8 * i)));
    }
    calls->push_back(call);
}

Bytes Sysex(std::size_t dataBytes) {
    Bytes bytes{0xF0};
    for (std::size_t i = 0; i < dataBytes; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i % 0x80));
    bytes.push_back(0xF7);
    return bytes;
}

class RtMidiDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override { calls = &got; }
    void Queue(std::size_t count, std::uint32_t size = 4096) {
        for (std::size_t i = 0; i < count; ++i) {
            storage.push_back(std::make_unique<std::uint8_t[]>(size));
            headers.push_back(std::make_unique<MIDIHDR>());
            headers.back()->lpData = storage.back().get();
            headers.back()->dwBufferLength = size;
            delivery.Queue.push_back(headers.back().get());
        }
    }
    // Replays the messages as RtMidi hands them over.
    void Replay(const std::vector<Bytes>& messages) {
        for (const auto& message : messages)
            delivery.Deliver(message.data(), message.size(), 0);
    }
    static TCall Long(Bytes bytes) { return {MIM_LONGDATA, std::move(bytes)}; }
    static TCall Short(Bytes bytes) { return {MIM_DATA, std::move(bytes)}; }
    static TCall Lost() { return {MIM_ERROR, {}}; }

    std::vector<TCall> got;
    TRtMidiDelivery delivery{&Record, nullptr, 0};
    std::vector<std::unique_ptr<std::uint8_t[]>> storage;
    std::vector<std::unique_ptr<MIDIHDR>> headers;
};

} // namespace

TEST_F(RtMidiDeliveryTest, WinmmBufferChunksAreJoined) {
    Queue(2);
    const Bytes dump = Sysex(1500);
    // RtMidi's WinMM input hands over each filled 1,024-byte buffer on its own.
    Replay({Bytes(dump.begin(), dump.begin() + 1024),
            Bytes(dump.begin() + 1024, dump.end()),
            {0xC0, 0x05}});
    EXPECT_EQ(got, (std::vector<TCall>{Long(dump), Short({0xC0, 0x05})}));
    EXPECT_EQ(delivery.Queue.size(), 1u);
    EXPECT_EQ(delivery.Lost(), 0u);
}

TEST_F(RtMidiDeliveryTest, AlsaChunksWithAnAppendedEventAreTakenApart) {
    Queue(3);
    // A chunk of 256 bytes without F7, with the next event (a realtime byte or
    // a note) appended; the rest of the sysex is the next message.
    Bytes chunk = Sysex(255);
    chunk.pop_back();
    Bytes withStart = chunk;
    withStart.push_back(0xFA);
    Bytes withNote = chunk;
    withNote.insert(withNote.end(), {0x90, 0x3C, 0x40});
    Bytes whole = chunk;
    whole.insert(whole.end(), {0x10, 0x11, 0x12, 0xF7});
    Bytes withSensing = chunk;
    withSensing.push_back(0xFE);
    Replay({withStart,
            {0x10, 0x11, 0x12, 0xF7},
            withNote,
            {0x10, 0x11, 0x12, 0xF7},
            withSensing,
            {0x10, 0x11, 0x12, 0xF7}});
    EXPECT_EQ(got, (std::vector<TCall>{Short({0xFA}), Long(whole), Short({0x90, 0x3C, 0x40}),
                                       Long(whole), Long(whole)}));
    EXPECT_EQ(delivery.Lost(), 0u);
}

TEST_F(RtMidiDeliveryTest, CoreMidiPacketsAndRunningStatusMakeWholeMessages) {
    Queue(1);
    Replay({{0xF0, 0x1A, 0x00},
            {0x12, 0xF8, 0x03},
            {0x00, 0xF7},
            {0x90, 0x3C, 0x40, 0x3E},
            {0x41},
            {0xF2, 0x01, 0x02},
            {0xF6}});
    EXPECT_EQ(got, (std::vector<TCall>{Long({0xF0, 0x1A, 0x00, 0x12, 0x03, 0x00, 0xF7}),
                                       Short({0x90, 0x3C, 0x40}), Short({0x90, 0x3E, 0x41}),
                                       Short({0xF2, 0x01, 0x02}), Short({0xF6})}));
    EXPECT_EQ(delivery.Lost(), 0u);
}

TEST_F(RtMidiDeliveryTest, ALongSysexTakesTheNextBufferAsWithTheMultimediaApi) {
    Queue(2, 256);
    const Bytes dump = Sysex(300);
    Replay({dump});
    EXPECT_EQ(got, (std::vector<TCall>{Long(Bytes(dump.begin(), dump.begin() + 256)),
                                       Long(Bytes(dump.begin() + 256, dump.end()))}));
}

TEST_F(RtMidiDeliveryTest, WhatCannotBeDeliveredIsCounted) {
    Queue(2);
    // A sysex cut off by the next one (its buffer serves the next), one that
    // finds no buffer, a note cut off by a controller, a data byte with no status.
    Replay({Sysex(4),
            {0xF0, 0x01},
            {0xF0, 0x02, 0xF7},
            Sysex(4),
            {0x90, 0x3C, 0xB0, 0x07, 0x7F},
            {0xF7, 0x3C}});
    delivery.Queue.push_back(headers[0].get()); // the port read the first one
    // A sysex suspended behind an appended note that the next message does not go on with.
    Replay({{0xF0, 0x03, 0x90, 0x3C, 0x40}, {0xC0, 0x01}});
    EXPECT_EQ(got, (std::vector<TCall>{Long(Sysex(4)), Lost(), Long({0xF0, 0x02, 0xF7}), Lost(),
                                       Lost(), Short({0xB0, 0x07, 0x7F}), Lost(),
                                       Short({0x90, 0x3C, 0x40}), Lost(), Short({0xC0, 0x01})}));
    EXPECT_EQ(delivery.Lost(), 5u);
    EXPECT_EQ(delivery.Queue.size(), 1u); // the cut-off sysex gave its buffer back
    // The lowest status byte (a note off) cuts the suspended sysex off as well.
    got.clear();
    Replay({{0xF0, 0x04, 0x90, 0x3C, 0x40}, {0x80, 0x3C, 0x40}});
    EXPECT_EQ(got,
              (std::vector<TCall>{Short({0x90, 0x3C, 0x40}), Lost(), Short({0x80, 0x3C, 0x40})}));
}

TEST_F(RtMidiDeliveryTest, AResetForgetsWhatWasHalfDoneAndGivesTheBufferBack) {
    Queue(1);
    Replay({{0xF0, 0x01}});
    EXPECT_TRUE(delivery.Queue.empty());
    delivery.Reset();
    EXPECT_EQ(delivery.Queue.size(), 1u);
    Replay({{0x90, 0x3C}});
    delivery.Reset();
    Replay({{0x3C}, {0xC0, 0x01}}); // no running status survives; nothing was cut off
    EXPECT_EQ(got, (std::vector<TCall>{Lost(), Short({0xC0, 0x01})}));
    EXPECT_EQ(delivery.Lost(), 1u);
}
