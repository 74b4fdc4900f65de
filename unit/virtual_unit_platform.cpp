#include "unit/virtual_unit_platform.h"

#include "midi/midi_result_text.h"
#include "model/file_path.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>

using namespace mm;

namespace {

template <std::size_t N> void CopyName(char (&target)[N], const char* name) {
    std::memset(target, 0, N);
    std::strncpy(target, name, N - 1);
}

} // namespace

TVirtualUnitMidiPlatform::TVirtualUnitMidiPlatform(TUnitOptions options)
    : unit_(std::make_unique<THrzVirtualUnit>(options)), toUnit_(options.WirePacing),
      fromUnit_(options.WirePacing, std::chrono::milliseconds(options.AnswerDelayMs)) {
    worker_ = std::thread([this] { WorkerLoop(); });
}

namespace {
std::atomic<TVirtualUnitMidiPlatform*> gBuiltInUnit{nullptr};
} // namespace

TVirtualUnitMidiPlatform* BuiltInVirtualUnit() {
    return gBuiltInUnit.load();
}

void SetBuiltInVirtualUnit(TVirtualUnitMidiPlatform* unit) {
    gBuiltInUnit = unit;
}

std::string TVirtualUnitMidiPlatform::StatePathForModel(const std::string& path, bool preExpress) {
    if (path.empty())
        return path;
    namespace fs = std::filesystem;
    const fs::path file = PathFromUtf8(path);
    static const std::string kSuffix = "-pre-express";
    std::string stem = Utf8FromPath(file.stem());
    if (stem.size() > kSuffix.size() &&
        stem.compare(stem.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0)
        stem.resize(stem.size() - kSuffix.size());
    const std::string name = stem + (preExpress ? kSuffix : "") + Utf8FromPath(file.extension());
    // Only the name changes: the folder keeps its separators as given.
    return Utf8FromPath(fs::path(file).replace_filename(PathFromUtf8(name)));
}

void TVirtualUnitMidiPlatform::SetModel(bool preExpress) {
    std::lock_guard lock(mutex_);
    if (unit_->Options().PreExpress == preExpress)
        return;
    TUnitOptions options = unit_->Options();
    options.PreExpress = preExpress;
    options.StatePath = StatePathForModel(options.StatePath, preExpress);
    // The old model's destructor writes what it had not saved.
    unit_.reset();
    unit_ = std::make_unique<THrzVirtualUnit>(options);
    wake_.notify_all(); // its save schedule is new
}

TVirtualUnitMidiPlatform::~TVirtualUnitMidiPlatform() {
    if (gBuiltInUnit.load() == this)
        gBuiltInUnit = nullptr;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

// ---- devices ---------------------------------------------------------------------------

MMRESULT TVirtualUnitMidiPlatform::midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) {
    if (deviceId != 0)
        return MMSYSERR_BADDEVICEID;
    caps = MIDIINCAPS{};
    caps.vDriverVersion = 0x0100;
    CopyName(caps.szPname, DeviceName);
    return MMSYSERR_NOERROR;
}

MMRESULT TVirtualUnitMidiPlatform::midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) {
    if (deviceId != 0)
        return MMSYSERR_BADDEVICEID;
    caps = MIDIOUTCAPS{};
    caps.vDriverVersion = 0x0100;
    caps.wTechnology = 1; // a MIDI port
    caps.wChannelMask = 0xFFFF;
    CopyName(caps.szPname, DeviceName);
    return MMSYSERR_NOERROR;
}

// ---- input -----------------------------------------------------------------------------

MMRESULT TVirtualUnitMidiPlatform::OpenInput(TLock&, std::uint32_t,
                                             std::unique_ptr<TInPort>& port) {
    port = std::make_unique<TUnitInPort>();
    return MMSYSERR_NOERROR;
}

TVirtualUnitMidiPlatform::TUnitInPort* TVirtualUnitMidiPlatform::StartedInput() const {
    auto* port = static_cast<TUnitInPort*>(InputOf(0));
    return port != nullptr && port->Started ? port : nullptr;
}

void TVirtualUnitMidiPlatform::Starting(TLock&, TInPort& port) {
    if (!port.Started)
        static_cast<TUnitInPort&>(port).StartTime = TClock::now();
}

void TVirtualUnitMidiPlatform::Stopping(TLock& lock, TInPort& port) {
    static_cast<TUnitInPort&>(port).Driver.Reset();
    WaitForCallbacks(lock);
    arrived_.clear();
    sysexOffset_ = 0;
}

void TVirtualUnitMidiPlatform::BufferAdded(TLock&, TInPort&) {
    wake_.notify_all(); // a block may be waiting for a buffer
}

void TVirtualUnitMidiPlatform::ClosingInput(TLock& lock, TInPort&) {
    // Whatever the worker is delivering finishes before close returns; nothing follows.
    WaitForCallbacks(lock);
    arrived_.clear();
    sysexOffset_ = 0;
}

// ---- output ----------------------------------------------------------------------------

MMRESULT TVirtualUnitMidiPlatform::OpenOutput(TLock&, int, std::unique_ptr<TOutPort>& port) {
    port = std::make_unique<TOutPort>();
    closedOut_ = nullptr;
    return MMSYSERR_NOERROR;
}

MMRESULT TVirtualUnitMidiPlatform::SendShort(TLock& lock, TOutPort&, std::uint32_t message) {
    std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message & 0xFF),
                             static_cast<std::uint8_t>((message >> 8) & 0xFF),
                             static_cast<std::uint8_t>((message >> 16) & 0xFF)};
    std::size_t count = 0;
    if (bytes[0] == 0xF0 || bytes[0] == 0xF7)
        return MMSYSERR_INVALPARAM; // system exclusive goes through midiOutLongMsg
    if (bytes[0] >= 0x80)
        count = 1 + static_cast<std::size_t>(TMidiByteParser::DataByteCount(bytes[0]));
    else
        count = 2; // running status: the unit's receiver supplies the status
    FeedUnit(lock, bytes, count, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT TVirtualUnitMidiPlatform::SendLong(TLock& lock, TOutPort&, MIDIHDR* header) {
    MarkHeaderQueued(header);
    FeedUnit(lock, header->lpData, header->dwBufferLength, header);
    return MMSYSERR_NOERROR;
}

MMRESULT TVirtualUnitMidiPlatform::ClosingOutput(TLock& lock, TOutPort& port) {
    WaitForCallbacks(lock);
    // Blocks still on their way are finished now rather than refusing to close.
    std::vector<MIDIHDR*> pending;
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        if (it->second.Kind == TJob::TKind::OutputDone) {
            pending.push_back(it->second.Header);
            it = jobs_.erase(it);
        } else {
            ++it;
        }
    }
    for (MIDIHDR* header : pending)
        Done(lock, port, header);
    closedOut_ = reinterpret_cast<HMIDIOUT>(&port);
    return MMSYSERR_NOERROR;
}

// ---- the unit and the worker ------------------------------------------------------------

void TVirtualUnitMidiPlatform::FeedUnit(TLock&, const std::uint8_t* bytes, std::size_t count,
                                        MIDIHDR* done) {
    const auto arrived = toUnit_.Transmit(TClock::now(), count);
    for (auto& reply : unit_->Receive(bytes, count)) {
        const auto due = fromUnit_.Transmit(arrived, reply.size());
        Schedule(due, TJob{TJob::TKind::Reply, std::move(reply), nullptr});
    }
    if (done)
        Schedule(arrived, TJob{TJob::TKind::OutputDone, {}, done});
    wake_.notify_all(); // a store may have made a save due
}

void TVirtualUnitMidiPlatform::Schedule(TClock::time_point due, TJob job) {
    jobs_.emplace(due, std::move(job));
    wake_.notify_all();
}

void TVirtualUnitMidiPlatform::WorkerLoop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        bool progressed = false;
        if (!jobs_.empty() && jobs_.begin()->first <= TClock::now()) {
            TJob job = std::move(jobs_.begin()->second);
            jobs_.erase(jobs_.begin());
            progressed = true;
            if (job.Kind == TJob::TKind::OutputDone) {
                if (TOutPort* output = Output())
                    Done(lock, *output, job.Header);
                else
                    MarkHeaderDone(job.Header);
            } else if (TUnitInPort* input = StartedInput()) {
                // Nobody listens on a closed or stopped input: those bytes go by unheard.
                std::vector<TParsedMidiMessage> messages;
                input->Driver.Feed(job.Bytes, messages);
                for (auto& m : messages)
                    arrived_.push_back(std::move(m));
            }
        }
        if (DeliverPending(lock))
            progressed = true;
        unit_->SaveIfDue(TClock::now());
        if (progressed)
            continue;
        auto until = TClock::time_point::max();
        if (!jobs_.empty())
            until = jobs_.begin()->first;
        if (const auto due = unit_->SaveDue())
            until = std::min(until, *due);
        if (until == TClock::time_point::max())
            wake_.wait(lock);
        else
            wake_.wait_until(lock, until);
    }
}

bool TVirtualUnitMidiPlatform::DeliverPending(TLock& lock) {
    using TKind = TParsedMidiMessage::TKind;
    bool delivered = false;
    while (!arrived_.empty()) {
        // Looked up again after every callback, which runs without the lock.
        TUnitInPort* input = StartedInput();
        if (input == nullptr) {
            arrived_.clear();
            sysexOffset_ = 0;
            return delivered;
        }
        TParsedMidiMessage& next = arrived_.front();
        const bool isSysex = next.Kind == TKind::Sysex || next.Kind == TKind::SysexAborted;
        if (!isSysex) {
            std::uint32_t packed = 0;
            for (std::size_t i = 0; i < next.Bytes.size() && i < 3; ++i)
                packed |= static_cast<std::uint32_t>(next.Bytes[i]) << (8 * i);
            arrived_.pop_front();
            Notify(lock, *input, MIM_DATA, packed, InputTime(*input));
            delivered = true;
            continue;
        }
        if (input->Queue.empty())
            return delivered; // waits for midiInAddBuffer
        MIDIHDR* header = input->Queue.front();
        input->Queue.pop_front();
        const std::size_t n =
            std::min<std::size_t>(next.Bytes.size() - sysexOffset_, header->dwBufferLength);
        std::memcpy(header->lpData, next.Bytes.data() + sysexOffset_, n);
        sysexOffset_ += n;
        header->dwBytesRecorded = static_cast<std::uint32_t>(n);
        MarkHeaderDone(header);
        std::uint32_t message = MIM_LONGDATA;
        if (sysexOffset_ == next.Bytes.size()) {
            if (next.Kind == TKind::SysexAborted)
                message = MIM_LONGERROR;
            arrived_.pop_front();
            sysexOffset_ = 0;
        }
        Notify(lock, *input, message, reinterpret_cast<std::uintptr_t>(header), InputTime(*input));
        delivered = true;
    }
    return delivered;
}

void TVirtualUnitMidiPlatform::Invoke(TLock& lock, MidiCallback callback, void* handle,
                                      std::uint32_t message, std::uintptr_t instance,
                                      std::uintptr_t p1, std::uintptr_t p2) {
    if (!callback)
        return;
    ++callbacksRunning_;
    callbackThreads_.push_back(std::this_thread::get_id());
    lock.unlock();
    callback(handle, message, instance, p1, p2);
    lock.lock();
    --callbacksRunning_;
    callbackThreads_.erase(
        std::find(callbackThreads_.begin(), callbackThreads_.end(), std::this_thread::get_id()));
    callbackDone_.notify_all();
}

void TVirtualUnitMidiPlatform::WaitForCallbacks(TLock& lock) {
    // A callback that closes its own device must not wait for itself.
    const auto self = std::this_thread::get_id();
    callbackDone_.wait(lock, [&] {
        return std::all_of(callbackThreads_.begin(), callbackThreads_.end(),
                           [&](std::thread::id id) { return id == self; });
    });
}

std::uint32_t TVirtualUnitMidiPlatform::InputTime(const TUnitInPort& port) {
    if (!port.Started)
        return 0;
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - port.StartTime)
            .count());
}
