#pragma once
// The virtual unit as a platform MIDI backend: one input and one output device
// named "HRZ2000 virtual unit". What is sent to the output feeds the unit; the
// unit's replies come back through the input callback on a worker thread of
// this backend, with the multimedia API's buffer and callback rules.
#include "midi/midi_backend.h"
#include "unit/virtual_unit.h"
#include "unit/wire_timing.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace mm {

class TVirtualUnitMidiPlatform : public TMidiBackend {
public:
    static constexpr const char* DeviceName = "HRZ2000 virtual unit";

    explicit TVirtualUnitMidiPlatform(TUnitOptions options);
    ~TVirtualUnitMidiPlatform() override;
    TVirtualUnitMidiPlatform(const TVirtualUnitMidiPlatform&) = delete;
    TVirtualUnitMidiPlatform& operator=(const TVirtualUnitMidiPlatform&) = delete;

    std::uint32_t midiInGetNumDevs() override { return 1; }
    MMRESULT midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) override;
    std::uint32_t midiOutGetNumDevs() override { return 1; }
    MMRESULT midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) override;

    // Makes the unit the Express or the older Pre-Express model, with that
    // model's memory file beside the other's, as `hrz2000-unit --pre-express`
    // is; what the other model had not saved yet is saved first. Nothing when
    // it is that model already.
    void SetModel(bool preExpress);
    // "X.state" for the Express model, "X-pre-express.state" for the older one.
    static std::string StatePathForModel(const std::string& path, bool preExpress);
    bool PreExpress() {
        std::lock_guard lock(mutex_);
        return unit_->Options().PreExpress;
    }

    // What the unit had to say about its memory file at start (empty when all was well).
    std::string StartNotice() {
        std::lock_guard lock(mutex_);
        return unit_->StartNotice();
    }

    // Runs f on the unit with the backend locked (for inspection in tests and tools).
    template <class F> auto WithUnit(F&& f) {
        std::lock_guard lock(mutex_);
        return f(static_cast<const THrzVirtualUnit&>(*unit_));
    }

private:
    using TClock = TWireTiming::TClock;
    struct TJob {
        enum class TKind { Reply, OutputDone } Kind = TKind::Reply;
        std::vector<std::uint8_t> Bytes;
        MIDIHDR* Header = nullptr;
    };
    struct TUnitInPort : TInPort {
        TClock::time_point StartTime{};
        TMidiByteParser Driver; // splits the cable's bytes as a driver does
    };

    MMRESULT OpenInput(TLock& lock, std::uint32_t deviceId,
                       std::unique_ptr<TInPort>& port) override;
    MMRESULT OpenOutput(TLock& lock, int deviceId, std::unique_ptr<TOutPort>& port) override;
    void Starting(TLock& lock, TInPort& port) override;
    void Stopping(TLock& lock, TInPort& port) override;
    void BufferAdded(TLock& lock, TInPort& port) override;
    void ClosingInput(TLock& lock, TInPort& port) override;
    MMRESULT ClosingOutput(TLock& lock, TOutPort& port) override;
    MMRESULT SendShort(TLock& lock, TOutPort& port, std::uint32_t message) override;
    MMRESULT SendLong(TLock& lock, TOutPort& port, MIDIHDR* header) override;
    // A block completed by close is still released through the old handle.
    bool ReleasesAfterClose(HMIDIOUT handle) const override { return handle == closedOut_; }
    // Calls a callback with the lock released; close and reset wait for it to return.
    void Invoke(TLock& lock, MidiCallback callback, void* handle, std::uint32_t message,
                std::uintptr_t instance, std::uintptr_t p1, std::uintptr_t p2) override;

    // The open input, if it is started; the open output.
    TUnitInPort* StartedInput() const;
    TOutPort* Output() const { return OutputOf(0); }
    void FeedUnit(TLock& lock, const std::uint8_t* bytes, std::size_t count, MIDIHDR* done);
    void Schedule(TClock::time_point due, TJob job);
    void WorkerLoop();
    // Hands waiting messages to the input; false when nothing could be delivered.
    bool DeliverPending(TLock& lock);
    void WaitForCallbacks(TLock& lock);
    static std::uint32_t InputTime(const TUnitInPort& port);

    std::condition_variable_any wake_;
    std::condition_variable_any callbackDone_;
    std::unique_ptr<THrzVirtualUnit> unit_;
    TWireTiming toUnit_;
    TWireTiming fromUnit_;
    HMIDIOUT closedOut_ = nullptr;
    // Ordered by due time, then by the order they were made.
    std::multimap<TClock::time_point, TJob> jobs_;
    // Messages that have arrived at the input. A sysex block waits here for buffers
    // (partly delivered up to SysexOffset): the cable pauses rather than losing data.
    std::deque<TParsedMidiMessage> arrived_;
    std::size_t sysexOffset_ = 0;
    int callbacksRunning_ = 0;
    std::vector<std::thread::id> callbackThreads_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace mm

using mm::TVirtualUnitMidiPlatform;

// The program's built-in virtual unit (not owned), which follows the main
// window's "Use Pre-Express options"; null when there is none.
TVirtualUnitMidiPlatform* BuiltInVirtualUnit();
void SetBuiltInVirtualUnit(TVirtualUnitMidiPlatform* unit);
