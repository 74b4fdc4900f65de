#include "explorer/log_model.h"

#include <stdexcept>

int TLogModel::Count() const {
    return static_cast<int>(shown_.size()) - hiddenFront_ + static_cast<int>(pending_.size());
}

const TLogModel::TLine& TLogModel::Line(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("Log line index out of range");
    const int visible = static_cast<int>(shown_.size()) - hiddenFront_;
    if (index < visible)
        return shown_[static_cast<std::size_t>(hiddenFront_ + index)];
    return pending_[static_cast<std::size_t>(index - visible)];
}

TLogModel::TLine& TLogModel::Line(int index) {
    return const_cast<TLine&>(static_cast<const TLogModel*>(this)->Line(index));
}

QString TLogModel::Text(int index) const {
    return Line(index).Text;
}

TMyMidiEvent* TLogModel::Event(int index) const {
    return Line(index).Event.get();
}

void TLogModel::Append(const QString& text, std::unique_ptr<TMyMidiEvent> event) {
    pending_.push_back({text, std::move(event)});
}

void TLogModel::AttachEvent(int index, std::unique_ptr<TMyMidiEvent> event) {
    Line(index).Event = std::move(event);
}

void TLogModel::Remove(int index) {
    TLine& line = Line(index);
    line.Event.reset();
    const int visible = static_cast<int>(shown_.size()) - hiddenFront_;
    if (index == 0 && visible > 0) {
        // The oldest line: the common case under a flood, told the view later.
        ++hiddenFront_;
        return;
    }
    if (index >= visible) {
        pending_.erase(pending_.begin() + (index - visible));
        return;
    }
    Flush();
    beginRemoveRows({}, index, index);
    shown_.erase(shown_.begin() + index);
    endRemoveRows();
}

void TLogModel::Clear() {
    for (TLine& line : shown_)
        line.Event.reset();
    pending_.clear();
    beginResetModel();
    shown_.clear();
    hiddenFront_ = 0;
    endResetModel();
}

bool TLogModel::Flush() {
    const bool changed = HasPendingChanges();
    if (hiddenFront_ > 0) {
        beginRemoveRows({}, 0, hiddenFront_ - 1);
        shown_.erase(shown_.begin(), shown_.begin() + hiddenFront_);
        hiddenFront_ = 0;
        endRemoveRows();
    }
    if (!pending_.empty()) {
        const int first = static_cast<int>(shown_.size());
        beginInsertRows({}, first, first + static_cast<int>(pending_.size()) - 1);
        for (TLine& line : pending_)
            shown_.push_back(std::move(line));
        pending_.clear();
        endInsertRows();
    }
    return changed;
}

int TLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant TLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return shown_[static_cast<std::size_t>(index.row())].Text;
}
