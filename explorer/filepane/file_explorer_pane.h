#pragma once
// The "File Explorer" tab of the workbench window: browse one folder at a
// time, load files into the message buffer, open or send them, keep a folder
// history, sort, rename and delete.
#include "explorer/filepane/file_list_view.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QTimer;
class QComboBox;
class QLabel;
class QMenu;
class QAction;
class QStatusBar;
class QToolButton;
class TFileListModel;
class TFileTypeCache;
struct TFileItem;

class TFileExplorerPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxFolderHistory = 8;

    explicit TFileExplorerPane(QWidget* parent = nullptr);
    ~TFileExplorerPane() override;

    // Hooks the window sets (all optional; unset = nothing happens).
    std::function<void(const QString& path)> LoadFileToBuffer;
    std::function<void()> OpenBufferInEditor;
    std::function<void()> SendBuffer;
    std::function<void(int action)> FileDblClickActionChanged;
    // Each file the user deleted from the list.
    std::function<void(const QString& path)> FileDeleted;
    // The window's status bar.
    std::function<void(const QString& text)> ShowStatus;
    // The dumps of every .hrz file of a folder into the message buffer.
    std::function<void(const QString& folder)> LoadFolderToBuffer;
    // A single click on a file larger than this loads it only once the double-click
    // interval has passed without a second click: its load warns in a message box,
    // which would swallow the second click of a double-click. 0: no limit.
    qint64 BufferSize = 0;

    enum class TSplitOffer { NotOffered, Declined, Split, Cancelled };
    // A .syx file that holds several preset dumps: offers to split it into one
    // .hrz file per preset in a folder the user chooses, named as hrzctl split
    // names them. Declined: the caller loads the file as any other.
    TSplitOffer OfferSplit(const QString& path);

    // Sort by name ascending, the folder history (existing folders only, no
    // duplicates; the program's folder when none is left), details view and
    // the first listing.
    void Setup(const QStringList& folderHistory);
    // cbxFolder entries, most recent first.
    QStringList FolderHistory() const;

    int FileDblClickAction() const { return dblClickAction_; }
    void SetFileDblClickAction(int action); // out-of-range -> 0

    QString CurrentFolder() const { return currentFolder_; }
    void SetCurrentFolder(const QString& folder);
    void RefreshFileList();
    void OpenFolder(const QString& path);
    // Full paths of the selected files (folders skipped), in list order.
    QStringList GetSelectedPathFileNames();

    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return sortAscending_; }
    TViewStyle ViewStyle() const;
    // Status panel 0 ("N Object(s)") or 1 (byte total).
    QString FileInfoText(int panel) const;
    TFileListView* FileList() const { return lvwFileList_; }
    const TFileListModel& Items() const { return *model_; }

public slots:
    void lvwFileListClick(const QModelIndex& index);
    void lvwFileListDblClick();
    void lvwFileListColumnClick(int column);
    bool lvwFileListEdited(int row, const QString& newText);
    void cbxFolderClick(int index);
    bool cbxFolderKeyPress();
    void btnPrevFolderClick();
    void btnBrowseClick();
    void btnFileIconsClick();
    void btnFileListClick();
    void btnFileDetailsClick();
    void pmiRefreshClick();
    void pmiDeleteFileClick();
    void pmiDblClickFileOptClick(int action);
    // The selected folder's .hrz files (the listed folder's when no folder is selected).
    void pmiJoinFolderClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadClickedFile(const QString& path);
    void BuildControls();
    void BuildPopup();
    void SetViewStyle(TViewStyle style);
    void PutFolderOnTop(const QString& folder);
    int HistoryIndexOf(const QString& folder) const;
    void ShowListFailure(const QString& message);
    void SelectFirstItem();
    TFileItem MakeItem(const QString& name, bool isFolder, qint64 size, const QString& modifiedText,
                       qint64 modifiedMSecs);

    QString currentFolder_;
    int sortColumn_ = 3;
    bool sortAscending_ = true;
    int dblClickAction_ = 0;
    std::unique_ptr<TFileTypeCache> types_;

    QComboBox* cbxFolder_ = nullptr;
    TFileListModel* model_ = nullptr;
    TFileListView* lvwFileList_ = nullptr;
    QTimer* pendingLoad_ = nullptr; // a click on a large file, until the double-click interval ends
    QString pendingPath_;
    QStatusBar* stbFileInfo_ = nullptr;
    QLabel* filesPanel_ = nullptr;
    QLabel* bytesPanel_ = nullptr;
    QToolButton* btnBrowse_ = nullptr;
    QToolButton* btnPrevFolder_ = nullptr;
    QToolButton* btnFileDetails_ = nullptr;
    QToolButton* btnFileList_ = nullptr;
    QToolButton* btnFileIcons_ = nullptr;
    QMenu* popFileList_ = nullptr;
    QAction* pmiDeleteFile_ = nullptr;
    QAction* pmiJoinFolder_ = nullptr;
    QAction* pmiDblClickOpen_ = nullptr;
    QAction* pmiDblClickSend_ = nullptr;
};
