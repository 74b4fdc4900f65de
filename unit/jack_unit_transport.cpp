#include "unit/jack_unit_transport.h"

#include "unit/jack_ring_framing.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <semaphore.h>
#include <stdexcept>
#include <time.h>

namespace {

using JackRing::TLength;
constexpr std::size_t kRingSize = 256 * 1024;
// Replies waiting for the JACK buffer, at most: as a real unit's output buffer
// is bounded, a flood of requests drops replies instead of filling memory.
// Four banks' bulk dumps fit (about 200 KB).
constexpr std::size_t kMaxBacklogBytes = 1024 * 1024;
// While replies wait for room, the main thread looks again this often.
constexpr auto kRefillInterval = std::chrono::milliseconds(5);

class TJackUnitTransport final : public IUnitTransport {
public:
    explicit TJackUnitTransport(const std::string& clientName);
    ~TJackUnitTransport() override;
    TJackUnitTransport(const TJackUnitTransport&) = delete;
    TJackUnitTransport& operator=(const TJackUnitTransport&) = delete;

    void Wait(TClock::time_point until, std::vector<TMessage>& received) override;
    void Send(const TMessage& block) override;
    bool Sending() const override;
    std::string Failure() const override;
    std::vector<std::string> TakeWarnings() override;
    std::string Description() const override;

private:
    static int Process(jack_nframes_t frames, void* self);
    static void Shutdown(jack_status_t code, const char* reason, void* self);
    void TakeIncoming(std::vector<TMessage>& received);
    void FillOutRing();
    void Close();

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_ringbuffer_t* inRing_ = nullptr;  // process thread -> main thread
    jack_ringbuffer_t* outRing_ = nullptr; // main thread -> process thread
    sem_t wake_{};
    bool semaphoreMade_ = false;
    std::string name_;
    std::deque<TMessage> backlog_; // replies that did not fit into outRing_ yet
    std::size_t backlogBytes_ = 0;
    // Replies dropped because the backlog was full; said once per flood.
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedSaid_ = 0;
    TClock::time_point lastDrop_{};

    // Written by the process and shutdown threads.
    std::atomic<bool> shutdown_{false};
    char shutdownReason_[256] = {};
    std::atomic<std::uint32_t> inputLost_{0};
    std::atomic<std::uint32_t> tooLarge_{0};
};

std::runtime_error OpenFailure(jack_status_t status, const std::string& name) {
    if (status & JackNameNotUnique)
        return std::runtime_error("a JACK client named \"" + name +
                                  "\" is already running (choose another with --name)");
    if (status & (JackServerFailed | JackServerError))
        return std::runtime_error("no JACK server is running");
    return std::runtime_error("the JACK server refused the client (status 0x" + [&] {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(status));
        return std::string(buf);
    }() + ")");
}

TJackUnitTransport::TJackUnitTransport(const std::string& clientName) {
    // libjack explains a missing server on stderr; the caller says it better.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    jack_status_t status{};
    client_ = jack_client_open(clientName.c_str(),
                               static_cast<jack_options_t>(JackNoStartServer | JackUseExactName),
                               &status);
    if (client_ == nullptr)
        throw OpenFailure(status, clientName);
    try {
        name_ = jack_get_client_name(client_);
        if (sem_init(&wake_, 0, 0) != 0)
            throw std::runtime_error(std::string("cannot make a semaphore: ") +
                                     std::strerror(errno));
        semaphoreMade_ = true;
        inRing_ = jack_ringbuffer_create(kRingSize);
        outRing_ = jack_ringbuffer_create(kRingSize);
        if (inRing_ == nullptr || outRing_ == nullptr)
            throw std::runtime_error("out of memory for the JACK buffers");
        in_ =
            jack_port_register(client_, UnitInPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        out_ = jack_port_register(client_, UnitOutPortName, JACK_DEFAULT_MIDI_TYPE,
                                  JackPortIsOutput, 0);
        if (in_ == nullptr || out_ == nullptr)
            throw std::runtime_error("the JACK server refused the unit's ports");
        jack_set_process_callback(client_, &TJackUnitTransport::Process, this);
        jack_on_info_shutdown(client_, &TJackUnitTransport::Shutdown, this);
        if (jack_activate(client_) != 0)
            throw std::runtime_error("the JACK server would not start the client");
    } catch (...) {
        Close();
        throw;
    }
}

TJackUnitTransport::~TJackUnitTransport() {
    Close();
}

void TJackUnitTransport::Close() {
    if (client_ != nullptr) {
        // After jack_client_close returns, no callback runs any more.
        if (!shutdown_)
            jack_deactivate(client_);
        jack_client_close(client_);
        client_ = nullptr;
    }
    if (inRing_ != nullptr)
        jack_ringbuffer_free(inRing_);
    if (outRing_ != nullptr)
        jack_ringbuffer_free(outRing_);
    inRing_ = outRing_ = nullptr;
    if (semaphoreMade_)
        sem_destroy(&wake_);
    semaphoreMade_ = false;
}

// Real-time thread: no locks, no allocation.
int TJackUnitTransport::Process(jack_nframes_t frames, void* self) {
    auto& t = *static_cast<TJackUnitTransport*>(self);

    void* inBuffer = jack_port_get_buffer(t.in_, frames);
    const jack_nframes_t count = jack_midi_get_event_count(inBuffer);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, inBuffer, i) != 0 || event.size == 0)
            continue;
        if (!JackRing::Write(t.inRing_, event.buffer, event.size))
            t.inputLost_.fetch_add(1, std::memory_order_relaxed);
    }

    void* outBuffer = jack_port_get_buffer(t.out_, frames);
    jack_midi_clear_buffer(outBuffer);
    bool wrote = false, took = false;
    for (;;) {
        TLength length = 0;
        if (!JackRing::PeekLength(t.outRing_, length))
            break;
        jack_midi_data_t* target = jack_midi_event_reserve(outBuffer, 0, length);
        if (target == nullptr) {
            if (wrote)
                break; // the buffer is full for this cycle: the rest goes in the next
            // Not even an empty buffer takes it.
            JackRing::Skip(t.outRing_, length);
            t.tooLarge_.fetch_add(1, std::memory_order_relaxed);
            took = true;
            continue;
        }
        JackRing::ReadInto(t.outRing_, target, length);
        wrote = took = true;
    }
    if (count > 0 || took)
        sem_post(&t.wake_);
    return 0;
}

void TJackUnitTransport::Shutdown(jack_status_t, const char* reason, void* self) {
    auto& t = *static_cast<TJackUnitTransport*>(self);
    std::strncpy(t.shutdownReason_, reason ? reason : "", sizeof t.shutdownReason_ - 1);
    t.shutdown_ = true;
    sem_post(&t.wake_);
}

void TJackUnitTransport::FillOutRing() {
    while (!backlog_.empty()) {
        const TMessage& message = backlog_.front();
        if (!JackRing::Write(outRing_, message.data(), message.size()))
            return;
        backlogBytes_ -= message.size();
        backlog_.pop_front();
    }
}

void TJackUnitTransport::TakeIncoming(std::vector<TMessage>& received) {
    TMessage message;
    while (JackRing::Read(inRing_, message))
        received.push_back(std::move(message));
}

void TJackUnitTransport::Wait(TClock::time_point until, std::vector<TMessage>& received) {
    FillOutRing();
    TakeIncoming(received);
    if (!received.empty() || shutdown_)
        return;
    if (!backlog_.empty())
        until = std::min(until, TClock::now() + kRefillInterval);
    const auto left = until - TClock::now();
    if (left > TClock::duration::zero()) {
        // The semaphore counts on the monotonic clock, as steady_clock does.
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(left).count() + deadline.tv_nsec;
        deadline.tv_sec += static_cast<time_t>(ns / 1000000000);
        deadline.tv_nsec = static_cast<long>(ns % 1000000000);
        while (sem_clockwait(&wake_, CLOCK_MONOTONIC, &deadline) != 0 && errno == EINTR) {
        }
    }
    FillOutRing();
    TakeIncoming(received);
}

void TJackUnitTransport::Send(const TMessage& block) {
    FillOutRing();
    if (backlogBytes_ + block.size() > kMaxBacklogBytes) {
        ++dropped_;
        lastDrop_ = TClock::now();
        return;
    }
    for (auto& message : UnitWireMessages(block)) {
        backlogBytes_ += message.size();
        backlog_.push_back(std::move(message));
    }
    FillOutRing();
}

bool TJackUnitTransport::Sending() const {
    return !backlog_.empty() || jack_ringbuffer_read_space(outRing_) > 0;
}

std::string TJackUnitTransport::Failure() const {
    if (!shutdown_)
        return {};
    std::string text = "the JACK server has stopped";
    if (shutdownReason_[0] != '\0')
        text += std::string(" (") + shutdownReason_ + ")";
    return text;
}

std::vector<std::string> TJackUnitTransport::TakeWarnings() {
    std::vector<std::string> warnings;
    if (const auto lost = inputLost_.exchange(0))
        warnings.push_back(std::to_string(lost) +
                           " incoming messages were lost: the unit could not keep up");
    if (const auto large = tooLarge_.exchange(0))
        warnings.push_back(std::to_string(large) +
                           " replies were larger than the JACK buffer and were not sent");
    if (dropped_ > 0 && droppedSaid_ == 0) {
        warnings.push_back(std::to_string(dropped_) +
                           (dropped_ == 1 ? " reply was" : " replies were") +
                           " dropped: more requests arrive than MIDI can answer, and the "
                           "unit's output buffer (" +
                           std::to_string(kMaxBacklogBytes / 1024) + " KB) is full");
        droppedSaid_ = dropped_;
    }
    // The flood is over once nothing was dropped for a while: what followed, once.
    if (droppedSaid_ > 0 && TClock::now() - lastDrop_ >= std::chrono::seconds(5)) {
        if (dropped_ > droppedSaid_)
            warnings.push_back(std::to_string(dropped_) +
                               " replies were dropped in all while the output buffer was full");
        dropped_ = droppedSaid_ = 0;
    }
    return warnings;
}

std::string TJackUnitTransport::Description() const {
    return "JACK ports \"" + name_ + ":" + UnitInPortName + "\" and \"" + name_ + ":" +
           UnitOutPortName + "\"";
}

} // namespace

std::unique_ptr<IUnitTransport> OpenJackUnitTransport(const std::string& clientName) {
    return std::make_unique<TJackUnitTransport>(clientName);
}
