#include "explorer/filepane/file_list_view.h"

#include "explorer/filepane/file_list_format.h"

#include "explorer/filepane/file_list_model.h"

#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QTreeView>
#include <algorithm>

namespace {

// The selection stays visible when the list loses the focus.
void KeepSelectionVisible(QAbstractItemView* view) {
    QPalette p = view->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(p);
}

} // namespace

TFileListView::TFileListView(TFileListModel* model, QWidget* parent)
    : QStackedWidget(parent), model_(model), details_(new TEditAwareTree(this)),
      items_(new TEditAwareList(this)) {
    setObjectName(QStringLiteral("lvwFileList"));
    details_->setObjectName(QStringLiteral("lvwFileListDetails"));
    items_->setObjectName(QStringLiteral("lvwFileListItems"));

    details_->setModel(model_);
    details_->setRootIsDecorated(false);
    details_->setItemsExpandable(false);
    details_->setUniformRowHeights(true);
    details_->setAllColumnsShowFocus(true);
    details_->setSortingEnabled(false);
    details_->setIconSize(QSize(16, 16));
    QHeaderView* header = details_->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Size, Type and Modified fit what they usually hold; the name takes the
    // rest of the pane, so every column is in view at the pane's default width.
    const QFontMetrics fm(details_->fontMetrics());
    const int pad = 2 * fm.horizontalAdvance('M');
    for (int c = 0; c < TFileListModel::colCount; ++c) {
        QString sample = model_->headerData(c, Qt::Horizontal).toString();
        if (c == TFileListModel::colSize)
            sample = QStringLiteral("99999 KB");
        else if (c == TFileListModel::colType)
            sample = QStringLiteral("shared library");
        else if (c == TFileListModel::colModified)
            sample = FormatFileTime(QDateTime(QDate(2000, 12, 28), QTime(23, 58)));
        const QString title = model_->headerData(c, Qt::Horizontal).toString();
        const int text = std::max(fm.horizontalAdvance(sample),
                                  QFontMetrics(header->font()).horizontalAdvance(title));
        header->resizeSection(c, text + pad);
    }
    header->setSectionResizeMode(TFileListModel::colName, QHeaderView::Stretch);
    connect(header, &QHeaderView::sectionClicked, this, &TFileListView::HeaderClicked);

    items_->setModel(model_);
    items_->setModelColumn(TFileListModel::colName);
    items_->setSelectionModel(details_->selectionModel());
    items_->setUniformItemSizes(true);
    items_->setLayoutMode(QListView::Batched);
    items_->setBatchSize(2000);
    items_->setResizeMode(QListView::Adjust);
    items_->setMovement(QListView::Static);

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(items_)})
        Wire(view);

    addWidget(details_);
    addWidget(items_);
    SetViewStyle(TViewStyle::vsReport);
}

void TFileListView::Wire(QAbstractItemView* view) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    KeepSelectionVisible(view);
    view->installEventFilter(this);
    connect(view, &QAbstractItemView::clicked, this, &TFileListView::ItemClicked);
    connect(view, &QAbstractItemView::doubleClicked, this, &TFileListView::ItemDoubleClicked);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        emit ContextMenuRequested(view->viewport()->mapToGlobal(pos));
    });
}

void TFileListView::SetViewStyle(TViewStyle style) {
    style_ = style;
    switch (style) {
    case TViewStyle::vsReport:
        setCurrentWidget(details_);
        return;
    case TViewStyle::vsList:
        items_->setViewMode(QListView::ListMode);
        items_->setFlow(QListView::TopToBottom);
        items_->setWrapping(true);
        items_->setIconSize(QSize(16, 16));
        items_->setGridSize(QSize());
        items_->setWordWrap(false);
        break;
    case TViewStyle::vsIcon:
        items_->setViewMode(QListView::IconMode);
        items_->setFlow(QListView::LeftToRight);
        items_->setWrapping(true);
        items_->setIconSize(QSize(32, 32));
        items_->setGridSize(QSize(96, 64));
        items_->setWordWrap(true);
        items_->setMovement(QListView::Static);
        break;
    }
    setCurrentWidget(items_);
}

QAbstractItemView* TFileListView::CurrentView() const {
    return style_ == TViewStyle::vsReport ? static_cast<QAbstractItemView*>(details_)
                                          : static_cast<QAbstractItemView*>(items_);
}

QList<int> TFileListView::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : details_->selectionModel()->selectedRows(0))
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TFileListView::SelectedRow() const {
    const QItemSelectionModel* selection = details_->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

void TFileListView::SelectOnly(int row) {
    if (row < 0 || row >= model_->Count())
        return;
    details_->selectionModel()->setCurrentIndex(
        model_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    CurrentView()->scrollTo(model_->index(row, 0));
}

void TFileListView::SelectPaths(const QSet<QString>& paths, const QString& currentPath) {
    // Runs of neighbouring rows become one range: a large selection stays cheap.
    QItemSelection selection;
    QModelIndex current;
    int runStart = -1;
    const auto closeRun = [&](int end) {
        if (runStart >= 0)
            selection.select(model_->index(runStart, 0),
                             model_->index(end, TFileListModel::colCount - 1));
        runStart = -1;
    };
    for (int row = 0; row < model_->Count(); ++row) {
        const QString& path = model_->Item(row).Path();
        if (!paths.contains(path)) {
            closeRun(row - 1);
            continue;
        }
        if (runStart < 0)
            runStart = row;
        if (path == currentPath)
            current = model_->index(row, 0);
    }
    closeRun(model_->Count() - 1);
    QItemSelectionModel* model = details_->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    if (current.isValid()) {
        model->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        CurrentView()->scrollTo(current);
    }
}

void TFileListView::ClearSelection() {
    details_->selectionModel()->clear();
}

bool TFileListView::IsEditing() const {
    return style_ == TViewStyle::vsReport ? details_->Editing() : items_->Editing();
}

void TFileListView::EditCaption(int row) {
    if (row < 0 || row >= model_->Count())
        return;
    QAbstractItemView* view = CurrentView();
    const QModelIndex index = model_->index(row, TFileListModel::colName);
    view->setCurrentIndex(index);
    view->edit(index);
}

void TFileListView::ShowSortIndicator(int column, bool ascending) {
    details_->header()->setSortIndicator(column,
                                         ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TFileListView::FocusList() {
    CurrentView()->setFocus(Qt::OtherFocusReason);
}

bool TFileListView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == details_ || watched == items_)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsEditing())
            return false;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit EnterPressed();
            return true;
        case Qt::Key_Delete:
            emit DeletePressed();
            return true;
        default:
            break;
        }
    }
    return QStackedWidget::eventFilter(watched, event);
}
