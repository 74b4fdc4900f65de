#pragma once
// The MIDI output port: sends short messages and sysex blocks to one device.
// A sysex block is copied at the call and freed when the device reports it
// done. Every failure is an EmidioutputError with the user's text.
#include "midi/midi_callback.h"
#include "midi/midi_event.h"
#include "midi/midi_input.h" // TNotifyEvent
#include "midi/midi_port_errors.h"
#include "midi/my_midi_hdr.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TMidiNotifier;
class TMidiNotifyEvent;

class TMidiOutput : public QObject {
    Q_OBJECT
public:
    explicit TMidiOutput(QObject* owner = nullptr);
    ~TMidiOutput() override;

    virtual bool Open();
    // true when the port was open and is now closed.
    virtual bool Close();
    // Sysex bytes through SendLong, otherwise the three bytes through SendShort.
    virtual void SendEvent(const TMyMidiEvent& event);
    virtual void SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    virtual void SendLong(const std::uint8_t* bytes, std::uint16_t length);
    bool IsOpen() const { return open_; }

    const std::string& ProductName() const { return productName_; }
    void SetProductName(const std::string& name);
    int DeviceID() const { return deviceId_; } // -1: the mapper
    void SetDeviceID(int id);
    std::uint32_t NumDevs() const { return numDevs_; }
    // Counts the devices again (after the platform re-read its lists).
    void RescanDevices() { numDevs_ = platform_.midiOutGetNumDevs(); }
    std::uint16_t Error() const { return error_; } // result of the last platform call
    const mm::MIDIOUTCAPS& Caps() const { return caps_; }
    std::size_t PendingBlockCount() const { return pending_.size(); }

    std::string ErrorText(mm::MMRESULT code) const;

    TNotifyEvent Onmidioutput; // the device is done with a sysex block (window thread)

private:
    // The platform installed when the port was made; it serves the port for life.
    IMidiPlatform& platform_;
    void Check(mm::MMRESULT result);
    void Notified(const TMidiNotifyEvent& event);
    void ReadCaps(int id);

    bool open_ = false;
    mm::HMIDIOUT handle_ = nullptr;
    std::uint32_t numDevs_ = 0;
    std::string productName_;
    int deviceId_ = 0;
    std::uint16_t error_ = 0;
    mm::MIDIOUTCAPS caps_{};
    // Blocks the device still has; freed when it reports them done, or at Close.
    std::vector<std::unique_ptr<TMyMidiHdr>> pending_;
    bool closeFailed_ = false;  // the device may still use info_ and these blocks
    std::uint32_t session_ = 0; // counts Opens, so notices of an old session are ignored
    std::unique_ptr<TMidiCallbackInfo> info_;
    TMidiNotifier* notifier_ = nullptr; // child object
};
