#pragma once
// The lines of the monitor log; an event line owns its event. Lines are
// added and the oldest removed at MIDI speed, far faster than a list view can
// follow row by row, so changes are made to the log at once but shown to the
// view in batches: Flush() hands the view everything that changed since the
// last flush in one removal and one insertion.
#include "midi/midi_event.h"

#include <QAbstractListModel>
#include <deque>
#include <memory>

class TLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TLogModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // The log as its users see it, flushed or not.
    int Count() const;
    QString Text(int index) const;
    TMyMidiEvent* Event(int index) const;
    void Append(const QString& text, std::unique_ptr<TMyMidiEvent> event = nullptr);
    // The line owns the event from now on.
    void AttachEvent(int index, std::unique_ptr<TMyMidiEvent> event);
    // Removes a line and frees its event at once.
    void Remove(int index);
    void Clear();

    // Brings the view up to date; true when anything changed.
    bool Flush();
    bool HasPendingChanges() const { return hiddenFront_ > 0 || !pending_.empty(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct TLine {
        QString Text;
        std::unique_ptr<TMyMidiEvent> Event;
    };
    const TLine& Line(int index) const;
    TLine& Line(int index);

    std::deque<TLine> shown_;   // the rows the view knows
    int hiddenFront_ = 0;       // removed from the front of shown_, not yet told the view
    std::deque<TLine> pending_; // appended, not yet told the view
};
