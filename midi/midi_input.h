#pragma once
// The MIDI input port: receives short messages and sysex blocks from one
// device, stamps them with the device's millisecond time and hands them from
// the platform's thread to the window thread through a ring buffer and a
// posted notification. Every failure is an EMidiInputError with the user's text.
#include "midi/midi_callback.h"
#include "midi/midi_event.h"
#include "midi/midi_port_errors.h"
#include "midi/my_midi_hdr.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TMidiNotifier;
class TMidiNotifyEvent;

using TNotifyEvent = std::function<void(QObject* sender)>;

class TMidiInput : public QObject {
    Q_OBJECT
public:
    explicit TMidiInput(QObject* owner = nullptr);
    ~TMidiInput() override;

    // Opens device DeviceID and queues the sysex buffers; closed again on failure.
    void Open();
    // Starts reception; nothing when not open.
    void Start();
    // Stops and closes the device; waiting events are discarded. Nothing when not open.
    void Close();
    bool IsOpen() const { return state_ == TState::Open; }

    std::uint16_t PendingEventCount() const;
    // The oldest waiting event, or null when not open or nothing waits.
    std::unique_ptr<TMyMidiEvent> ReadEvent();

    const std::string& ProductName() const { return productName_; }
    void SetProductName(const std::string& name);
    std::uint16_t DeviceID() const { return deviceId_; }
    void SetDeviceID(std::uint16_t id);
    std::uint16_t Capacity() const { return capacity_; }
    void SetCapacity(std::uint16_t capacity) { capacity_ = capacity; } // used at the next Open
    std::uint16_t Error() const { return error_; }
    std::uint16_t SysexBufferSize() const { return sysexBufferSize_; }
    void SetSysexBufferSize(std::uint16_t size);
    std::uint16_t SysexBufferCount() const { return sysexBufferCount_; }
    void SetSysexBufferCount(std::uint16_t count);
    bool SysexOnly() const { return sysexOnly_; }
    void SetSysexOnly(bool sysexOnly);

    std::uint32_t NumDevs() const { return numDevs_; }
    // Counts the devices again (after the platform re-read its lists).
    void RescanDevices() { numDevs_ = platform_.midiInGetNumDevs(); }
    std::uint16_t ManufacturerID() const { return mid_; }
    std::uint16_t ProductID() const { return pid_; }
    std::uint32_t DriverVersion() const { return driverVersion_; }

    // Text for a result code; "Specified error number is out of range" when none.
    std::string ErrorText(mm::MMRESULT code) const;

    TNotifyEvent OnMidiInput; // events are waiting (window thread)
    TNotifyEvent OnOverflow;  // the ring was full and an event was lost (window thread)

private:
    // The platform installed when the port was made; it serves the port for life.
    IMidiPlatform& platform_;
    enum class TState { Creating, Closed, Open };

    void Check(mm::MMRESULT result); // stores the result; raises its text when not 0
    void Notified(const TMidiNotifyEvent& event);
    void CreateBuffers();
    void QueueBuffer(mm::MIDIHDR& header);
    bool OwnsHeader(const mm::MIDIHDR* header) const;
    void ReleaseDevice(); // closes the handle after a failed Open, ignoring failures

    TState state_ = TState::Creating;
    mm::HMIDIIN handle_ = nullptr;
    std::uint32_t numDevs_ = 0;
    std::string productName_;
    std::uint16_t deviceId_ = 0;
    std::uint16_t capacity_ = 1024;
    std::uint16_t error_ = 0;
    std::uint16_t sysexBufferSize_ = 4096;
    std::uint16_t sysexBufferCount_ = 16;
    bool sysexOnly_ = false;
    std::uint16_t mid_ = 0;
    std::uint16_t pid_ = 0;
    std::uint32_t driverVersion_ = 0;
    std::uint32_t session_ = 0; // counts Opens, so late notices of an old session are ignored

    std::vector<std::unique_ptr<TMyMidiHdr>> headers_;
    std::unique_ptr<TMidiRingBuffer> ring_;
    std::unique_ptr<TMidiCallbackInfo> info_;
    TMidiNotifier* notifier_ = nullptr; // child object
};
