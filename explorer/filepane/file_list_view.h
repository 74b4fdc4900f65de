#pragma once
// lvwFileList: one model shown as large icons, a plain list or a details table.
// The three views share the model and the selection, so switching keeps both.
#include <QList>
#include <QListView>
#include <QSet>
#include <QStackedWidget>
#include <QTreeView>

class TFileListModel;

// The two views, telling whether a caption is being edited.
class TEditAwareTree : public QTreeView {
public:
    using QTreeView::QTreeView;
    bool Editing() const { return state() == EditingState; }
};
class TEditAwareList : public QListView {
public:
    using QListView::QListView;
    bool Editing() const { return state() == EditingState; }
};

enum class TViewStyle { vsIcon, vsList, vsReport };

class TFileListView : public QStackedWidget {
    Q_OBJECT
public:
    explicit TFileListView(TFileListModel* model, QWidget* parent = nullptr);

    TViewStyle ViewStyle() const { return style_; }
    void SetViewStyle(TViewStyle style);

    // The view now on screen.
    QAbstractItemView* CurrentView() const;
    QTreeView* DetailsView() const { return details_; }
    QListView* ItemsView() const { return items_; }

    // Selected rows in list order.
    QList<int> SelectedRows() const;
    // The focused row when it is selected, else the first selected, else -1.
    int SelectedRow() const;
    void SelectOnly(int row);
    // Selects the rows whose path is in paths; the one at currentPath gets the focus.
    void SelectPaths(const QSet<QString>& paths, const QString& currentPath);
    void ClearSelection();
    bool IsEditing() const;
    // Starts in-place editing of a caption.
    void EditCaption(int row);
    // Shows the sort column and direction in the details header.
    void ShowSortIndicator(int column, bool ascending);
    void FocusList();

signals:
    void ItemClicked(const QModelIndex& index);
    void ItemDoubleClicked(const QModelIndex& index);
    void EnterPressed();
    void DeletePressed();
    void HeaderClicked(int column);
    void ContextMenuRequested(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Wire(QAbstractItemView* view);

    TFileListModel* model_;
    TEditAwareTree* details_;
    TEditAwareList* items_;
    TViewStyle style_ = TViewStyle::vsReport;
};
