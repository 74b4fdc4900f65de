#include "midi/midi_output.h"

#include "midi/kept_until_exit.h"

#include "midi/midi_notifier.h"

#include <algorithm>
#include <cstring>

using namespace mm;

namespace {

constexpr std::uint32_t kErrorTextSize = 128;

template <std::size_t N> std::string NameOf(const char (&name)[N]) {
    return std::string(name, strnlen(name, N));
}

} // namespace

TMidiOutput::TMidiOutput(QObject* owner) : QObject(owner), platform_(MidiPlatform()) {
    numDevs_ = platform_.midiOutGetNumDevs();
    notifier_ = new TMidiNotifier(this, [this](const TMidiNotifyEvent& event) { Notified(event); });
}

TMidiOutput::~TMidiOutput() {
    if (open_) {
        try {
            Close();
        } catch (const EmidioutputError&) {
            // reported nowhere: the owner is going away
        }
    }
    if (closeFailed_) {
        // The device would not close and may still hold these.
        KeepUntilExit(std::move(info_));
        for (auto& block : pending_)
            KeepUntilExit(std::move(block));
    }
}

std::string TMidiOutput::ErrorText(MMRESULT code) const {
    char text[kErrorTextSize] = {};
    if (platform_.midiOutGetErrorText(code, text, kErrorTextSize) != MMSYSERR_NOERROR)
        return "Specified error number is out of range";
    return NameOf(text);
}

void TMidiOutput::Check(MMRESULT result) {
    error_ = result;
    if (result != MMSYSERR_NOERROR)
        throw EmidioutputError(ErrorText(result));
}

// ---- properties

void TMidiOutput::ReadCaps(int id) {
    MIDIOUTCAPS caps;
    Check(platform_.midiOutGetDevCaps(id, caps));
    deviceId_ = id;
    caps_ = caps;
    productName_ = NameOf(caps.szPname);
}

void TMidiOutput::SetDeviceID(int id) {
    if (open_)
        throw EmidioutputError("Change to DeviceID while device was open");
    if (id >= static_cast<std::int64_t>(numDevs_) || id < MIDI_MAPPER)
        throw EmidioutputError("Invalid device ID");
    ReadCaps(id);
}

void TMidiOutput::SetProductName(const std::string& name) {
    if (open_)
        throw EmidioutputError("Change to ProductName while device was open");
    // The mapper first, then the devices.
    for (int id = MIDI_MAPPER; id < static_cast<std::int64_t>(numDevs_); ++id) {
        MIDIOUTCAPS caps;
        const MMRESULT result = platform_.midiOutGetDevCaps(id, caps);
        if (id == MIDI_MAPPER && result != MMSYSERR_NOERROR)
            continue; // no mapper here
        Check(result);
        if (NameOf(caps.szPname) == name) {
            deviceId_ = id;
            caps_ = caps;
            productName_ = name;
            return;
        }
    }
    throw EmidioutputError("MIDI output Device " + name + " not installed");
}

// ---- open and close

bool TMidiOutput::Open() {
    if (open_)
        return true;
    if (!info_)
        info_ = std::make_unique<TMidiCallbackInfo>();
    info_->Ring = nullptr;
    info_->Window = notifier_;
    info_->Post = &TMidiNotifier::Post;
    info_->Session = ++session_;
    HMIDIOUT handle = nullptr;
    const MMRESULT result =
        platform_.midiOutOpen(&handle, deviceId_, &MidiPortCallback,
                              reinterpret_cast<std::uintptr_t>(info_.get()), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
        info_.reset();
        Check(result);
    }
    error_ = result;
    handle_ = handle;
    open_ = true;
    return true;
}

bool TMidiOutput::Close() {
    if (!open_) {
        handle_ = nullptr;
        return false;
    }
    open_ = false;
    IMidiPlatform& platform = platform_;
    // Blocks already done wait only for their notice; release them with the device.
    for (auto& block : pending_)
        platform.midiOutUnprepareHeader(handle_, &block->Header);
    const MMRESULT result = platform.midiOutClose(handle_);
    if (result == MMSYSERR_NOERROR)
        pending_.clear();
    else
        closeFailed_ = true; // the blocks stay with the device

    handle_ = nullptr;
    Check(result);
    return true;
}

// ---- sending

void TMidiOutput::SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    const std::uint32_t message = status | (static_cast<std::uint32_t>(data1) << 8) |
                                  (static_cast<std::uint32_t>(data2) << 16);
    Check(platform_.midiOutShortMsg(handle_, message));
}

void TMidiOutput::SendLong(const std::uint8_t* bytes, std::uint16_t length) {
    auto block = std::make_unique<TMyMidiHdr>(length);
    if (length != 0)
        std::memcpy(block->Header.lpData, bytes, length);
    block->Header.dwFlags = 0;
    MIDIHDR* header = &block->Header;
    IMidiPlatform& platform = platform_;
    Check(platform.midiOutPrepareHeader(handle_, header));
    // Kept before sending: the device may report it done before LongMsg returns.
    pending_.push_back(std::move(block));
    const MMRESULT result = platform.midiOutLongMsg(handle_, header);
    if (result != MMSYSERR_NOERROR) {
        platform.midiOutUnprepareHeader(handle_, header);
        std::erase_if(pending_, [header](const auto& own) { return &own->Header == header; });
    }
    Check(result);
}

void TMidiOutput::SendEvent(const TMyMidiEvent& event) {
    if (!open_)
        throw EmidioutputError("MIDI Output device not open");
    if (event.HasSysex())
        SendLong(event.Sysex.data(), event.SysexLength());
    else
        SendShort(event.Status, event.Data1, event.Data2);
}

void TMidiOutput::Notified(const TMidiNotifyEvent& event) {
    if (event.Message != MIDI_NOTIFY_DONE || event.Session != session_)
        return;
    auto* header = reinterpret_cast<MIDIHDR*>(event.LParam);
    const auto block = std::find_if(pending_.begin(), pending_.end(),
                                    [header](const auto& own) { return &own->Header == header; });
    if (block == pending_.end())
        return; // already released by Close
    Check(platform_.midiOutUnprepareHeader(handle_, header));
    pending_.erase(block);
    if (Onmidioutput)
        Onmidioutput(this);
}
