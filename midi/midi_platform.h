#pragma once
// The platform MIDI service the ports are written against, shaped like the
// Windows multimedia MIDI API: numbered devices, a function callback with an
// instance value, queued long-message headers, 16-bit result codes.
// Backends: RtMidi (real devices), the virtual HRZ2000 unit, and a scriptable
// test backend; a composite lists the real devices first.
#include <cstdint>

// The names are Windows' own, so they live in a namespace of their own: a file
// may include this and then <windows.h>. Not the other way round: <mmsystem.h>
// defines most of these names as macros.
#if defined(_WIN32) && defined(MIM_DATA)
#error "include midi/midi_platform.h before <mmsystem.h>"
#endif

namespace mm {

using MMRESULT = std::uint16_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOMAP = 66;
constexpr MMRESULT MIDIERR_NOTREADY = 67;
constexpr MMRESULT MIDIERR_NODEVICE = 68;
constexpr MMRESULT MIDIERR_INVALIDSETUP = 69;

// Callback messages.
constexpr std::uint32_t MIM_OPEN = 0x3C1;
constexpr std::uint32_t MIM_CLOSE = 0x3C2;
constexpr std::uint32_t MIM_DATA = 0x3C3;
constexpr std::uint32_t MIM_LONGDATA = 0x3C4;
constexpr std::uint32_t MIM_ERROR = 0x3C5;
constexpr std::uint32_t MIM_LONGERROR = 0x3C6;
constexpr std::uint32_t MOM_OPEN = 0x3C7;
constexpr std::uint32_t MOM_CLOSE = 0x3C8;
constexpr std::uint32_t MOM_DONE = 0x3C9;

constexpr std::uint32_t CALLBACK_FUNCTION = 0x30000;
constexpr int MIDI_MAPPER = -1;

// Header flags.
constexpr std::uint32_t MHDR_DONE = 0x1;
constexpr std::uint32_t MHDR_PREPARED = 0x2;
constexpr std::uint32_t MHDR_INQUEUE = 0x4;

struct MIDIHDR {
    std::uint8_t* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::uint32_t dwFlags = 0;
    MIDIHDR* lpNext = nullptr; // reserved for the backend's queue
    std::uintptr_t reserved = 0;
};

// Header bookkeeping shared by every backend, as the system service does it.
inline void MarkHeaderQueued(MIDIHDR* header) {
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
}
inline void MarkHeaderDone(MIDIHDR* header) {
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
}
// A header still in a queue cannot be unprepared.
inline MMRESULT UnprepareHeaderFlags(MIDIHDR* header) {
    if (header == nullptr)
        return MMSYSERR_INVALPARAM;
    if ((header->dwFlags & MHDR_INQUEUE) != 0)
        return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

constexpr int MAXPNAMELEN = 32;

struct MIDIINCAPS {
    std::uint16_t wMid = 0;
    std::uint16_t wPid = 0;
    std::uint32_t vDriverVersion = 0;
    char szPname[MAXPNAMELEN] = {};
    std::uint32_t dwSupport = 0;
};

struct MIDIOUTCAPS {
    std::uint16_t wMid = 0;
    std::uint16_t wPid = 0;
    std::uint32_t vDriverVersion = 0;
    char szPname[MAXPNAMELEN] = {};
    std::uint16_t wTechnology = 0;
    std::uint16_t wVoices = 0;
    std::uint16_t wNotes = 0;
    std::uint16_t wChannelMask = 0;
    std::uint32_t dwSupport = 0;
};

// Opaque device handles; each backend defines what they point at.
struct MidiInDevice;
struct MidiOutDevice;
using HMIDIIN = MidiInDevice*;
using HMIDIOUT = MidiOutDevice*;

// handle, message, instance, param1, param2 — called on a backend thread.
// For MIM_DATA param1 is the packed short message and param2 the time in ms;
// for MIM_LONGDATA/MIM_LONGERROR param1 is the MIDIHDR*, param2 the time;
// for MOM_DONE param1 is the MIDIHDR*.
using MidiCallback = void (*)(void* handle, std::uint32_t message, std::uintptr_t instance,
                              std::uintptr_t param1, std::uintptr_t param2);

class IMidiPlatform {
public:
    virtual ~IMidiPlatform() = default;

    virtual std::uint32_t midiInGetNumDevs() = 0;
    virtual MMRESULT midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) = 0;
    virtual MMRESULT midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiCallback callback,
                                std::uintptr_t instance, std::uint32_t flags) = 0;
    virtual MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) = 0;
    virtual MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) = 0;
    virtual MMRESULT midiInStart(HMIDIIN handle) = 0;
    virtual MMRESULT midiInReset(HMIDIIN handle) = 0;
    virtual MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) = 0;
    virtual MMRESULT midiInClose(HMIDIIN handle) = 0;
    // Copies the text for a result code into text (size chars, NUL-terminated);
    // a code without a text gives MMSYSERR_BADERRNUM-like failure (non-zero).
    virtual MMRESULT midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) = 0;

    virtual std::uint32_t midiOutGetNumDevs() = 0;
    virtual MMRESULT midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) = 0;
    virtual MMRESULT midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                                 std::uintptr_t instance, std::uint32_t flags) = 0;
    virtual MMRESULT midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) = 0;
    virtual MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) = 0;
    virtual MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) = 0;
    virtual MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) = 0;
    virtual MMRESULT midiOutClose(HMIDIOUT handle) = 0;
    virtual MMRESULT midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) = 0;

    // Reads the device lists again, so that a device plugged in or out since is
    // seen; device ids may change. Open devices stay open. Backends whose lists
    // are always current need not do anything.
    virtual void RefreshDevices() {}
};

} // namespace mm

using mm::IMidiPlatform;

// The platform the ports use. Defaults to the composite of the RtMidi devices
// and the virtual unit once the program installs it; tests install their own.
IMidiPlatform& MidiPlatform();
// Installs a platform (not owned); nullptr restores the default.
void SetMidiPlatform(IMidiPlatform* platform);
