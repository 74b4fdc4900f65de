#pragma once
// A scriptable platform for tests: named devices, input injected from any
// thread (short messages and sysex blocks that fill the queued buffers as the
// real service does), recorded output, and a failure for every operation.
#include "midi/midi_backend.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mm {

class TTestMidiPlatform : public TMidiBackend {
public:
    struct TDevice {
        std::string Name;
        std::uint16_t Mid = 1;
        std::uint16_t Pid = 1;
        std::uint32_t DriverVersion = 0x0100;
    };
    struct TSent {
        int DeviceId = 0;
        bool Long = false;
        std::uint32_t Packed = 0;        // short messages
        std::vector<std::uint8_t> Bytes; // the bytes that went out
    };

    TTestMidiPlatform();
    ~TTestMidiPlatform() override;

    // Device set-up; returns the new device id.
    std::uint32_t AddInputDevice(const TDevice& device);
    std::uint32_t AddInputDevice(const std::string& name) { return AddInputDevice(TDevice{name}); }
    int AddOutputDevice(const TDevice& device);
    int AddOutputDevice(const std::string& name) { return AddOutputDevice(TDevice{name}); }
    // A device unplugged: it leaves the list (the ids of later ones move down).
    void RemoveInputDevice(std::uint32_t deviceId);
    void RemoveOutputDevice(int deviceId);
    // Output -1 is an alias of output 0 with this name.
    void SetMapperName(const std::string& name);

    // After `after` more successful calls, the next `times` calls of op fail
    // with code (times < 0: every call until cleared).
    void Fail(TMidiOp op, MMRESULT code, int times = 1, int after = 0);
    void ClearFailures();
    int CallCount(TMidiOp op) const;
    // Error texts: the standard ones plus overrides; a removed code has no text.
    void SetErrorText(MMRESULT code, const std::string& text);
    void RemoveErrorText(MMRESULT code);

    // Input, from any thread. Nothing is delivered unless the device is open and started.
    bool InjectShort(std::uint32_t deviceId, std::uint32_t message, std::uint32_t time);
    // Fills the queued buffers in order, one MIM_LONGDATA per buffer; bytes that
    // find no buffer are lost. An empty block returns one buffer with 0 bytes.
    // Returns the number of bytes delivered.
    std::size_t InjectSysex(std::uint32_t deviceId, const std::vector<std::uint8_t>& bytes,
                            std::uint32_t time);
    // Any callback message with raw parameters.
    bool InjectCallback(std::uint32_t deviceId, std::uint32_t message, std::uintptr_t param1,
                        std::uintptr_t param2);

    std::size_t QueuedBufferCount(std::uint32_t deviceId) const;
    bool IsInputOpen(std::uint32_t deviceId) const;
    bool IsInputStarted(std::uint32_t deviceId) const;
    bool IsOutputOpen(int deviceId) const;
    std::size_t OpenDeviceCount() const;

    std::vector<TSent> Sent() const;
    void ClearSent();
    // While held, finished blocks are not reported until ReleaseDone.
    void SetHoldDone(bool hold);
    void ReleaseDone();

    std::uint32_t midiInGetNumDevs() override;
    MMRESULT midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) override;
    MMRESULT midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;
    std::uint32_t midiOutGetNumDevs() override;
    MMRESULT midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) override;
    MMRESULT midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;

private:
    struct THoldingOutPort : TOutPort {
        std::deque<MIDIHDR*> HeldDone; // sent, reported done at ReleaseDone
    };
    struct TFailure {
        MMRESULT Code = 0;
        int Times = 0;
        int After = 0;
    };

    MMRESULT Enter(TMidiOp op) override; // counts the call, returns the injected failure if any
    MMRESULT OutputDevice(int& deviceId) override;
    MMRESULT OpenInput(TLock& lock, std::uint32_t deviceId,
                       std::unique_ptr<TInPort>& port) override;
    MMRESULT OpenOutput(TLock& lock, int deviceId, std::unique_ptr<TOutPort>& port) override;
    MMRESULT ClosingOutput(TLock& lock, TOutPort& port) override;
    MMRESULT SendShort(TLock& lock, TOutPort& port, std::uint32_t message) override;
    MMRESULT SendLong(TLock& lock, TOutPort& port, MIDIHDR* header) override;
    TInPort* StartedInput(std::uint32_t deviceId) const;

    std::vector<TDevice> inputs_;
    std::vector<TDevice> outputs_;
    std::string mapperName_ = "MIDI Mapper";
    std::array<TFailure, static_cast<std::size_t>(TMidiOp::Count)> failures_{};
    std::array<int, static_cast<std::size_t>(TMidiOp::Count)> calls_{};
    std::map<MMRESULT, std::string> textOverrides_;
    std::vector<MMRESULT> removedTexts_;
    std::vector<TSent> sent_;
    bool holdDone_ = false;
};

} // namespace mm

using mm::TTestMidiPlatform;
