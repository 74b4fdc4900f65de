#pragma once
// What the multimedia API does for every device, written once: the table of
// open handles, the rules for long-message headers, the open and close notices
// and the buffers an input reset hands back. A backend derived from it lists
// its devices and moves bytes; it sees only valid handles and valid headers.
// One lock guards it all; a backend's own thread takes it too.
#include "midi/midi_platform.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// The calls a backend may be asked to fail (the scriptable test backend does).
enum class TMidiOp {
    InGetDevCaps,
    InOpen,
    InPrepareHeader,
    InAddBuffer,
    InStart,
    InReset,
    InUnprepareHeader,
    InClose,
    OutGetDevCaps,
    OutOpen,
    OutShortMsg,
    OutPrepareHeader,
    OutLongMsg,
    OutUnprepareHeader,
    OutClose,
    Count
};

namespace mm {

class TMidiBackend : public IMidiPlatform {
public:
    TMidiBackend();
    ~TMidiBackend() override;
    TMidiBackend(const TMidiBackend&) = delete;
    TMidiBackend& operator=(const TMidiBackend&) = delete;

    MMRESULT midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiCallback callback,
                        std::uintptr_t instance, std::uint32_t flags) final;
    MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) final;
    MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) final;
    MMRESULT midiInStart(HMIDIIN handle) final;
    MMRESULT midiInReset(HMIDIIN handle) final;
    MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) final;
    MMRESULT midiInClose(HMIDIIN handle) final;
    MMRESULT midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;

    MMRESULT midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                         std::uintptr_t instance, std::uint32_t flags) final;
    MMRESULT midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) final;
    MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) final;
    MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) final;
    MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) final;
    MMRESULT midiOutClose(HMIDIOUT handle) final;
    MMRESULT midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;

protected:
    using TLock = std::unique_lock<std::recursive_mutex>;

    // An open device; its address is the handle. Backends derive their own.
    struct TInPort {
        virtual ~TInPort() = default;
        std::uint32_t DeviceId = 0;
        MidiCallback Callback = nullptr;
        std::uintptr_t Instance = 0;
        bool Started = false;
        std::deque<MIDIHDR*> Queue; // the buffers waiting to be filled, oldest first
    };
    struct TOutPort {
        virtual ~TOutPort() = default;
        int DeviceId = 0;
        MidiCallback Callback = nullptr;
        std::uintptr_t Instance = 0;
    };

    // ---- what a backend does; each is called with the lock held, for a valid handle

    // Counts the call and returns a failure to report instead (the test backend).
    virtual MMRESULT Enter(TMidiOp) { return MMSYSERR_NOERROR; }
    // Whether a device open already refuses a second open with MMSYSERR_ALLOCATED.
    virtual bool OpensOnce() const { return true; }
    // The output device an id names (MIDI_MAPPER may stand for one), or an error.
    virtual MMRESULT OutputDevice(int& deviceId);
    // Makes the port for an input or output device whose id is in range.
    virtual MMRESULT OpenInput(TLock& lock, std::uint32_t deviceId,
                               std::unique_ptr<TInPort>& port) = 0;
    virtual MMRESULT OpenOutput(TLock& lock, int deviceId, std::unique_ptr<TOutPort>& port) = 0;
    virtual void Starting(TLock&, TInPort&) {}
    // On reset, before the queued buffers come back: forget what was on its way.
    virtual void Stopping(TLock&, TInPort&) {}
    virtual void BufferAdded(TLock&, TInPort&) {}
    // The input has no buffers left; Started is already false. Nothing may be
    // delivered once this returns.
    virtual void ClosingInput(TLock&, TInPort&) {}
    // May refuse (MIDIERR_STILLPLAYING); blocks it finishes are reported here.
    virtual MMRESULT ClosingOutput(TLock&, TOutPort&) { return MMSYSERR_NOERROR; }
    virtual MMRESULT SendShort(TLock& lock, TOutPort& port, std::uint32_t message) = 0;
    // A prepared header not in a queue; reports it done now or later.
    virtual MMRESULT SendLong(TLock& lock, TOutPort& port, MIDIHDR* header) = 0;
    // A handle closed already through which a finished block may still be released.
    virtual bool ReleasesAfterClose(HMIDIOUT) const { return false; }
    // Calls a port's callback; by default with the lock held, as a callback may call back in.
    virtual void Invoke(TLock& lock, MidiCallback callback, void* handle, std::uint32_t message,
                        std::uintptr_t instance, std::uintptr_t p1, std::uintptr_t p2);

    // ---- for the backends

    // Releases the lock for its scope: for calls that wait on another thread
    // (a client of a sound server starting or stopping) that may want the lock.
    class TUnlocked {
    public:
        explicit TUnlocked(TLock& lock) : lock_(lock) { lock_.unlock(); }
        ~TUnlocked() { lock_.lock(); }
        TUnlocked(const TUnlocked&) = delete;
        TUnlocked& operator=(const TUnlocked&) = delete;

    private:
        TLock& lock_;
    };

    void Notify(TLock& lock, TInPort& port, std::uint32_t message, std::uintptr_t p1,
                std::uintptr_t p2);
    void Notify(TLock& lock, TOutPort& port, std::uint32_t message, std::uintptr_t p1,
                std::uintptr_t p2);
    // Marks a block done and reports MOM_DONE.
    void Done(TLock& lock, TOutPort& port, MIDIHDR* header);

    TInPort* FindIn(HMIDIIN handle) const;
    TOutPort* FindOut(HMIDIOUT handle) const;
    // The open port of a device, or null.
    TInPort* InputOf(std::uint32_t deviceId) const;
    TOutPort* OutputOf(int deviceId) const;
    const std::vector<std::unique_ptr<TInPort>>& OpenInputs() const { return inputs_; }
    const std::vector<std::unique_ptr<TOutPort>>& OpenOutputs() const { return outputs_; }

    mutable std::recursive_mutex mutex_;

private:
    std::vector<std::unique_ptr<TInPort>> inputs_;
    std::vector<std::unique_ptr<TOutPort>> outputs_;
};

// The header rules, as the multimedia API applies them.
// Prepare: a header and a buffer address; a buffer of 0 bytes is accepted.
MMRESULT PrepareHeader(MIDIHDR* header);
// Add buffer: prepared, not queued, and room for at least one byte.
MMRESULT CheckInputBuffer(const MIDIHDR* header);
// Long message: prepared, not queued; 0 bytes need no address.
MMRESULT CheckLongMessage(const MIDIHDR* header);
// Open: the callback type in flags is a function or none (MMSYSERR_INVALFLAG),
// and a callback comes with flags that say so (MMSYSERR_INVALPARAM).
MMRESULT CheckOpenFlags(MidiCallback callback, std::uint32_t flags);

} // namespace mm

using mm::TMidiBackend;
