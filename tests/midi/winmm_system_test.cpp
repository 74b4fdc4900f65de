// The winmm backend over a stand-in for winmm: what the ports rely on when a
// device is there (Wine in CI has none). The layer's headers are mirrored by
// the system's, filled in place, and come back to the layer's callback as the
// layer's own, with what the system recorded.
#include "midi/winmm_platform.h"

#ifdef _WIN32

#include "midi/winmm_functions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct TCall {
    void* Handle;
    std::uint32_t Message;
    std::uintptr_t Instance, Param1, Param2;
};
std::vector<TCall> calls;
void Record(void* handle, std::uint32_t message, std::uintptr_t instance, std::uintptr_t param1,
            std::uintptr_t param2) {
    calls.push_back({handle, message, instance, param1, param2});
}

// The stand-in: remembers the callback and the queued system headers.
using TProc = void(CALLBACK*)(HANDLE, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
TProc proc = nullptr;
DWORD_PTR procInstance = 0;
UINT openedId = 0;
std::vector<::MIDIHDR*> queued;

MMRESULT WINAPI InOpen(LPHMIDIIN handle, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                       DWORD flags) {
    if (flags != CALLBACK_FUNCTION)
        return MMSYSERR_INVALFLAG;
    *handle = reinterpret_cast<HMIDIIN>(0x1234);
    openedId = id;
    proc = reinterpret_cast<TProc>(callback);
    procInstance = instance;
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI OutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                        DWORD flags) {
    return InOpen(reinterpret_cast<LPHMIDIIN>(handle), id, callback, instance, flags);
}
template <typename THandle> MMRESULT WINAPI Prepare(THandle, LPMIDIHDR header, UINT size) {
    if (size != sizeof(::MIDIHDR) || header->lpData == nullptr)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
template <typename THandle> MMRESULT WINAPI Queue(THandle, LPMIDIHDR header, UINT) {
    if ((header->dwFlags & MHDR_PREPARED) == 0)
        return MIDIERR_UNPREPARED;
    header->dwFlags |= MHDR_INQUEUE;
    queued.push_back(header);
    return MMSYSERR_NOERROR;
}
template <typename THandle> MMRESULT WINAPI Unprepare(THandle, LPMIDIHDR header, UINT) {
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
template <typename THandle> MMRESULT WINAPI Close(THandle) {
    return MMSYSERR_NOERROR;
}

// What the system does with the oldest queued buffer: fills it, then calls back.
void Return(UINT message, const std::vector<std::uint8_t>& bytes, DWORD_PTR time) {
    ::MIDIHDR* header = queued.front();
    queued.erase(queued.begin());
    std::memcpy(header->lpData, bytes.data(), bytes.size());
    header->dwBytesRecorded = static_cast<DWORD>(bytes.size());
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    proc(reinterpret_cast<HANDLE>(0x1234), message, procInstance,
         reinterpret_cast<DWORD_PTR>(header), time);
}

class WinMMSystem : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        queued.clear();
        system.InOpen = InOpen;
        system.InPrepareHeader = Prepare<HMIDIIN>;
        system.InAddBuffer = Queue<HMIDIIN>;
        system.InUnprepareHeader = Unprepare<HMIDIIN>;
        system.InClose = Close<HMIDIIN>;
        system.OutOpen = OutOpen;
        system.OutPrepareHeader = Prepare<HMIDIOUT>;
        system.OutLongMsg = Queue<HMIDIOUT>;
        system.OutUnprepareHeader = Unprepare<HMIDIOUT>;
        system.OutClose = Close<HMIDIOUT>;
    }
    TWinMMFunctions system;
};

} // namespace

TEST_F(WinMMSystem, InputBuffersAreFilledInPlaceAndComeBackAsTheLayersHeaders) {
    TWinMMPlatform platform(&system);
    mm::HMIDIIN in = nullptr;
    ASSERT_EQ(platform.midiInOpen(&in, 2, Record, 77, CALLBACK_FUNCTION), MMSYSERR_NOERROR);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(openedId, 2u);

    std::uint8_t data[16] = {};
    mm::MIDIHDR header{};
    header.lpData = data;
    header.dwBufferLength = sizeof data;
    header.dwUser = 42;
    EXPECT_EQ(platform.midiInAddBuffer(in, &header), MIDIERR_UNPREPARED);
    ASSERT_EQ(platform.midiInPrepareHeader(in, &header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, static_cast<std::uint32_t>(MHDR_PREPARED));
    ASSERT_EQ(platform.midiInAddBuffer(in, &header), MMSYSERR_NOERROR);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(queued[0]->lpData), data); // no copy
    EXPECT_EQ(queued[0]->dwBufferLength, sizeof data);
    EXPECT_NE(header.dwFlags & MHDR_INQUEUE, 0u);

    Return(MIM_LONGDATA, {0xF0, 0x1A, 0x00, 0x12, 0xF7}, 1500);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Handle, in);
    EXPECT_EQ(calls[0].Message, static_cast<std::uint32_t>(MIM_LONGDATA));
    EXPECT_EQ(calls[0].Instance, 77u);
    EXPECT_EQ(calls[0].Param1, reinterpret_cast<std::uintptr_t>(&header));
    EXPECT_EQ(calls[0].Param2, 1500u);
    EXPECT_EQ(header.dwBytesRecorded, 5u);
    EXPECT_EQ(header.dwFlags & (MHDR_DONE | MHDR_INQUEUE), static_cast<std::uint32_t>(MHDR_DONE));
    EXPECT_EQ(header.dwUser, 42u);
    EXPECT_EQ(data[4], 0xF7);

    // Queued again as the ports recycle it: the recorded count starts over.
    header.dwBytesRecorded = 0;
    ASSERT_EQ(platform.midiInPrepareHeader(in, &header), MMSYSERR_NOERROR);
    ASSERT_EQ(platform.midiInAddBuffer(in, &header), MMSYSERR_NOERROR);
    EXPECT_EQ(queued.at(0)->dwBytesRecorded, 0u);
    Return(MIM_LONGERROR, {0xF0, 0x01}, 1600);
    EXPECT_EQ(calls.at(1).Param1, reinterpret_cast<std::uintptr_t>(&header));
    EXPECT_EQ(header.dwBytesRecorded, 2u);

    // A short message passes as it is.
    proc(reinterpret_cast<HANDLE>(0x1234), MIM_DATA, procInstance, 0x407F90, 1700);
    EXPECT_EQ(calls.at(2).Param1, 0x407F90u);
    EXPECT_EQ(calls.at(2).Param2, 1700u);

    ASSERT_EQ(platform.midiInUnprepareHeader(in, &header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags & MHDR_PREPARED, 0u);
    EXPECT_EQ(platform.midiInAddBuffer(in, &header), MIDIERR_UNPREPARED);
    EXPECT_EQ(platform.midiInClose(in), MMSYSERR_NOERROR);
}

TEST_F(WinMMSystem, ASentBlockComesBackDoneAsTheLayersHeaderAndTheMapperIsMinusOne) {
    TWinMMPlatform platform(&system);
    mm::HMIDIOUT out = nullptr;
    ASSERT_EQ(platform.midiOutOpen(&out, -1 /* the mapper */, Record, 5, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    EXPECT_EQ(openedId, static_cast<UINT>(-1));
    std::uint8_t data[] = {0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};
    mm::MIDIHDR header{};
    header.lpData = data;
    header.dwBufferLength = sizeof data;
    ASSERT_EQ(platform.midiOutPrepareHeader(out, &header), MMSYSERR_NOERROR);
    ASSERT_EQ(platform.midiOutLongMsg(out, &header), MMSYSERR_NOERROR);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0]->dwBufferLength, sizeof data);
    Return(MOM_DONE, {}, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Handle, out);
    EXPECT_EQ(calls[0].Message, static_cast<std::uint32_t>(MOM_DONE));
    EXPECT_EQ(calls[0].Param1, reinterpret_cast<std::uintptr_t>(&header));
    EXPECT_EQ(header.dwFlags & (MHDR_DONE | MHDR_INQUEUE), static_cast<std::uint32_t>(MHDR_DONE));
    EXPECT_EQ(platform.midiOutUnprepareHeader(out, &header), MMSYSERR_NOERROR);
    EXPECT_EQ(platform.midiOutClose(out), MMSYSERR_NOERROR);
}

#endif
