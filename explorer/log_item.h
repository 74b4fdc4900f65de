#pragma once
// One line of the monitor log; an event line owns its event.
#include "midi_event.h"

#include <QListWidgetItem>
#include <memory>

class TLogItem : public QListWidgetItem {
public:
    static constexpr int Type = QListWidgetItem::UserType + 1;
    TLogItem(const QString& text, std::unique_ptr<TMyMidiEvent> event = nullptr)
        : QListWidgetItem(text, nullptr, Type), event_(std::move(event)) {}

    TMyMidiEvent* Event() const { return event_.get(); }
    void AttachEvent(std::unique_ptr<TMyMidiEvent> event) { event_ = std::move(event); }
    void FreeEvent() { event_.reset(); }

private:
    std::unique_ptr<TMyMidiEvent> event_;
};
