// .syx files in the workbench: a recorded bulk dump split into preset files from
// the file pane, and a folder of them joined into the buffer, byte for byte as
// hrzctl split and join write them.
#include "explorer/filepane/file_explorer_pane.h"
#include "explorer/filepane/file_list_model.h"
#include "model/preset_files.h"
#include "model/stream.h"
#include "tests/explorer/explorer_fixture.h"
#include "tests/tools/hrzctl_test_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTreeView>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class SyxFiles : public ExplorerTest {
protected:
    std::string Path(const QString& name) const { return dir.filePath(name).toStdString(); }
    void StartIn(const QString& folder) {
        Start();
        window->resize(1000, 600);
        window->show();
        window->pgcTab->setCurrentWidget(window->tsExplorer);
        window->FilePane->OpenFolder(folder);
    }
    QTreeView* Details() const { return window->FilePane->FileList()->DetailsView(); }
    int Row(const QString& caption) const {
        const auto& items = window->FilePane->Items();
        for (int r = 0; r < items.Count(); ++r)
            if (items.Item(r).caption == caption)
                return r;
        ADD_FAILURE() << "no item " << caption.toStdString();
        return -1;
    }
    QPoint At(const QString& caption) const {
        return Details()->visualRect(Details()->model()->index(Row(caption), 0)).center();
    }
    // What the user does: a click, then the double-click.
    void DoubleClick(const QString& caption) {
        QTest::mouseClick(Details()->viewport(), Qt::LeftButton, {}, At(caption));
        QTest::mouseDClick(Details()->viewport(), Qt::LeftButton, {}, At(caption));
    }
    void JoinFromPopup(const QString& folderCaption) {
        QTest::mouseClick(Details()->viewport(), Qt::LeftButton, {}, At(folderCaption));
        auto* join = window->FilePane->findChild<QAction*>("pmiJoinFolder");
        ASSERT_NE(join, nullptr);
        join->trigger();
    }
    static std::map<std::string, Bytes> FilesIn(const std::string& folder) {
        std::map<std::string, Bytes> files;
        for (const auto& entry : fs::directory_iterator(folder))
            files[entry.path().filename().string()] = ReadBytes(entry.path().string());
        return files;
    }
    int Asked(const QString& kind) const {
        int n = 0;
        for (const auto& a : dialogs.service.History())
            n += a.kind == kind;
        return n;
    }
};

} // namespace

TEST_F(SyxFiles, BulkDumpSplitsAsHrzctlSplitAndJoinsBackToTheSameBytes) {
    const Bytes bulk = BulkDump(2);
    WriteBytes(Path("bankC.syx"), bulk);
    ASSERT_TRUE(QDir(dir.path()).mkdir("program"));
    StartIn(dir.path());

    // The double-click's first click does not load the file: its "too big for
    // buffer" box would swallow the second click.
    dialogs.service.ClearHistory();
    dialogs.service.QueueResult(mrYes); // split it
    dialogs.service.QueuePath(dir.filePath("program"));
    DoubleClick("bankC.syx");
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const auto messages = dialogs.service.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("bankC.syx holds 200 preset dumps."));
    EXPECT_EQ(Asked("folder"), 1);
    EXPECT_EQ(window->StatusText(0),
              "Wrote 200 preset files to " + QDir::toNativeSeparators(dir.filePath("program/")));

    ASSERT_EQ(RunTool({"split", Path("bankC.syx"), Path("tool")}).Status, 0);
    const auto program = FilesIn(Path("program"));
    EXPECT_EQ(program.size(), 200u);
    EXPECT_TRUE(program == FilesIn(Path("tool")));

    // A single click alone loads it once the double-click interval is over.
    dialogs.service.ClearHistory();
    QTest::mouseClick(Details()->viewport(), Qt::LeftButton, {}, At("bankC.syx"));
    EXPECT_TRUE(dialogs.service.Messages().empty());
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    ASSERT_EQ(dialogs.service.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.service.Messages()[0].text.contains("is too big for buffer"));

    // A bank is more than the buffer holds: the join offers the save at once.
    dialogs.service.QueueResult(mrYes);
    dialogs.service.QueuePath(dir.filePath("joined.syx"));
    JoinFromPopup("program");
    EXPECT_EQ(ReadBytes(Path("joined.syx")), bulk);
    EXPECT_TRUE(window->StatusText(0).startsWith("Saved 50400 bytes to "));

    // Splitting again into the same folder asks before replacing; No writes nothing.
    fs::remove(Path("program") + "/" + program.begin()->first);
    WriteBytes(Path("program") + "/" + std::next(program.begin())->first, {0xF0, 0xF7});
    dialogs.service.ClearHistory();
    dialogs.service.QueueResult(mrYes);
    dialogs.service.QueuePath(dir.filePath("program"));
    dialogs.service.QueueResult(mrNo);
    DoubleClick("bankC.syx");
    EXPECT_TRUE(dialogs.service.Messages().back().text.startsWith("199 of the 200 files"));
    EXPECT_FALSE(fs::exists(Path("program") + "/" + program.begin()->first));
    EXPECT_EQ(ReadBytes(Path("program") + "/" + std::next(program.begin())->first),
              (Bytes{0xF0, 0xF7}));
}

TEST_F(SyxFiles, DecliningTheOfferLoadsTheFileAndSmallFoldersJoinIntoTheBuffer) {
    const Bytes bank = BulkDump(0);
    const Bytes few(bank.begin(), bank.begin() + 252 * 3);
    WriteBytes(Path("three.syx"), few);
    ASSERT_TRUE(QDir(dir.path()).mkdir("presets"));
    ASSERT_EQ(RunTool({"split", Path("three.syx"), Path("presets")}).Status, 0);
    WriteBytes(Path("presets/notes.txt"), {'x'});
    StartIn(dir.path());

    dialogs.service.QueueResult(mrNo);
    DoubleClick("three.syx");
    EXPECT_EQ(window->BufferBytes(), few);
    EXPECT_EQ(window->LoadedFileName, dir.filePath("three.syx"));
    EXPECT_EQ(Asked("folder"), 0);

    window->pmiBufClearClick();
    JoinFromPopup("presets");
    EXPECT_EQ(window->BufferBytes(), few);
    EXPECT_TRUE(window->StatusText(0).startsWith("Read 3 .hrz files (756 bytes) from "));
    // The buffer's Save writes what hrzctl join --sort writes.
    dialogs.service.QueuePath(dir.filePath("saved.syx"));
    window->pmiSave->trigger();
    std::vector<std::string> args{"join", "--sort", "-o", Path("tool.syx")};
    for (const auto& entry : fs::directory_iterator(Path("presets")))
        if (entry.path().extension() != ".txt")
            args.push_back(entry.path().string());
    ASSERT_EQ(RunTool(args).Status, 0);
    EXPECT_EQ(ReadBytes(Path("saved.syx")), ReadBytes(Path("tool.syx")));
    EXPECT_EQ(ReadBytes(Path("saved.syx")), few);

    // A file join refuses is refused with its message; the buffer keeps its bytes.
    Bytes cut = DumpOf(FactoryPreset(0, 9));
    cut.pop_back();
    WriteBytes(Path("presets/Cut.hrz010"), cut);
    JoinFromPopup("presets");
    EXPECT_EQ(dialogs.service.Messages().back().text.toStdString(),
              Path("presets/Cut.hrz010") + ": offset 0: message has no end byte (F7) (run hrzctl "
                                           "check for details)");
    EXPECT_EQ(window->BufferBytes(), few);
}
