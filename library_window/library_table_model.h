#pragma once
// The library's presets for a list view: the ids of a search, their rows fetched
// from the database only when shown, a block at a time, so a hundred thousand
// open at once.
#include "library/preset_library.h"

#include <QAbstractTableModel>

#include <unordered_map>
#include <vector>

class TLibraryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { ColTitle, ColGroup, ColEffects, ColLocations, ColLastSeen, ColumnCount };
    static constexpr int BlockSize = 128;

    explicit TLibraryTableModel(TPresetLibrary& library, QObject* parent = nullptr);

    // Shows these presets (a search's result), forgetting every fetched row.
    void SetIds(std::vector<std::int64_t> ids);
    std::int64_t IdAt(int row) const;
    const std::vector<std::int64_t>& Ids() const { return ids_; }
    // Rows fetched from the database so far (for tests and the benchmark).
    int FetchedRows() const { return fetched_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TLibraryRow* Row(int row) const;

    TPresetLibrary& library_;
    std::vector<std::int64_t> ids_;
    mutable std::unordered_map<int, std::vector<TLibraryRow>> blocks_;
    mutable int fetched_ = 0;
};
