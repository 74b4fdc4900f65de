#include "library_window/library_table_model.h"

#include <QDateTime>

TLibraryTableModel::TLibraryTableModel(TPresetLibrary& library, QObject* parent)
    : QAbstractTableModel(parent), library_(library) {}

void TLibraryTableModel::SetIds(std::vector<std::int64_t> ids) {
    beginResetModel();
    ids_ = std::move(ids);
    blocks_.clear();
    endResetModel();
}

std::int64_t TLibraryTableModel::IdAt(int row) const {
    return row >= 0 && row < static_cast<int>(ids_.size()) ? ids_[static_cast<std::size_t>(row)]
                                                           : 0;
}

int TLibraryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int TLibraryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const TLibraryRow* TLibraryTableModel::Row(int row) const {
    if (row < 0 || row >= static_cast<int>(ids_.size()))
        return nullptr;
    const int block = row / BlockSize;
    auto it = blocks_.find(block);
    if (it == blocks_.end()) {
        const std::size_t first = static_cast<std::size_t>(block) * BlockSize;
        const std::size_t count = std::min<std::size_t>(BlockSize, ids_.size() - first);
        std::vector<TLibraryRow> rows;
        try {
            rows = library_.Rows(std::span(ids_).subspan(first, count));
        } catch (const std::exception&) {
            // A database failure while painting shows empty cells, not a crash.
        }
        // Rows() skips ids that have gone; keep the block's rows in step with the ids.
        std::vector<TLibraryRow> ordered(count);
        for (auto& r : rows)
            for (std::size_t i = 0; i < count; ++i)
                if (ids_[first + i] == r.Id)
                    ordered[i] = std::move(r);
        fetched_ += static_cast<int>(count);
        it = blocks_.emplace(block, std::move(ordered)).first;
    }
    return &it->second[static_cast<std::size_t>(row % BlockSize)];
}

QVariant TLibraryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const TLibraryRow* r = Row(index.row());
    if (!r || r->Id == 0)
        return {};
    switch (index.column()) {
    case ColTitle:
        return QString::fromStdString(r->Title);
    case ColGroup:
        return r->Group;
    case ColEffects:
        return QString::fromStdString(r->Effects);
    case ColLocations:
        return QString::fromStdString(r->Locations);
    case ColLastSeen:
        return QDateTime::fromSecsSinceEpoch(r->LastSeen).toString("yyyy-MM-dd hh:mm");
    default:
        return {};
    }
}

QVariant TLibraryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const names[] = {"Title", "Group", "Effects", "Locations", "Last seen"};
    return section >= 0 && section < ColumnCount ? QString(names[section]) : QVariant();
}
