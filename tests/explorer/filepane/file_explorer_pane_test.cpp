// The file pane on real temporary folders, driven through its widgets.
#include "explorer/filepane/file_explorer_pane.h"
#include "explorer/filepane/file_list_model.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

using ::testing::ElementsAre;

namespace {

std::vector<std::string> Std(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

class FilePane : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(tmp.isValid());
        root = QDir::toNativeSeparators(tmp.path()) + QDir::separator();
        pane.resize(800, 500);
        pane.show();
        pane.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
        pane.LoadFileToBuffer = [this](const QString& p) { calls << "load " + p; };
        pane.OpenBufferInEditor = [this] { calls << "editor"; };
        pane.SendBuffer = [this] { calls << "send"; };
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString Write(const QString& name, qint64 size, char fill = 'x') {
        QFile f(root + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write(QByteArray(size, fill));
        return root + name;
    }
    QString Dir(const QString& name) {
        EXPECT_TRUE(QDir(root).mkpath(name));
        return root + QDir::toNativeSeparators(name) + QDir::separator();
    }
    QStringList Captions() const {
        QStringList out;
        for (int r = 0; r < pane.Items().Count(); ++r)
            out << pane.Items().Item(r).caption;
        return out;
    }
    int Row(const QString& caption) const {
        for (int r = 0; r < pane.Items().Count(); ++r)
            if (pane.Items().Item(r).caption == caption)
                return r;
        ADD_FAILURE() << "no item " << caption.toStdString();
        return -1;
    }
    QTreeView* Details() const { return pane.FileList()->DetailsView(); }
    QRect RectOf(int row) const { return Details()->visualRect(Details()->model()->index(row, 0)); }
    void Select(std::initializer_list<QString> captions) {
        auto* selection = Details()->selectionModel();
        selection->clear();
        for (const QString& c : captions)
            selection->select(Details()->model()->index(Row(c), 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(Details()->model()->index(Row(*captions.begin()), 0),
                                   QItemSelectionModel::NoUpdate);
    }
    void ClickHeader(int column) {
        QHeaderView* header = Details()->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    void PressOnList(Qt::Key key) { QTest::keyClick(Details(), key); }
    QStringList FilesOnly() const {
        QStringList out;
        for (const QString& c : Captions())
            if (!pane.Items().Item(Row(c)).IsFolder())
                out << c;
        return out;
    }
    std::vector<TScriptedDialogService::Asked> Messages() const {
        return dialogs.service.Messages();
    }

    struct AppFirst {
        AppFirst() { TestApp(); }
    } appFirst; // before any widget
    QTemporaryDir tmp;
    QString root;
    TScopedDialogService dialogs;
    TFileExplorerPane pane;
    QStringList calls;
};

} // namespace

// ---- listing and sorting ----

TEST_F(FilePane, ListsEveryEntryWithSubItemsAndTotals) {
    Write("one.hrz", 1);
    Write("empty.mpt", 0);
    Write(".hidden", 1023);
    Write("name with space #1 \u00fc.hrz", 512);
    Dir("Folder");
    pane.Setup({root});

    EXPECT_EQ(pane.CurrentFolder(), root);
    EXPECT_EQ(pane.Items().Count(), 5);
    const TFileItem& one = pane.Items().Item(Row("one.hrz"));
    EXPECT_EQ(one.subItems[siSize], "1 KB");
    EXPECT_EQ(one.subItems[siType], "HRZ2000 preset");
    EXPECT_EQ(one.subItems[siKind], "file");
    EXPECT_EQ(one.Path(), root + "one.hrz");
    EXPECT_FALSE(one.subItems[siModified].isEmpty());
    EXPECT_EQ(pane.Items().Item(Row("empty.mpt")).subItems[siSize], "0 KB");
    EXPECT_EQ(pane.Items().Item(Row("empty.mpt")).subItems[siType], "HRZ2000 program table");
    const TFileItem& folder = pane.Items().Item(Row("Folder"));
    EXPECT_EQ(folder.subItems[siSize], "");
    EXPECT_EQ(folder.subItems[siKind], "dir");
    EXPECT_EQ(pane.FileInfoText(0), "5 Object(s)");
    EXPECT_EQ(pane.FileInfoText(1), "1.5 KByte"); // 1 + 0 + 1023 + 512 bytes
    // Name order: folders first, then files without regard to case.
    EXPECT_EQ(Captions().first(), "Folder");
}

TEST_F(FilePane, HeaderClicksFlipOrKeepDirection) {
    Write("b.hrz", 3000);
    Write("A.mpt", 1);
    Write("c.hrz001", 0);
    Dir("sub");
    pane.Setup({root});
    EXPECT_THAT(Std(Captions()), ElementsAre("sub", "A.mpt", "b.hrz", "c.hrz001"));

    ClickHeader(TFileListModel::colSize);
    EXPECT_EQ(pane.SortColumn(), 0);
    EXPECT_TRUE(pane.SortAscending());
    EXPECT_THAT(Std(Captions()), ElementsAre("sub", "c.hrz001", "A.mpt", "b.hrz"));

    ClickHeader(TFileListModel::colSize);
    EXPECT_FALSE(pane.SortAscending());
    EXPECT_THAT(Std(Captions()), ElementsAre("b.hrz", "A.mpt", "c.hrz001", "sub"));

    ClickHeader(TFileListModel::colType); // new key, direction kept
    EXPECT_EQ(pane.SortColumn(), 1);
    EXPECT_FALSE(pane.SortAscending());
    EXPECT_THAT(Std(FilesOnly()), ElementsAre("A.mpt", "c.hrz001", "b.hrz"));

    ClickHeader(TFileListModel::colName);
    EXPECT_EQ(pane.SortColumn(), 3);
    EXPECT_THAT(Std(Captions()), ElementsAre("c.hrz001", "b.hrz", "A.mpt", "sub"));
    EXPECT_EQ(Details()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(FilePane, ModifiedSortUsesTheTimeNotTheText) {
    // Two-digit years in the short date would put 2001 before 1999 as text.
    const auto stamp = [](const QString& path, const QDateTime& when) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    stamp(Write("new.hrz", 5), QDateTime(QDate(2001, 1, 1), QTime(12, 0)));
    stamp(Write("old.hrz", 5), QDateTime(QDate(1999, 6, 1), QTime(12, 0)));
    pane.Setup({root});
    ClickHeader(TFileListModel::colModified);
    EXPECT_THAT(Std(Captions()), ElementsAre("old.hrz", "new.hrz"));
}

// ---- folders and history ----

TEST_F(FilePane, SetupKeepsExistingDistinctFoldersOnly) {
    const QString a = Dir("a"), b = Dir("b");
    pane.Setup({root + "missing", "", a, a.chopped(1), b});
    EXPECT_THAT(Std(pane.FolderHistory()), ElementsAre(a.toStdString(), b.toStdString()));
    EXPECT_EQ(pane.CurrentFolder(), a);
    EXPECT_EQ(pane.ViewStyle(), TViewStyle::vsReport);

    TFileExplorerPane fresh;
    fresh.Setup({root + "missing"});
    EXPECT_EQ(fresh.CurrentFolder(),
              QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator());
}

TEST_F(FilePane, OpeningFoldersMovesThemToTheTopOfTheHistory) {
    const QString a = Dir("a"), b = Dir("b");
    Write("b/first.hrz", 1);
    pane.Setup({a, b});
    pane.OpenFolder(b.chopped(1));
    EXPECT_EQ(pane.CurrentFolder(), b);
    EXPECT_THAT(Std(pane.FolderHistory()), ElementsAre(b.toStdString(), a.toStdString()));
    EXPECT_THAT(Std(pane.GetSelectedPathFileNames()), ElementsAre((b + "first.hrz").toStdString()));

    auto* box = pane.findChild<QComboBox*>("cbxFolder");
    ASSERT_NE(box, nullptr);
    pane.cbxFolderClick(1); // choose "a" from the drop-down
    EXPECT_EQ(pane.CurrentFolder(), a);
    EXPECT_EQ(box->currentText(), a);

    pane.OpenFolder(root + "nowhere");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Invalid folder: " + root + "nowhere");
    EXPECT_EQ(Messages()[0].caption, "Sorry...");
    EXPECT_EQ(pane.CurrentFolder(), a);
}

TEST_F(FilePane, TypingAFolderAndEnterListsItWithSeparator) {
    const QString c = Dir("c");
    const QString d = Dir("d");
    Write("c/x.hrz", 1);
    Write("d/y.hrz", 1);
    pane.Setup({root});
    auto* box = pane.findChild<QComboBox*>("cbxFolder");
    box->setFocus();
    // Keys go where the keyboard sends them: to the focused widget.
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    const auto typeAndPress = [&](const QString& text, int key, Qt::KeyboardModifiers mods) {
        box->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
    };
    typeAndPress(c.chopped(1), Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(pane.CurrentFolder(), c);
    EXPECT_EQ(pane.FolderHistory().first(), c);
    EXPECT_THAT(Std(Captions()), ElementsAre("x.hrz"));

    box->setFocus();
    typeAndPress(d, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(pane.CurrentFolder(), d);
    EXPECT_EQ(pane.FolderHistory().mid(0, 2), (QStringList{d, c}));
    EXPECT_THAT(Std(Captions()), ElementsAre("y.hrz"));

    box->setFocus();
    typeAndPress(root + "typo", Qt::Key_Return, Qt::NoModifier);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Invalid folder: " + root + "typo");
    EXPECT_FALSE(pane.FolderHistory().contains(root + "typo" + QDir::separator()));
    EXPECT_EQ(pane.CurrentFolder(), d);

    // Sent to the line edit itself, the key works as well.
    box->setEditText(c);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(pane.CurrentFolder(), c);
}

TEST_F(FilePane, PreviousFolderGoesUpOrBrowsesWhenThereIsNoParent) {
    const QString deep = Dir("x/a/b");
    Dir("x/a/another");
    pane.Setup({deep});
    auto* up = pane.findChild<QToolButton*>("btnPrevFolder");
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->toolTip(), "Previous folder");
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(pane.CurrentFolder(), root + "x" + QDir::separator() + "a" + QDir::separator());
    EXPECT_EQ(pane.FileList()->SelectedRow(), 0);
    EXPECT_EQ(pane.FolderHistory().first(), pane.CurrentFolder());
    EXPECT_TRUE(dialogs.service.History().empty());

    // From the root: the folder dialog, here cancelled.
    pane.SetCurrentFolder(QDir::rootPath());
    pane.btnPrevFolderClick();
    ASSERT_EQ(dialogs.service.History().size(), 1u);
    EXPECT_EQ(dialogs.service.Last().kind, "folder");
    EXPECT_EQ(dialogs.service.Last().caption, "Choose a folder below:");

    // Parent gone: the dialog again; its answer is opened and remembered.
    pane.SetCurrentFolder(root + "gone/child");
    dialogs.service.QueuePath(deep);
    pane.btnPrevFolderClick();
    EXPECT_EQ(dialogs.service.History().size(), 2u);
    EXPECT_EQ(pane.CurrentFolder(), deep);
    EXPECT_EQ(pane.FolderHistory().first(), deep);
}

TEST_F(FilePane, VanishedFolderIsReportedAndListEmptied) {
    const QString gone = Dir("gone");
    Write("gone/a.hrz", 1);
    pane.Setup({gone});
    ASSERT_EQ(pane.Items().Count(), 1);
    ASSERT_TRUE(QDir(gone).removeRecursively());
    pane.RefreshFileList();
    EXPECT_EQ(pane.Items().Count(), 0);
    EXPECT_EQ(pane.FileInfoText(0), "0 Object(s)");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Invalid folder: " + gone);
}

// ---- delete ----

TEST_F(FilePane, YesToAllDeletesEverySelectedFileAfterOneQuestion) {
    const QString a = Write("a.hrz", 1), b = Write("b.hrz", 1), c = Write("c.hrz", 1);
    Dir("keep");
    pane.Setup({root});
    Select({"a.hrz", "b.hrz", "c.hrz", "keep"});
    dialogs.service.QueueResult(mrYesToAll);
    PressOnList(Qt::Key_Delete);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Delete " + a + "?");
    EXPECT_EQ(Messages()[0].buttons, unsigned(mbYes | mbNo | mbCancel | mbYesToAll));
    EXPECT_FALSE(QFile::exists(a) || QFile::exists(b) || QFile::exists(c));
    EXPECT_TRUE(QDir(root + "keep").exists()); // folders are never deleted
    EXPECT_THAT(Std(Captions()), ElementsAre("keep"));
}

TEST_F(FilePane, YesNoCancelDeleteSkipAndStop) {
    const QString a = Write("a.hrz", 1), b = Write("b.hrz", 1), c = Write("c.hrz", 1),
                  d = Write("d.hrz", 1);
    pane.Setup({root});
    Select({"a.hrz", "b.hrz", "c.hrz", "d.hrz"});
    dialogs.service.QueueResult(mrYes);
    dialogs.service.QueueResult(mrNo);
    dialogs.service.QueueResult(mrCancel);
    pane.pmiDeleteFileClick();
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_EQ(Messages()[2].text, "Delete " + c + "?");
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_TRUE(QFile::exists(b) && QFile::exists(c) && QFile::exists(d));
    EXPECT_EQ(pane.FileInfoText(0), "3 Object(s)");
}

// ---- rename ----

TEST_F(FilePane, InPlaceRenameRenamesTheFileAndTheItem) {
    Write("draft.txt", 10);
    pane.Setup({root});
    const int row = Row("draft.txt");
    pane.FileList()->EditCaption(row);
    auto* editor = Details()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Lead.hrz");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(QFile::exists(root + "Lead.hrz"));
    EXPECT_FALSE(QFile::exists(root + "draft.txt"));
    const TFileItem& item = pane.Items().Item(row);
    EXPECT_EQ(item.caption, "Lead.hrz");
    EXPECT_EQ(item.Path(), root + "Lead.hrz");
    EXPECT_EQ(item.subItems[siType], "HRZ2000 preset");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FilePane, RenameOntoAnExistingNameFailsAndReverts) {
    Write("a.hrz", 3, 'a');
    Write("b.hrz", 5, 'b');
    Dir("folder");
    pane.Setup({root});
    auto& model = const_cast<TFileListModel&>(pane.Items());
    for (const QString& target : {QStringLiteral("b.hrz"), QStringLiteral("folder"),
                                  QStringLiteral("x/y.hrz"), QStringLiteral("")}) {
        dialogs.service.ClearHistory();
        EXPECT_FALSE(model.setData(model.index(Row("a.hrz"), 0), target));
        QApplication::processEvents();
        ASSERT_EQ(Messages().size(), 1u) << target.toStdString();
        EXPECT_EQ(Messages()[0].text,
                  "Filename could not be changed to " + target + "; (reverted to a.hrz)");
        EXPECT_EQ(Messages()[0].caption, "Error renaming file");
    }
    QFile a(root + "a.hrz"), b(root + "b.hrz");
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), "aaa");
    EXPECT_EQ(b.readAll(), "bbbbb");
    EXPECT_TRUE(QFileInfo(root + "folder").isDir());
    EXPECT_EQ(pane.Items().Item(Row("a.hrz")).Path(), root + "a.hrz");
}

// ---- click, double-click, Enter ----

TEST_F(FilePane, SingleClickLoadsFilesButNotFolders) {
    const QString file = Write("one.hrz", 1);
    Dir("dir");
    pane.Setup({root});
    QTest::mouseClick(Details()->viewport(), Qt::LeftButton, {}, RectOf(Row("dir")).center());
    EXPECT_TRUE(calls.isEmpty());
    QTest::mouseClick(Details()->viewport(), Qt::LeftButton, {}, RectOf(Row("one.hrz")).center());
    EXPECT_THAT(Std(calls), ElementsAre(("load " + file).toStdString()));
}

TEST_F(FilePane, DoubleClickOnPresetLoadsThenOpensEditor) {
    const QString file = Write("Crunch.hrz", 252);
    pane.Setup({root});
    // The first click of a double-click arrives as a plain click.
    const QPoint at = RectOf(Row("Crunch.hrz")).center();
    QTest::mouseClick(Details()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(Details()->viewport(), Qt::LeftButton, {}, at);
    ASSERT_GE(calls.size(), 2);
    EXPECT_EQ(calls.count("editor"), 1);
    EXPECT_EQ(calls.last(), "editor");
    EXPECT_EQ(calls[calls.size() - 2], "load " + file);
}

TEST_F(FilePane, EnterRunsTheChosenActionForEverySelectedFile) {
    const QString a = Write("a.hrz", 1), b = Write("b.hrz", 1);
    Dir("d");
    pane.Setup({root});
    auto* send = pane.findChild<QAction*>("pmiDblClickFileSend");
    ASSERT_NE(send, nullptr);
    int persisted = -1;
    pane.FileDblClickActionChanged = [&](int action) { persisted = action; };
    send->trigger();
    EXPECT_EQ(persisted, 1);
    EXPECT_EQ(pane.FileDblClickAction(), 1);
    EXPECT_TRUE(send->isChecked());

    Select({"a.hrz", "b.hrz", "d"});
    PressOnList(Qt::Key_Return);
    EXPECT_THAT(Std(calls), ElementsAre(("load " + a).toStdString(), "send",
                                        ("load " + b).toStdString(), "send"));

    pane.SetFileDblClickAction(7);
    EXPECT_EQ(pane.FileDblClickAction(), 0);
    EXPECT_TRUE(pane.findChild<QAction*>("pmiDblClickFileOpen")->isChecked());
}

TEST_F(FilePane, EnterOnAFolderOpensIt) {
    const QString sub = Dir("sub");
    Write("sub/inner.hrz", 1);
    Write("top.hrz", 1);
    pane.Setup({root});
    Select({"sub", "top.hrz"});
    EXPECT_THAT(Std(pane.GetSelectedPathFileNames()),
                ElementsAre((root + "top.hrz").toStdString()));
    PressOnList(Qt::Key_Return);
    EXPECT_EQ(pane.CurrentFolder(), sub);
    EXPECT_THAT(Std(Captions()), ElementsAre("inner.hrz"));
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(FilePane, FileDeletedBeforeDoubleClickIsReported) {
    const QString file = Write("gone.hrz", 1);
    Write("stays.hrz", 1);
    pane.Setup({root});
    Select({"gone.hrz"});
    ASSERT_TRUE(QFile::remove(file));
    pane.lvwFileListDblClick();
    EXPECT_TRUE(calls.isEmpty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Sorry, but the file doesn't exist ?!");
    EXPECT_THAT(Std(Captions()), ElementsAre("stays.hrz"));
}

TEST_F(FilePane, ErrorFromTheWindowIsShownAndStopsTheRun) {
    Write("a.hrz", 1);
    Write("b.hrz", 1);
    pane.Setup({root});
    pane.LoadFileToBuffer = [&](const QString&) {
        calls << "load";
        throw std::runtime_error("File too large for the message buffer");
    };
    Select({"a.hrz", "b.hrz"});
    pane.lvwFileListDblClick();
    EXPECT_THAT(Std(calls), ElementsAre("load"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "File too large for the message buffer");
}

TEST_F(FilePane, ViewButtonsSwitchViewsAndKeepTheSelection) {
    Write("a.hrz", 1);
    Write("b.hrz", 1);
    pane.Setup({root});
    Select({"b.hrz"});
    QTest::mouseClick(pane.findChild<QToolButton*>("btnFileIcons"), Qt::LeftButton);
    EXPECT_EQ(pane.ViewStyle(), TViewStyle::vsIcon);
    EXPECT_EQ(pane.FileList()->ItemsView()->viewMode(), QListView::IconMode);
    EXPECT_EQ(pane.FileList()->currentWidget(), pane.FileList()->ItemsView());
    QTest::mouseClick(pane.findChild<QToolButton*>("btnFileList"), Qt::LeftButton);
    EXPECT_EQ(pane.FileList()->ItemsView()->viewMode(), QListView::ListMode);
    EXPECT_THAT(Std(pane.GetSelectedPathFileNames()), ElementsAre((root + "b.hrz").toStdString()));
    QTest::mouseClick(pane.findChild<QToolButton*>("btnFileDetails"), Qt::LeftButton);
    EXPECT_EQ(pane.FileList()->currentWidget(), Details());
}

TEST_F(FilePane, SortingAndRefreshKeepTheSelection) {
    const QString big = Write("big.hrz", 4000), small = Write("small.hrz", 10);
    Write("other.hrz", 2000);
    pane.Setup({root});
    Select({"big.hrz", "small.hrz"});
    ClickHeader(TFileListModel::colSize);
    EXPECT_THAT(Std(pane.GetSelectedPathFileNames()),
                ElementsAre(small.toStdString(), big.toStdString()));
    EXPECT_EQ(pane.FileList()->SelectedRow(), Row("big.hrz")); // focus stays on it
    QFile::remove(small);
    pane.RefreshFileList();
    EXPECT_THAT(Std(pane.GetSelectedPathFileNames()), ElementsAre(big.toStdString()));
}
