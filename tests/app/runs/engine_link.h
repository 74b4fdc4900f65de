#pragma once
// The runs' way to the unit in a test: each message goes straight to the
// virtual unit's engine, its replies wait to be read or are handed to the
// owner on the next wait, as the main window does. Time moves only by waits.
#include "app/runs/unit_link.h"
#include "unit/virtual_unit.h"

#include <deque>
#include <functional>

class TEngineLink : public IUnitLink {
public:
    explicit TEngineLink(TUnitOptions options) : unit_(std::move(options)) {}

    THrzVirtualUnit& Unit() { return unit_; }
    // The owner's handling of one reply, while OwnerReads says so (a run that
    // reads its reply itself keeps the owner out).
    std::function<void(std::unique_ptr<TMyMidiEvent>)> Deliver;
    std::function<bool()> OwnerReads;
    // A message for which this says true never reaches the unit.
    std::function<bool(const std::vector<std::uint8_t>&)> Lose;
    std::vector<std::vector<std::uint8_t>> Sent;

    void SendLong(const std::vector<std::uint8_t>& bytes) override { Send(bytes); }
    void SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override {
        Send({status, data1, data2});
    }
    bool OutputOpen() const override { return true; }
    std::unique_ptr<TMyMidiEvent> ReadEvent() override {
        if (replies_.empty())
            return nullptr;
        auto event = TMyMidiEvent::SysexBlock(std::move(replies_.front()));
        replies_.pop_front();
        return event;
    }
    void DiscardInput() override { replies_.clear(); }
    void Wait(std::uint32_t ms) override {
        now_ += ms;
        while (!later_.empty()) {
            auto action = std::move(later_.front());
            later_.pop_front();
            action();
        }
        while (Deliver && !replies_.empty() && (!OwnerReads || OwnerReads()))
            Deliver(ReadEvent());
    }
    std::uint32_t Now() override { return now_; }
    void Later(std::function<void()> action) override { later_.push_back(std::move(action)); }

private:
    void Send(const std::vector<std::uint8_t>& bytes) {
        Sent.push_back(bytes);
        if (Lose && Lose(bytes))
            return;
        for (auto& reply : unit_.Receive(bytes))
            replies_.push_back(std::move(reply));
    }

    THrzVirtualUnit unit_;
    std::deque<std::vector<std::uint8_t>> replies_;
    std::deque<std::function<void()>> later_;
    std::uint32_t now_ = 0;
};
