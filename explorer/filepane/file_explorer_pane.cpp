#include "explorer/filepane/file_explorer_pane.h"

#include "controls/app_error_handler.h"
#include "controls/browse_folder.h"
#include "controls/busy_cursor.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/install_paths.h"
#include "controls/standard_icon.h"
#include "explorer/filepane/file_item.h"
#include "explorer/filepane/file_list_format.h"
#include "explorer/filepane/file_list_model.h"
#include "explorer/filepane/file_type_cache.h"
#include "explorer/filepane/folder_listing.h"
#include "explorer/filepane/folder_path.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace {

const QString kSorryCaption = QStringLiteral("Sorry...");
const QString kBrowsePrompt = QStringLiteral("Choose a folder below:");
const QString kFileVanished = QStringLiteral("Sorry, but the file doesn't exist ?!");

// Header column -> sort key, and back.
int SortKeyOfColumn(int column) {
    switch (column) {
    case TFileListModel::colSize:
        return skSize;
    case TFileListModel::colType:
        return skType;
    case TFileListModel::colModified:
        return skModified;
    default:
        return skName;
    }
}

int ColumnOfSortKey(int key) {
    switch (key) {
    case skSize:
        return TFileListModel::colSize;
    case skType:
        return TFileListModel::colType;
    case skModified:
        return TFileListModel::colModified;
    default:
        return TFileListModel::colName;
    }
}

// A name the user may give a file in place: one path component.
bool IsPlainFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains('/') || name.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    if (name.contains('\\') || name.contains(':'))
        return false;
#endif
    return true;
}

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& hint,
                        QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setIcon(StandardIcon(icon));
    button->setAutoRaise(true);
    return button;
}

} // namespace

TFileExplorerPane::TFileExplorerPane(QWidget* parent)
    : QWidget(parent), types_(std::make_unique<TFileTypeCache>()) {
    BuildControls();
    BuildPopup();
}

TFileExplorerPane::~TFileExplorerPane() = default;

void TFileExplorerPane::BuildControls() {
    cbxFolder_ = new QComboBox(this);
    cbxFolder_->setObjectName(QStringLiteral("cbxFolder"));
    cbxFolder_->setEditable(true);
    cbxFolder_->setInsertPolicy(QComboBox::NoInsert);
    cbxFolder_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The keyboard's keys go to the focused combo box, which hands them to its
    // line edit without passing that one's filters; both are watched.
    cbxFolder_->installEventFilter(this);
    cbxFolder_->lineEdit()->installEventFilter(this);
    connect(cbxFolder_, &QComboBox::activated, this, &TFileExplorerPane::cbxFolderClick);

    btnBrowse_ = MakeButton(this, "btnBrowse", QStringLiteral("Browse..."), QStyle::SP_DirOpenIcon);
    btnPrevFolder_ = MakeButton(this, "btnPrevFolder", QStringLiteral("Previous folder"),
                                QStyle::SP_FileDialogToParent);
    btnFileDetails_ = MakeButton(this, "btnFileDetails", QStringLiteral("File details"),
                                 QStyle::SP_FileDialogDetailedView);
    btnFileList_ =
        MakeButton(this, "btnFileList", QStringLiteral("File list"), QStyle::SP_FileDialogListView);
    btnFileIcons_ = MakeButton(this, "btnFileIcons", QStringLiteral("Show icons"),
                               QStyle::SP_FileDialogContentsView);
    for (QToolButton* b : {btnFileDetails_, btnFileList_, btnFileIcons_})
        b->setCheckable(true);
    btnPrevFolder_->setEnabled(false);
    connect(btnBrowse_, &QToolButton::clicked, this, &TFileExplorerPane::btnBrowseClick);
    connect(btnPrevFolder_, &QToolButton::clicked, this, &TFileExplorerPane::btnPrevFolderClick);
    connect(btnFileDetails_, &QToolButton::clicked, this, &TFileExplorerPane::btnFileDetailsClick);
    connect(btnFileList_, &QToolButton::clicked, this, &TFileExplorerPane::btnFileListClick);
    connect(btnFileIcons_, &QToolButton::clicked, this, &TFileExplorerPane::btnFileIconsClick);

    model_ = new TFileListModel(this);
    model_->CaptionEdited = [this](int row, const QString& text) {
        return lvwFileListEdited(row, text);
    };
    lvwFileList_ = new TFileListView(model_, this);
    connect(lvwFileList_, &TFileListView::ItemClicked, this, &TFileExplorerPane::lvwFileListClick);
    pendingLoad_ = new QTimer(this);
    pendingLoad_->setSingleShot(true);
    connect(pendingLoad_, &QTimer::timeout, this, [this] { LoadClickedFile(pendingPath_); });
    connect(lvwFileList_, &TFileListView::ItemDoubleClicked, this,
            &TFileExplorerPane::lvwFileListDblClick);
    connect(lvwFileList_, &TFileListView::EnterPressed, this,
            &TFileExplorerPane::lvwFileListDblClick);
    connect(lvwFileList_, &TFileListView::DeletePressed, this,
            &TFileExplorerPane::pmiDeleteFileClick);
    connect(lvwFileList_, &TFileListView::HeaderClicked, this,
            &TFileExplorerPane::lvwFileListColumnClick);
    connect(lvwFileList_, &TFileListView::ContextMenuRequested, this, [this](const QPoint& pos) {
        pmiDeleteFile_->setEnabled(!GetSelectedPathFileNames().isEmpty());
        popFileList_->popup(pos);
    });

    stbFileInfo_ = new QStatusBar(this);
    stbFileInfo_->setObjectName(QStringLiteral("stbFileInfo"));
    stbFileInfo_->setSizeGripEnabled(false);
    filesPanel_ = new QLabel(QStringLiteral("Files"), stbFileInfo_);
    filesPanel_->setObjectName(QStringLiteral("stbFileInfoFiles"));
    bytesPanel_ = new QLabel(QStringLiteral("Bytes"), stbFileInfo_);
    bytesPanel_->setObjectName(QStringLiteral("stbFileInfoBytes"));
    stbFileInfo_->addWidget(filesPanel_, 1);
    stbFileInfo_->addWidget(bytesPanel_, 1);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(2);
    top->addWidget(cbxFolder_, 1);
    for (QToolButton* b :
         {btnBrowse_, btnPrevFolder_, btnFileDetails_, btnFileList_, btnFileIcons_})
        top->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addLayout(top);
    layout->addWidget(lvwFileList_, 1);
    layout->addWidget(stbFileInfo_);

    SetViewStyle(TViewStyle::vsReport);
}

void TFileExplorerPane::BuildPopup() {
    popFileList_ = new QMenu(this);
    popFileList_->setObjectName(QStringLiteral("popFileList"));
    QAction* refresh = popFileList_->addAction(QStringLiteral("Refresh"));
    refresh->setObjectName(QStringLiteral("pmiRefresh"));
    connect(refresh, &QAction::triggered, this, &TFileExplorerPane::pmiRefreshClick);
    pmiDeleteFile_ = popFileList_->addAction(QStringLiteral("Delete"));
    pmiDeleteFile_->setObjectName(QStringLiteral("pmiDeleteFile"));
    connect(pmiDeleteFile_, &QAction::triggered, this, &TFileExplorerPane::pmiDeleteFileClick);
    pmiJoinFolder_ = popFileList_->addAction(QStringLiteral("Join .hrz files into buffer"));
    pmiJoinFolder_->setObjectName(QStringLiteral("pmiJoinFolder"));
    connect(pmiJoinFolder_, &QAction::triggered, this, &TFileExplorerPane::pmiJoinFolderClick);
    popFileList_->addSeparator();
    QMenu* action = popFileList_->addMenu(QStringLiteral("Set double-click action"));
    action->setObjectName(QStringLiteral("pmiDblClickFileOpt"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    pmiDblClickOpen_ = action->addAction(QStringLiteral("Open in Editor"));
    pmiDblClickOpen_->setObjectName(QStringLiteral("pmiDblClickFileOpen"));
    pmiDblClickSend_ = action->addAction(QStringLiteral("Send to MIDI Out"));
    pmiDblClickSend_->setObjectName(QStringLiteral("pmiDblClickFileSend"));
    for (QAction* a : {pmiDblClickOpen_, pmiDblClickSend_}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    pmiDblClickOpen_->setChecked(true);
    connect(pmiDblClickOpen_, &QAction::triggered, this, [this] { pmiDblClickFileOptClick(0); });
    connect(pmiDblClickSend_, &QAction::triggered, this, [this] { pmiDblClickFileOptClick(1); });
}

// ---- folder history and current folder ----

void TFileExplorerPane::Setup(const QStringList& folderHistory) {
    sortColumn_ = skName;
    sortAscending_ = true;
    cbxFolder_->clear();
    for (const QString& entry : folderHistory) {
        const QString folder = NormalizeFolder(entry);
        if (folder.isEmpty() || !QFileInfo(folder).isDir() || HistoryIndexOf(folder) >= 0)
            continue;
        cbxFolder_->addItem(folder);
    }
    if (cbxFolder_->count() == 0) {
        QString start = NormalizeFolder(DefaultUserFolder());
        if (start.isEmpty() || !QFileInfo(start).isDir())
            start = NormalizeFolder(QDir::homePath());
        cbxFolder_->addItem(start);
    }
    currentFolder_ = cbxFolder_->itemText(0);
    SetViewStyle(TViewStyle::vsReport);
    RefreshFileList();
}

QStringList TFileExplorerPane::FolderHistory() const {
    QStringList out;
    out.reserve(cbxFolder_->count());
    for (int i = 0; i < cbxFolder_->count(); ++i)
        out.append(cbxFolder_->itemText(i));
    return out;
}

void TFileExplorerPane::SetCurrentFolder(const QString& folder) {
    currentFolder_ = WithTrailingSeparator(folder);
}

int TFileExplorerPane::HistoryIndexOf(const QString& folder) const {
    for (int i = 0; i < cbxFolder_->count(); ++i)
        if (SameFolder(cbxFolder_->itemText(i), folder))
            return i;
    return -1;
}

void TFileExplorerPane::PutFolderOnTop(const QString& folder) {
    const int at = HistoryIndexOf(folder);
    if (at != 0) {
        if (at > 0)
            cbxFolder_->removeItem(at);
        cbxFolder_->insertItem(0, folder);
    }
    cbxFolder_->setCurrentIndex(0);
}

void TFileExplorerPane::SetFileDblClickAction(int action) {
    dblClickAction_ = (action == 0 || action == 1) ? action : 0;
    (dblClickAction_ == 0 ? pmiDblClickOpen_ : pmiDblClickSend_)->setChecked(true);
}

TViewStyle TFileExplorerPane::ViewStyle() const {
    return lvwFileList_->ViewStyle();
}

QString TFileExplorerPane::FileInfoText(int panel) const {
    return panel == 0 ? filesPanel_->text() : bytesPanel_->text();
}

// ---- listing ----

TFileItem TFileExplorerPane::MakeItem(const QString& name, bool isFolder, qint64 size,
                                      const QString& modifiedText, qint64 modifiedMSecs) {
    TFileItem item;
    const TFileTypeCache::Entry& type = isFolder ? types_->ForFolder() : types_->ForFile(name);
    item.caption = name;
    item.icon = type.icon;
    item.subItems[siSize] = FormatSizeKB(size, isFolder);
    item.subItems[siType] = type.typeName;
    item.subItems[siModified] = modifiedText;
    item.subItems[siKind] = isFolder ? QStringLiteral("dir") : QStringLiteral("file");
    item.subItems[siPath] = currentFolder_ + name;
    item.modifiedMSecs = modifiedMSecs;
    item.UpdateSortKeys();
    return item;
}

void TFileExplorerPane::ShowListFailure(const QString& message) {
    model_->SetItems({});
    filesPanel_->setText(QStringLiteral("0 Object(s)"));
    bytesPanel_->setText(FormatByteTotal(0));
    Dialogs().MessageBox(this, message, kSorryCaption, mbOK, TMsgDlgType::mtWarning);
}

void TFileExplorerPane::RefreshFileList() {
    if (!currentFolder_.isEmpty()) {
        currentFolder_ = WithTrailingSeparator(currentFolder_);
        if (!QFileInfo(currentFolder_).isDir()) {
            ShowListFailure(QStringLiteral("Invalid folder: ") + currentFolder_);
            return;
        }
        PutFolderOnTop(currentFolder_);
    }
    btnPrevFolder_->setEnabled(true);

    std::vector<TFileItem> items;
    qint64 total = 0;
    {
        TBusyCursor wait;
        std::vector<TDirEntry> entries;
        if (!currentFolder_.isEmpty() && !ListFolder(currentFolder_, entries)) {
            ShowListFailure(QStringLiteral("The folder ") + currentFolder_ +
                            QStringLiteral(" cannot be read"));
            return;
        }
        items.reserve(entries.size());
        TFileTimeFormatter times;
        for (const TDirEntry& e : entries) {
            items.push_back(MakeItem(e.name, e.isFolder, e.size,
                                     e.hasTime ? times.FormatMSecs(e.modifiedMSecs) : QString(),
                                     e.modifiedMSecs));
            total += e.size;
        }

        // Ties of the chosen key keep name order, not the order the disk gave.
        const int parameter = sortAscending_ ? sortColumn_ + 1 : -(sortColumn_ + 1);
        const auto by = [](int p) {
            return [p](const TFileItem& a, const TFileItem& b) {
                return CompareFileItems(a, b, p) < 0;
            };
        };
        if (sortColumn_ != skName)
            std::sort(items.begin(), items.end(), by(skName + 1));
        std::stable_sort(items.begin(), items.end(), by(parameter));
    }

    // What was selected before (after a sort or F5) stays selected.
    QSet<QString> selected;
    for (int row : lvwFileList_->SelectedRows())
        selected.insert(model_->Item(row).Path());
    const int current = lvwFileList_->SelectedRow();
    const QString currentPath = current >= 0 ? model_->Item(current).Path() : QString();

    const int count = static_cast<int>(items.size());
    lvwFileList_->setUpdatesEnabled(false);
    model_->SetItems(std::move(items));
    if (!selected.isEmpty())
        lvwFileList_->SelectPaths(selected, currentPath);
    lvwFileList_->ShowSortIndicator(ColumnOfSortKey(sortColumn_), sortAscending_);
    lvwFileList_->setUpdatesEnabled(true);
    filesPanel_->setText(QString::number(count) + QStringLiteral(" Object(s)"));
    bytesPanel_->setText(FormatByteTotal(total));
}

void TFileExplorerPane::OpenFolder(const QString& path) {
    const QString folder = NormalizeFolder(path, currentFolder_);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        Dialogs().MessageBox(this, QStringLiteral("Invalid folder: ") + path, kSorryCaption, mbOK,
                             TMsgDlgType::mtWarning);
        return;
    }
    currentFolder_ = folder;
    RefreshFileList();
    SelectFirstItem();
}

void TFileExplorerPane::SelectFirstItem() {
    if (model_->Count() > 0)
        lvwFileList_->SelectOnly(0);
}

QStringList TFileExplorerPane::GetSelectedPathFileNames() {
    QStringList paths;
    for (int row : lvwFileList_->SelectedRows()) {
        const TFileItem& item = model_->Item(row);
        if (!item.IsFolder())
            paths.append(item.Path());
    }
    return paths;
}

// ---- list handlers ----

void TFileExplorerPane::lvwFileListClick(const QModelIndex& index) {
    if (!index.isValid() || lvwFileList_->IsEditing())
        return;
    if (!lvwFileList_->DetailsView()->selectionModel()->isRowSelected(index.row(), QModelIndex()))
        return;
    const TFileItem& item = model_->Item(index.row());
    if (item.IsFolder())
        return;
    const QString path = item.Path();
    if (BufferSize > 0 && QFileInfo(path).size() > BufferSize) {
        pendingPath_ = path;
        pendingLoad_->start(QApplication::doubleClickInterval());
        return;
    }
    LoadClickedFile(path);
}

void TFileExplorerPane::LoadClickedFile(const QString& path) {
    if (LoadFileToBuffer)
        RunShowingErrors([&] { LoadFileToBuffer(path); }, this);
    // Loading moves the focus to the buffer; the list keeps it for the keyboard.
    if (window()->isActiveWindow())
        lvwFileList_->FocusList();
}

void TFileExplorerPane::lvwFileListDblClick() {
    pendingLoad_->stop(); // the double-click decides what happens to the file
    if (lvwFileList_->IsEditing())
        return;
    const int row = lvwFileList_->SelectedRow();
    if (row < 0)
        return;
    const TFileItem& item = model_->Item(row);
    if (item.IsFolder()) {
        const QString folder = item.Path();
        if (!QFileInfo(folder).isDir()) {
            Dialogs().MessageBox(this, QStringLiteral("Invalid folder: ") + folder, kSorryCaption,
                                 mbOK, TMsgDlgType::mtWarning);
            RefreshFileList();
            return;
        }
        currentFolder_ = WithTrailingSeparator(folder);
        RefreshFileList();
        SelectFirstItem();
        return;
    }
    if (!QFileInfo::exists(item.Path())) {
        Dialogs().MessageBox(this, kFileVanished, kSorryCaption, mbOK, TMsgDlgType::mtWarning);
        RefreshFileList();
        return;
    }
    bool vanished = false;
    for (const QString& path : GetSelectedPathFileNames()) {
        if (!QFileInfo::exists(path)) {
            vanished = true;
            continue;
        }
        const TSplitOffer offer = OfferSplit(path);
        if (offer == TSplitOffer::Cancelled)
            break;
        if (offer == TSplitOffer::Split)
            continue;
        const bool done = RunShowingErrors(
            [&] {
                if (LoadFileToBuffer)
                    LoadFileToBuffer(path);
                if (dblClickAction_ == 0) {
                    if (OpenBufferInEditor)
                        OpenBufferInEditor();
                } else if (SendBuffer) {
                    SendBuffer();
                }
            },
            this);
        if (!done)
            break;
    }
    if (vanished) {
        Dialogs().MessageBox(this, kFileVanished, kSorryCaption, mbOK, TMsgDlgType::mtWarning);
        RefreshFileList();
    }
}

void TFileExplorerPane::lvwFileListColumnClick(int column) {
    const int key = SortKeyOfColumn(column);
    if (key == sortColumn_)
        sortAscending_ = !sortAscending_;
    else
        sortColumn_ = key;
    RefreshFileList();
}

bool TFileExplorerPane::lvwFileListEdited(int row, const QString& newText) {
    if (row < 0 || row >= model_->Count())
        return false;
    TFileItem item = model_->Item(row);
    const QString oldCaption = item.caption;
    if (newText == oldCaption)
        return true;
    const QString oldPath = currentFolder_ + oldCaption;
    const QString newPath = currentFolder_ + newText;
    // QFile::rename never replaces an existing file or folder.
    const bool renamed = IsPlainFileName(newText) && QFile::rename(oldPath, newPath);
    if (!renamed) {
        // Shown once the editor has closed: a modal box while it still has the
        // focus would make it commit a second time.
        const QString text = QStringLiteral("Filename could not be changed to ") + newText +
                             QStringLiteral("; (reverted to ") + oldCaption + QStringLiteral(")");
        QTimer::singleShot(0, this, [this, text] {
            Dialogs().MessageBox(this, text, QStringLiteral("Error renaming file"), mbOK,
                                 TMsgDlgType::mtError);
        });
        return false;
    }
    // Same entry under a new name; a new suffix may give a new type and icon.
    TFileItem renamedItem =
        MakeItem(newText, item.IsFolder(), 0, item.subItems[siModified], item.modifiedMSecs);
    renamedItem.subItems[siSize] = item.subItems[siSize];
    renamedItem.UpdateSortKeys();
    model_->ReplaceItem(row, std::move(renamedItem));
    return true;
}

// ---- folder box ----

void TFileExplorerPane::cbxFolderClick(int index) {
    if (index < 0 || index >= cbxFolder_->count())
        return;
    const QString folder = cbxFolder_->itemText(index);
    cbxFolder_->removeItem(index);
    cbxFolder_->insertItem(0, folder);
    cbxFolder_->setCurrentIndex(0);
    OpenFolder(folder);
}

bool TFileExplorerPane::cbxFolderKeyPress() {
    const QString typed = cbxFolder_->currentText().trimmed();
    if (typed.isEmpty())
        return false;
    const QString folder = NormalizeFolder(typed, currentFolder_);
    const bool added = HistoryIndexOf(folder) < 0;
    if (added)
        cbxFolder_->insertItem(0, folder);
    if (QFileInfo(folder).isDir()) {
        OpenFolder(folder);
        return true;
    }
    // A mistyped folder is reported and not remembered.
    if (added)
        cbxFolder_->removeItem(0);
    cbxFolder_->setEditText(typed);
    Dialogs().MessageBox(this, QStringLiteral("Invalid folder: ") + typed, kSorryCaption, mbOK,
                         TMsgDlgType::mtWarning);
    return true;
}

bool TFileExplorerPane::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == cbxFolder_ || watched == cbxFolder_->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return cbxFolderKeyPress();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- buttons ----

void TFileExplorerPane::btnPrevFolderClick() {
    const QString parent = ParentFolder(currentFolder_);
    if (parent.isEmpty() || !QFileInfo(parent).isDir()) {
        btnBrowseClick();
        return;
    }
    currentFolder_ = parent;
    RefreshFileList();
    lvwFileList_->FocusList();
    SelectFirstItem();
}

void TFileExplorerPane::btnBrowseClick() {
    const QString chosen = BrowseFolder(this, kBrowsePrompt, currentFolder_);
    if (chosen.isEmpty())
        return;
    const QString folder = NormalizeFolder(chosen);
    const int at = HistoryIndexOf(folder);
    if (at < 0) {
        cbxFolder_->insertItem(0, folder);
        cbxFolder_->setCurrentIndex(0);
    } else {
        cbxFolder_->setCurrentIndex(at);
    }
    OpenFolder(cbxFolder_->currentText());
    lvwFileList_->FocusList();
}

void TFileExplorerPane::SetViewStyle(TViewStyle style) {
    lvwFileList_->SetViewStyle(style);
    btnFileDetails_->setChecked(style == TViewStyle::vsReport);
    btnFileList_->setChecked(style == TViewStyle::vsList);
    btnFileIcons_->setChecked(style == TViewStyle::vsIcon);
}

void TFileExplorerPane::btnFileIconsClick() {
    SetViewStyle(TViewStyle::vsIcon);
}
void TFileExplorerPane::btnFileListClick() {
    SetViewStyle(TViewStyle::vsList);
}
void TFileExplorerPane::btnFileDetailsClick() {
    SetViewStyle(TViewStyle::vsReport);
}

// ---- popup ----

void TFileExplorerPane::pmiRefreshClick() {
    RefreshFileList();
}

void TFileExplorerPane::pmiDeleteFileClick() {
    const QStringList paths = GetSelectedPathFileNames();
    if (paths.isEmpty())
        return;
    const int firstRow = lvwFileList_->SelectedRows().value(0, 0);
    bool yesToAll = false;
    QStringList notDeleted;
    for (const QString& path : paths) {
        if (!yesToAll) {
            const int answer = Dialogs().MessageBox(
                this, QStringLiteral("Delete ") + path + QStringLiteral("?"),
                QStringLiteral("Confirm"), mbYes | mbNo | mbCancel | mbYesToAll,
                TMsgDlgType::mtConfirmation);
            if (answer == mrNo)
                continue;
            if (answer == mrYesToAll)
                yesToAll = true;
            else if (answer != mrYes)
                break;
        }
        if (!QFile::remove(path) && QFileInfo::exists(path))
            notDeleted.append(path);
        else if (FileDeleted)
            FileDeleted(path);
    }
    RefreshFileList();
    if (model_->Count() > 0)
        lvwFileList_->SelectOnly(std::min(firstRow, model_->Count() - 1));
    if (!notDeleted.isEmpty())
        Dialogs().MessageBox(this, QStringLiteral("Could not delete:\n") + notDeleted.join('\n'),
                             kSorryCaption, mbOK, TMsgDlgType::mtWarning);
}

void TFileExplorerPane::pmiDblClickFileOptClick(int action) {
    SetFileDblClickAction(action);
    if (FileDblClickActionChanged)
        FileDblClickActionChanged(dblClickAction_);
}
