// The virtual unit and the scriptable test backend apply the multimedia API's
// rules for handles, long-message headers, open and close alike, code for code.
#include "tests/support/test_midi_platform.h"
#include "unit/virtual_unit_platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

using namespace mm;

namespace {

enum class THeader { None, NoAddress, Empty, Unprepared, Prepared, Queued };
enum class TCall { InPrepare, OutPrepare, AddBuffer, LongMsg, InUnprepare, OutUnprepare };

struct TCase {
    TCall Call;
    THeader Header;
    MMRESULT Expected;
};

std::unique_ptr<IMidiPlatform> MakeTestBackend() {
    auto backend = std::make_unique<TTestMidiPlatform>();
    backend->AddInputDevice("in");
    backend->AddOutputDevice("out");
    return backend;
}

std::unique_ptr<IMidiPlatform> MakeVirtualUnit() {
    return std::make_unique<TVirtualUnitMidiPlatform>(TUnitOptions{});
}

using TMake = std::function<std::unique_ptr<IMidiPlatform>()>;
const std::vector<std::pair<std::string, TMake>> kBackends = {{"test backend", MakeTestBackend},
                                                              {"virtual unit", MakeVirtualUnit}};

struct TNotice {
    void* Handle;
    std::uint32_t Message;
    std::uintptr_t Instance;
    std::uintptr_t Param1;
};
std::mutex gNoticesMutex;
std::vector<TNotice> gNotices;

void Record(void* handle, std::uint32_t message, std::uintptr_t instance, std::uintptr_t p1,
            std::uintptr_t) {
    std::lock_guard lock(gNoticesMutex);
    gNotices.push_back({handle, message, instance, p1});
}

std::vector<TNotice> TakeNotices() {
    std::lock_guard lock(gNoticesMutex);
    return std::exchange(gNotices, {});
}

TEST(BackendHeaderRules, EveryBackendAnswersWithTheSameCodes) {
    const std::vector<TCase> cases = {
        // A buffer of 0 bytes may be prepared; one without an address may not.
        {TCall::InPrepare, THeader::None, MMSYSERR_INVALPARAM},
        {TCall::InPrepare, THeader::NoAddress, MMSYSERR_INVALPARAM},
        {TCall::InPrepare, THeader::Empty, MMSYSERR_NOERROR},
        {TCall::InPrepare, THeader::Unprepared, MMSYSERR_NOERROR},
        {TCall::InPrepare, THeader::Prepared, MMSYSERR_NOERROR},
        {TCall::OutPrepare, THeader::None, MMSYSERR_INVALPARAM},
        {TCall::OutPrepare, THeader::NoAddress, MMSYSERR_INVALPARAM},
        {TCall::OutPrepare, THeader::Empty, MMSYSERR_NOERROR},
        // An input buffer needs room for a byte, preparation and no queue.
        {TCall::AddBuffer, THeader::None, MMSYSERR_INVALPARAM},
        {TCall::AddBuffer, THeader::NoAddress, MMSYSERR_INVALPARAM},
        {TCall::AddBuffer, THeader::Empty, MMSYSERR_INVALPARAM},
        {TCall::AddBuffer, THeader::Unprepared, MIDIERR_UNPREPARED},
        {TCall::AddBuffer, THeader::Queued, MIDIERR_STILLPLAYING},
        {TCall::AddBuffer, THeader::Prepared, MMSYSERR_NOERROR},
        // A long message of 0 bytes goes; one in a queue does not go twice.
        {TCall::LongMsg, THeader::None, MMSYSERR_INVALPARAM},
        {TCall::LongMsg, THeader::NoAddress, MMSYSERR_INVALPARAM},
        {TCall::LongMsg, THeader::Unprepared, MIDIERR_UNPREPARED},
        {TCall::LongMsg, THeader::Queued, MIDIERR_STILLPLAYING},
        {TCall::LongMsg, THeader::Empty, MMSYSERR_NOERROR},
        {TCall::InUnprepare, THeader::None, MMSYSERR_INVALPARAM},
        {TCall::InUnprepare, THeader::Queued, MIDIERR_STILLPLAYING},
        {TCall::InUnprepare, THeader::Unprepared, MMSYSERR_NOERROR},
        {TCall::OutUnprepare, THeader::Queued, MIDIERR_STILLPLAYING},
        {TCall::OutUnprepare, THeader::Prepared, MMSYSERR_NOERROR},
    };
    for (const auto& [name, make] : kBackends) {
        const auto platform = make();
        HMIDIIN in = nullptr;
        HMIDIOUT out = nullptr;
        ASSERT_EQ(platform->midiInOpen(&in, 0, nullptr, 0, 0), MMSYSERR_NOERROR) << name;
        ASSERT_EQ(platform->midiOutOpen(&out, 0, nullptr, 0, 0), MMSYSERR_NOERROR) << name;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const TCase& c = cases[i];
            std::uint8_t bytes[16] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
            MIDIHDR header{};
            header.lpData = c.Header == THeader::NoAddress ? nullptr : bytes;
            header.dwBufferLength = c.Header == THeader::Empty ? 0 : 6;
            if (c.Header == THeader::Prepared || c.Header == THeader::Empty)
                header.dwFlags = MHDR_PREPARED;
            if (c.Header == THeader::Queued)
                header.dwFlags = MHDR_PREPARED | MHDR_INQUEUE;
            MIDIHDR* h = c.Header == THeader::None ? nullptr : &header;
            MMRESULT result = MMSYSERR_ERROR;
            switch (c.Call) {
            case TCall::InPrepare:
                result = platform->midiInPrepareHeader(in, h);
                break;
            case TCall::OutPrepare:
                result = platform->midiOutPrepareHeader(out, h);
                break;
            case TCall::AddBuffer:
                result = platform->midiInAddBuffer(in, h);
                break;
            case TCall::LongMsg:
                result = platform->midiOutLongMsg(out, h);
                break;
            case TCall::InUnprepare:
                result = platform->midiInUnprepareHeader(in, h);
                break;
            case TCall::OutUnprepare:
                result = platform->midiOutUnprepareHeader(out, h);
                break;
            }
            EXPECT_EQ(result, c.Expected) << name << ", case " << i;
            // A header taken by the backend comes back before it goes out of scope.
            if (result == MMSYSERR_NOERROR && c.Call == TCall::AddBuffer) {
                EXPECT_EQ(platform->midiInReset(in), MMSYSERR_NOERROR) << name;
            } else if (result == MMSYSERR_NOERROR && c.Call == TCall::LongMsg) {
                EXPECT_EQ(platform->midiOutClose(out), MMSYSERR_NOERROR) << name;
                ASSERT_EQ(platform->midiOutOpen(&out, 0, nullptr, 0, 0), MMSYSERR_NOERROR);
            }
        }

        // A handle that is not open, or of the other direction, is refused first.
        MIDIHDR header{};
        auto* wrongIn = reinterpret_cast<HMIDIIN>(out);
        auto* wrongOut = reinterpret_cast<HMIDIOUT>(in);
        EXPECT_EQ(platform->midiInPrepareHeader(wrongIn, nullptr), MMSYSERR_INVALHANDLE) << name;
        EXPECT_EQ(platform->midiInAddBuffer(wrongIn, &header), MMSYSERR_INVALHANDLE) << name;
        EXPECT_EQ(platform->midiInStart(wrongIn), MMSYSERR_INVALHANDLE) << name;
        EXPECT_EQ(platform->midiOutLongMsg(wrongOut, nullptr), MMSYSERR_INVALHANDLE) << name;
        EXPECT_EQ(platform->midiOutShortMsg(wrongOut, 0x90), MMSYSERR_INVALHANDLE) << name;
        EXPECT_EQ(platform->midiInClose(in), MMSYSERR_NOERROR) << name;
        EXPECT_EQ(platform->midiInUnprepareHeader(in, &header), MMSYSERR_INVALHANDLE) << name;
        EXPECT_EQ(platform->midiOutClose(out), MMSYSERR_NOERROR) << name;
        EXPECT_EQ(platform->midiOutClose(out), MMSYSERR_INVALHANDLE) << name;
    }
}

TEST(BackendHeaderRules, OpenResetAndCloseKeepTheBookkeepingAlike) {
    struct TOpen {
        int Device;
        MidiCallback Callback;
        std::uint32_t Flags;
        MMRESULT Expected;
    };
    const std::vector<TOpen> refused = {
        {1, nullptr, 0, MMSYSERR_BADDEVICEID},     // the first id past the one device
        {-2, nullptr, 0, MMSYSERR_BADDEVICEID},    // below the mapper (outputs only)
        {0, &Record, 0, MMSYSERR_INVALPARAM},      // a callback the flags do not name
        {0, nullptr, 0x10000, MMSYSERR_INVALFLAG}, // a window to post to
        {0, &Record, 0x50000, MMSYSERR_INVALFLAG}, // an event to set
    };
    for (const auto& [name, make] : kBackends) {
        const auto platform = make();
        HMIDIIN in = nullptr;
        HMIDIOUT out = nullptr;
        EXPECT_EQ(platform->midiInOpen(nullptr, 0, nullptr, 0, 0), MMSYSERR_INVALPARAM) << name;
        EXPECT_EQ(platform->midiOutOpen(nullptr, 0, nullptr, 0, 0), MMSYSERR_INVALPARAM) << name;
        for (std::size_t i = 0; i < refused.size(); ++i) {
            const TOpen& c = refused[i];
            if (c.Device >= 0) {
                EXPECT_EQ(platform->midiInOpen(&in, static_cast<std::uint32_t>(c.Device),
                                               c.Callback, 0, c.Flags),
                          c.Expected)
                    << name << ", case " << i;
            }
            EXPECT_EQ(platform->midiOutOpen(&out, c.Device, c.Callback, 0, c.Flags), c.Expected)
                << name << ", case " << i;
        }
        EXPECT_TRUE(TakeNotices().empty()) << name;

        ASSERT_EQ(platform->midiInOpen(&in, 0, &Record, 7, CALLBACK_FUNCTION), MMSYSERR_NOERROR);
        HMIDIIN second = nullptr;
        EXPECT_EQ(platform->midiInOpen(&second, 0, nullptr, 0, 0), MMSYSERR_ALLOCATED) << name;
        std::uint8_t bytes[2][8] = {};
        MIDIHDR headers[2] = {};
        for (int i = 0; i < 2; ++i) {
            headers[i].lpData = bytes[i];
            headers[i].dwBufferLength = 8;
            headers[i].dwBytesRecorded = 5;
            ASSERT_EQ(platform->midiInPrepareHeader(in, &headers[i]), MMSYSERR_NOERROR);
            ASSERT_EQ(platform->midiInAddBuffer(in, &headers[i]), MMSYSERR_NOERROR);
        }
        EXPECT_EQ(platform->midiInClose(in), MIDIERR_STILLPLAYING) << name;
        // A reset hands every buffer back, in order, empty and done.
        ASSERT_EQ(platform->midiInReset(in), MMSYSERR_NOERROR);
        EXPECT_EQ(platform->midiInClose(in), MMSYSERR_NOERROR) << name;
        EXPECT_EQ(platform->midiInUnprepareHeader(in, &headers[0]), MMSYSERR_INVALHANDLE) << name;
        const auto notices = TakeNotices();
        ASSERT_EQ(notices.size(), 4u) << name;
        const std::uint32_t messages[] = {MIM_OPEN, MIM_LONGDATA, MIM_LONGDATA, MIM_CLOSE};
        const std::uintptr_t params[] = {0, reinterpret_cast<std::uintptr_t>(&headers[0]),
                                         reinterpret_cast<std::uintptr_t>(&headers[1]), 0};
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(notices[i].Handle, static_cast<void*>(in)) << name << ", notice " << i;
            EXPECT_EQ(notices[i].Message, messages[i]) << name << ", notice " << i;
            EXPECT_EQ(notices[i].Instance, 7u) << name << ", notice " << i;
            EXPECT_EQ(notices[i].Param1, params[i]) << name << ", notice " << i;
        }
        for (const MIDIHDR& header : headers) {
            EXPECT_EQ(header.dwBytesRecorded, 0u) << name;
            EXPECT_EQ(header.dwFlags, MHDR_PREPARED | MHDR_DONE) << name;
        }

        ASSERT_EQ(platform->midiOutOpen(&out, 0, &Record, 9, CALLBACK_FUNCTION), MMSYSERR_NOERROR);
        EXPECT_EQ(platform->midiOutClose(out), MMSYSERR_NOERROR) << name;
        const auto outNotices = TakeNotices();
        ASSERT_EQ(outNotices.size(), 2u) << name;
        EXPECT_EQ(outNotices[0].Message, MOM_OPEN) << name;
        EXPECT_EQ(outNotices[1].Message, MOM_CLOSE) << name;
        EXPECT_EQ(outNotices[1].Handle, static_cast<void*>(out)) << name;
        EXPECT_EQ(outNotices[1].Instance, 9u) << name;
    }
}

} // namespace
