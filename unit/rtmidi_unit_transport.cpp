#include "unit/rtmidi_unit_transport.h"

#include <RtMidi.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace {

class TRtMidiUnitTransport final : public IUnitTransport {
public:
    TRtMidiUnitTransport(RtMidi::Api api, const std::string& clientName);
    ~TRtMidiUnitTransport() override;
    TRtMidiUnitTransport(const TRtMidiUnitTransport&) = delete;
    TRtMidiUnitTransport& operator=(const TRtMidiUnitTransport&) = delete;

    void Wait(TClock::time_point until, std::vector<TMessage>& received) override;
    void Send(const TMessage& block) override;
    bool Sending() const override { return false; }
    std::string Failure() const override { return {}; }
    std::vector<std::string> TakeWarnings() override;
    std::string Description() const override;

private:
    static void Received(double, std::vector<unsigned char>* message, void* self);
    static void Error(RtMidiError::Type type, const std::string& text, void* self);

    // The state RtMidi's callbacks reach is declared first, so it outlives the
    // ports that call back into it.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<TMessage> inbox_;
    std::vector<std::string> errors_;
    std::string name_;
    std::string apiName_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
};

TRtMidiUnitTransport::TRtMidiUnitTransport(RtMidi::Api api, const std::string& clientName)
    : name_(clientName), apiName_(RtMidi::getApiDisplayName(api)) {
    const auto failIfReported = [this] {
        std::lock_guard lock(mutex_);
        if (errors_.empty())
            return;
        std::string text;
        for (const auto& e : errors_)
            text += (text.empty() ? "" : "; ") + e;
        throw std::runtime_error(text);
    };
    try {
        in_ = std::make_unique<RtMidiIn>(api, clientName, 1024);
        in_->setErrorCallback(&TRtMidiUnitTransport::Error, this);
        in_->openVirtualPort(UnitInPortName);
        failIfReported();
        in_->ignoreTypes(false, false, false);
        in_->setCallback(&TRtMidiUnitTransport::Received, this);
        out_ = std::make_unique<RtMidiOut>(api, clientName);
        out_->setErrorCallback(&TRtMidiUnitTransport::Error, this);
        out_->openVirtualPort(UnitOutPortName);
        failIfReported();
    } catch (const RtMidiError& e) {
        throw std::runtime_error(e.getMessage());
    }
}

TRtMidiUnitTransport::~TRtMidiUnitTransport() {
    // The ports go first: their threads stop before the state they use.
    in_.reset();
    out_.reset();
}

void TRtMidiUnitTransport::Received(double, std::vector<unsigned char>* message, void* self) {
    auto& t = *static_cast<TRtMidiUnitTransport*>(self);
    {
        std::lock_guard lock(t.mutex_);
        t.inbox_.emplace_back(message->begin(), message->end());
    }
    t.wake_.notify_one();
}

void TRtMidiUnitTransport::Error(RtMidiError::Type, const std::string& text, void* self) {
    auto& t = *static_cast<TRtMidiUnitTransport*>(self);
    std::lock_guard lock(t.mutex_);
    t.errors_.push_back(text);
}

void TRtMidiUnitTransport::Wait(TClock::time_point until, std::vector<TMessage>& received) {
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, until, [&] { return !inbox_.empty(); });
    for (auto& message : inbox_)
        received.push_back(std::move(message));
    inbox_.clear();
}

void TRtMidiUnitTransport::Send(const TMessage& block) {
    try {
        for (auto& message : UnitWireMessages(block))
            out_->sendMessage(&message);
    } catch (const RtMidiError& e) {
        std::lock_guard lock(mutex_);
        errors_.push_back(e.getMessage());
    }
}

std::vector<std::string> TRtMidiUnitTransport::TakeWarnings() {
    std::lock_guard lock(mutex_);
    return std::exchange(errors_, {});
}

std::string TRtMidiUnitTransport::Description() const {
    return apiName_ + " ports \"" + name_ + ":" + UnitInPortName + "\" and \"" + name_ + ":" +
           UnitOutPortName + "\"";
}

} // namespace

std::unique_ptr<IUnitTransport> OpenRtMidiUnitTransport(int api, const std::string& clientName) {
    return std::make_unique<TRtMidiUnitTransport>(static_cast<RtMidi::Api>(api), clientName);
}
