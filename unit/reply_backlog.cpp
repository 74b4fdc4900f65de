#include "unit/reply_backlog.h"

bool TReplyBacklog::Add(TClock::time_point ready, TMessage reply) {
    if (bytes_ + reply.size() > MaxBytes) {
        ++dropped_;
        lastDrop_ = ready;
        return false;
    }
    bytes_ += reply.size();
    const auto due = wire_.Transmit(ready, reply.size());
    queue_.emplace(due, std::move(reply));
    return true;
}

std::optional<TReplyBacklog::TClock::time_point> TReplyBacklog::NextDue() const {
    if (queue_.empty())
        return std::nullopt;
    return queue_.begin()->first;
}

std::vector<TReplyBacklog::TMessage> TReplyBacklog::TakeDue(TClock::time_point now) {
    std::vector<TMessage> due;
    while (!queue_.empty() && queue_.begin()->first <= now) {
        bytes_ -= queue_.begin()->second.size();
        due.push_back(std::move(queue_.begin()->second));
        queue_.erase(queue_.begin());
    }
    return due;
}

std::vector<std::string> TReplyBacklog::TakeWarnings(TClock::time_point now) {
    std::vector<std::string> warnings;
    if (dropped_ > 0 && droppedSaid_ == 0) {
        warnings.push_back(std::to_string(dropped_) +
                           (dropped_ == 1 ? " reply was" : " replies were") +
                           " dropped: requests arrive faster than MIDI can answer them, and the "
                           "unit's output buffer (" +
                           std::to_string(MaxBytes / 1024) + " KB) is full");
        droppedSaid_ = dropped_;
    }
    if (droppedSaid_ > 0 && now - lastDrop_ >= FloodQuiet) {
        if (dropped_ > droppedSaid_)
            warnings.push_back(std::to_string(dropped_) +
                               " replies were dropped in all while the output buffer was full");
        dropped_ = droppedSaid_ = 0;
    }
    return warnings;
}
