#include "explorer/filepane/file_list_model.h"

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TFileListModel::SetItems(std::vector<TFileItem> items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

void TFileListModel::ReplaceItem(int row, TFileItem item) {
    if (row < 0 || row >= Count())
        return;
    items_[static_cast<size_t>(row)] = std::move(item);
    emit dataChanged(index(row, 0), index(row, colCount - 1));
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : colCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    const TFileItem& item = Item(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case colName:
            return item.caption;
        case colSize:
            return item.subItems[siSize];
        case colType:
            return item.subItems[siType];
        case colModified:
            return item.subItems[siModified];
        default:
            return {};
        }
    case Qt::DecorationRole:
        return index.column() == colName ? QVariant(item.icon) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == colSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                         : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return index.column() == colName ? QVariant(item.Path()) : QVariant();
    case PathRole:
        return item.Path();
    case IsFolderRole:
        return item.IsFolder();
    default:
        return {};
    }
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != colName ||
        index.row() >= Count() || !CaptionEdited)
        return false;
    return CaptionEdited(index.row(), value.toString());
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return section == colSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case colName:
        return QStringLiteral("Name");
    case colSize:
        return QStringLiteral("Size");
    case colType:
        return QStringLiteral("Type");
    case colModified:
        return QStringLiteral("Modified");
    default:
        return {};
    }
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == colName)
        f |= Qt::ItemIsEditable;
    return f;
}
