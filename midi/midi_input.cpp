#include "midi/midi_input.h"

#include "midi/kept_until_exit.h"

#include "midi/midi_notifier.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace mm;

namespace {

constexpr std::uint32_t kErrorTextSize = 128;

template <std::size_t N> std::string NameOf(const char (&name)[N]) {
    return std::string(name, strnlen(name, N));
}

} // namespace

TMidiInput::TMidiInput(QObject* owner) : QObject(owner), platform_(MidiPlatform()) {
    numDevs_ = platform_.midiInGetNumDevs();
    if (numDevs_ != 0) {
        try {
            SetDeviceID(0);
        } catch (const EMidiInputError&) {
            // device 0 cannot tell its name: the port starts without one
        }
    }
    notifier_ = new TMidiNotifier(this, [this](const TMidiNotifyEvent& event) { Notified(event); });
    state_ = TState::Closed;
}

TMidiInput::~TMidiInput() {
    if (handle_ != nullptr) {
        try {
            Close();
        } catch (const EMidiInputError&) {
            // reported nowhere: the owner is going away
        }
    }
    if (handle_ != nullptr) {
        // The device would not close and may still call back with these.
        KeepUntilExit(std::move(info_));
        KeepUntilExit(std::move(ring_));
        for (auto& header : headers_)
            KeepUntilExit(std::move(header));
    }
}

std::string TMidiInput::ErrorText(MMRESULT code) const {
    char text[kErrorTextSize] = {};
    if (platform_.midiInGetErrorText(code, text, kErrorTextSize) != MMSYSERR_NOERROR)
        return "Specified error number is out of range";
    return NameOf(text);
}

void TMidiInput::Check(MMRESULT result) {
    error_ = result;
    if (result != MMSYSERR_NOERROR)
        throw EMidiInputError(ErrorText(result));
}

// ---- properties

void TMidiInput::SetProductName(const std::string& name) {
    if (IsOpen())
        throw EMidiInputError("Change to ProductName while device was open");
    for (std::uint32_t id = 0; id < numDevs_; ++id) {
        MIDIINCAPS caps;
        Check(platform_.midiInGetDevCaps(id, caps));
        if (NameOf(caps.szPname) == name) {
            deviceId_ = static_cast<std::uint16_t>(id);
            productName_ = name;
            mid_ = caps.wMid;
            pid_ = caps.wPid;
            driverVersion_ = caps.vDriverVersion;
            return;
        }
    }
    throw EMidiInputError("MIDI Input Device " + name + " not installed ");
}

void TMidiInput::SetDeviceID(std::uint16_t id) {
    if (IsOpen())
        throw EMidiInputError("Change to DeviceID while device was open");
    if (id >= numDevs_)
        throw EMidiInputError("Invalid device ID");
    MIDIINCAPS caps;
    Check(platform_.midiInGetDevCaps(id, caps));
    deviceId_ = id;
    productName_ = NameOf(caps.szPname);
    mid_ = caps.wMid;
    pid_ = caps.wPid;
    driverVersion_ = caps.vDriverVersion;
}

void TMidiInput::SetSysexBufferSize(std::uint16_t size) {
    if (IsOpen())
        throw EMidiInputError("Change to SysexBufferSize while device was open");
    sysexBufferSize_ = size;
}

void TMidiInput::SetSysexBufferCount(std::uint16_t count) {
    if (IsOpen())
        throw EMidiInputError("Change to SysexBuffercount while device was open");
    sysexBufferCount_ = count;
}

void TMidiInput::SetSysexOnly(bool sysexOnly) {
    sysexOnly_ = sysexOnly;
    if (info_)
        info_->SysexOnly.store(sysexOnly);
}

// ---- open and close

void TMidiInput::Open() {
    if (IsOpen())
        return;
    if (handle_ != nullptr)
        Close(); // a device left over from a close that failed
    IMidiPlatform& platform = platform_;
    try {
        if (!ring_) {
            try {
                ring_ = std::make_unique<TMidiRingBuffer>(capacity_);
            } catch (const std::bad_alloc&) {
                Check(MMSYSERR_NOMEM);
            }
        }
        if (!info_)
            info_ = std::make_unique<TMidiCallbackInfo>();
        info_->Ring = ring_.get();
        info_->Window = notifier_;
        info_->Post = &TMidiNotifier::Post;
        info_->SysexOnly.store(sysexOnly_);
        info_->DataNoticePending.store(false);
        info_->Session = ++session_;
        HMIDIIN handle = nullptr;
        Check(platform.midiInOpen(&handle, deviceId_, &MidiPortCallback,
                                  reinterpret_cast<std::uintptr_t>(info_.get()),
                                  CALLBACK_FUNCTION));
        handle_ = handle;
        CreateBuffers();
        for (auto& header : headers_)
            Check(platform.midiInAddBuffer(handle_, &header->Header));
    } catch (...) {
        const MMRESULT failure = error_;
        ReleaseDevice();
        error_ = failure;
        if (handle_ == nullptr) {
            ring_.reset();
            info_.reset();
        }
        throw;
    }
    state_ = TState::Open;
}

void TMidiInput::CreateBuffers() {
    if (sysexBufferCount_ == 0 || sysexBufferSize_ == 0)
        return;
    while (headers_.size() < sysexBufferCount_) {
        auto header = std::make_unique<TMyMidiHdr>(sysexBufferSize_);
        header->Header.dwFlags = 0;
        header->Header.dwBytesRecorded = 0;
        Check(platform_.midiInPrepareHeader(handle_, &header->Header));
        headers_.push_back(std::move(header));
    }
}

void TMidiInput::ReleaseDevice() {
    if (handle_ == nullptr) {
        headers_.clear();
        return;
    }
    IMidiPlatform& platform = platform_;
    platform.midiInReset(handle_);
    for (auto& header : headers_)
        platform.midiInUnprepareHeader(handle_, &header->Header);
    if (platform.midiInClose(handle_) == MMSYSERR_NOERROR) {
        handle_ = nullptr;
        headers_.clear();
    }
}

void TMidiInput::Start() {
    if (!IsOpen())
        return;
    Check(platform_.midiInStart(handle_));
}

void TMidiInput::Close() {
    if (!IsOpen() && handle_ == nullptr)
        return;
    // Closed first, so ReadEvent and late notifications ignore everything from here.
    state_ = TState::Closed;
    IMidiPlatform& platform = platform_;
    MMRESULT failure = MMSYSERR_NOERROR;
    auto note = [&failure](MMRESULT result) {
        if (failure == MMSYSERR_NOERROR)
            failure = result;
        return result;
    };
    note(platform.midiInReset(handle_));
    for (auto& header : headers_)
        note(platform.midiInUnprepareHeader(handle_, &header->Header));
    // Buffers, ring and handle go only once the device is closed: until then
    // the platform may still write into them.
    if (note(platform.midiInClose(handle_)) == MMSYSERR_NOERROR) {
        handle_ = nullptr;
        headers_.clear();
        ring_.reset();
        if (info_)
            info_->Ring = nullptr;
    }
    Check(failure);
}

// ---- reading

std::uint16_t TMidiInput::PendingEventCount() const {
    return IsOpen() && ring_ ? ring_->Count() : 0;
}

bool TMidiInput::OwnsHeader(const MIDIHDR* header) const {
    return std::any_of(headers_.begin(), headers_.end(),
                       [header](const auto& own) { return &own->Header == header; });
}

void TMidiInput::QueueBuffer(MIDIHDR& header) {
    header.dwBytesRecorded = 0;
    header.dwBufferLength = sysexBufferSize_;
    header.dwFlags = 0;
    Check(platform_.midiInPrepareHeader(handle_, &header));
    Check(platform_.midiInAddBuffer(handle_, &header));
}

std::unique_ptr<TMyMidiEvent> TMidiInput::ReadEvent() {
    TMidiRingItem item;
    if (!IsOpen() || !ring_ || !ring_->Peek(item))
        return nullptr;
    auto event = std::make_unique<TMyMidiEvent>();
    event->Time = item.Time;
    if (item.Header != nullptr) {
        MIDIHDR& header = *item.Header;
        event->Status = 0xF0;
        // Never trust a count beyond the buffer.
        const std::uint32_t length =
            std::min<std::uint32_t>({header.dwBytesRecorded, header.dwBufferLength, 0xFFFF});
        if (length != 0)
            event->Sysex.assign(header.lpData, header.lpData + length);
        if (OwnsHeader(&header)) {
            const std::uint32_t recorded = header.dwBytesRecorded;
            try {
                QueueBuffer(header);
            } catch (const EMidiInputError&) {
                header.dwBytesRecorded = recorded; // the item stays intact for the next read
                throw;
            }
        }
    } else {
        event->Status = static_cast<std::uint8_t>(item.Message);
        event->Data1 = static_cast<std::uint8_t>(item.Message >> 8);
        event->Data2 = static_cast<std::uint8_t>(item.Message >> 16);
    }
    ring_->Remove();
    return event;
}

void TMidiInput::Notified(const TMidiNotifyEvent& event) {
    switch (event.Message) {
    case MIDI_NOTIFY_DATA: {
        if (!IsOpen() || !info_ || event.Session != session_)
            break;
        // Cleared before reading, so an item put from now on posts a new notice.
        info_->DataNoticePending.store(false);
        const std::uint16_t waiting = PendingEventCount();
        if (!OnMidiInput || waiting == 0)
            break;
        OnMidiInput(this);
        // A handler that read some but left others waiting hears about them again.
        const std::uint16_t left = PendingEventCount();
        if (IsOpen() && info_ && left > 0 && left < waiting &&
            !info_->DataNoticePending.exchange(true))
            TMidiNotifier::Post(notifier_, MIDI_NOTIFY_DATA, 0, session_);
        break;
    }
    case MIDI_NOTIFY_OVERFLOW: {
        // A dropped sysex item took its buffer with it: queue the buffer again
        // so reception does not run dry.
        auto* header = reinterpret_cast<MIDIHDR*>(event.LParam);
        if (header != nullptr && IsOpen() && event.Session == session_ && OwnsHeader(header)) {
            try {
                QueueBuffer(*header);
            } catch (const EMidiInputError&) {
                // the buffer stays out of service; Error holds the code
            }
        }
        if (OnOverflow && IsOpen())
            OnOverflow(this);
        break;
    }
    default:
        break;
    }
}
