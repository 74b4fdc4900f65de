// The virtual unit and the scriptable test backend apply the multimedia API's
// rules for handles and long-message headers alike, code for code.
#include "tests/support/test_midi_platform.h"
#include "unit/virtual_unit_platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
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
    const std::vector<std::pair<std::string, std::function<std::unique_ptr<IMidiPlatform>()>>>
        backends = {{"test backend", MakeTestBackend}, {"virtual unit", MakeVirtualUnit}};

    for (const auto& [name, make] : backends) {
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

} // namespace
