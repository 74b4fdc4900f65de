#pragma once
// The items of the file list as a table: Name, Size, Type, Modified. The kind
// and the full path travel in roles of their own.
#include "explorer/filepane/file_item.h"

#include <QAbstractTableModel>
#include <functional>
#include <vector>

class TFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { colName = 0, colSize = 1, colType = 2, colModified = 3, colCount = 4 };
    enum TRole { PathRole = Qt::UserRole + 1, IsFolderRole };

    explicit TFileListModel(QObject* parent = nullptr);

    // Replaces every item in one go.
    void SetItems(std::vector<TFileItem> items);
    void ReplaceItem(int row, TFileItem item);
    const TFileItem& Item(int row) const { return items_.at(static_cast<size_t>(row)); }
    int Count() const { return static_cast<int>(items_.size()); }

    // Called when a caption was edited in place; returns whether the new name
    // was taken (the handler updates the item itself). Unset: edits are refused.
    std::function<bool(int row, const QString& newName)> CaptionEdited;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<TFileItem> items_;
};
