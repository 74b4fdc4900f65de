// The program's command line and the file it names.
#include "app/command_line.h"
#include "editor/frm_preset_editor.h"
#include "mpt/frm_mpt_edit.h"
#include "tests/app/window/main_window_fixture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>

namespace {

using TAction = TCommandLine::TAction;

TEST(CommandLine, TakesOneFileOrHelpAndRefusesEverythingElse) {
    EXPECT_EQ(ParseCommandLine({}).Action, TAction::Run);
    EXPECT_TRUE(ParseCommandLine({}).FilePath.isEmpty());

    const auto one = ParseCommandLine({"presets/Clean.hrz"});
    EXPECT_EQ(one.Action, TAction::Run);
    EXPECT_EQ(one.FilePath, QDir::current().absoluteFilePath("presets/Clean.hrz"));
    // As some file managers pass it.
    EXPECT_EQ(ParseCommandLine({"file:///data/My%20Lead.hrz007"}).FilePath,
              QDir::cleanPath("/data/My Lead.hrz007"));
    // "--" lets a file name start with a dash.
    EXPECT_EQ(ParseCommandLine({"--", "-odd.hrz"}).FilePath,
              QDir::current().absoluteFilePath("-odd.hrz"));

    EXPECT_EQ(ParseCommandLine({"--help"}).Action, TAction::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).Action, TAction::Help);
    EXPECT_EQ(ParseCommandLine({"a.hrz", "--version"}).Action, TAction::Version);
    EXPECT_EQ(ParseCommandLine({"--", "--version"}).FilePath,
              QDir::current().absoluteFilePath("--version"));

    for (const QStringList& args :
         {QStringList{"-V"}, QStringList{"--versions"}, QStringList{"-x", "a.hrz"},
          QStringList{"a.hrz", "b.hrz"}, QStringList{"-"}, QStringList{""},
          QStringList{"--", "a", "b"}}) {
        const auto line = ParseCommandLine(args);
        EXPECT_EQ(line.Action, TAction::Refuse) << args.join(' ').toStdString();
        EXPECT_TRUE(line.Message.startsWith("hrz2000e: ")) << line.Message.toStdString();
        EXPECT_FALSE(line.Message.contains('\n'));
    }
    EXPECT_TRUE(ParseCommandLine({"--versions"}).Message.contains("--versions"));
}

TEST(CommandLine, HelpAndVersionAreSeenBeforeTheWindowSystemTakesItsOptions) {
    const char* withQtOptions[] = {"hrz2000e", "-platform", "offscreen", "--help"};
    EXPECT_EQ(EarlyAction(4, withQtOptions), TAction::Help);
    const char* version[] = {"hrz2000e", "-platform", "offscreen", "--version", "--help"};
    EXPECT_EQ(EarlyAction(5, version), TAction::Version);
    const char* fileNamedHelp[] = {"hrz2000e", "--", "--help"};
    EXPECT_EQ(EarlyAction(3, fileNamedHelp), TAction::Run);
    const char* fileNamedVersion[] = {"hrz2000e", "--", "--version"};
    EXPECT_EQ(EarlyAction(3, fileNamedVersion), TAction::Run);
    const char* plain[] = {"hrz2000e", "a.hrz"};
    EXPECT_EQ(EarlyAction(2, plain), TAction::Run);
    EXPECT_FALSE(UsageLine().contains('\n'));
    EXPECT_TRUE(UsageLine().startsWith("Usage: hrz2000e [FILE]"));
}

class GivenFileTest : public MainWindowTest {
protected:
    QString Write(const QString& name, const TBytes& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }
    static TBytes TableDump() {
        TBytes table(406, 0);
        table[0] = 0xF0;
        table[1] = 0x1A;
        table[3] = 0x12;
        table[4] = 0x13;
        table[405] = 0xF7;
        return table;
    }
};

TEST_F(GivenFileTest, APresetOrTableOpensInItsEditorOtherFilesStayInTheBuffer) {
    auto& w = StartOnTestPlatform();

    const QString preset = Write("Clean.hrz012", PresetDump("Clean"));
    w.OpenGivenFile(preset);
    ASSERT_EQ(w.ChildWindows->Count(), 1);
    auto* editor = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(0));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->edtTitle->text(), "Clean");
    // Saving goes back to the file that was opened.
    EXPECT_EQ(editor->FileName(), preset);
    EXPECT_EQ(w.windowTitle(), preset + " - HRZ2000e");

    const QString table = Write("live.mpt", TableDump());
    w.OpenGivenFile(table);
    auto* tableEditor = w.findChild<TfrmMPTEdit*>();
    ASSERT_NE(tableEditor, nullptr);
    EXPECT_TRUE(tableEditor->isVisible());
    EXPECT_EQ(tableEditor->TableBytes(), TableDump());
    tableEditor->close();

    // Any other file is only loaded, as a dropped one is.
    const QString other = Write("notes.syx", {0xF0, 0x43, 0x10, 0xF7});
    w.OpenGivenFile(other);
    EXPECT_EQ(w.MessageBufferCount, 4u);
    EXPECT_EQ(w.LoadedFileName, other);
    EXPECT_EQ(w.ChildWindows->Count(), 1);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(GivenFileTest, AFileThatCannotBeReadGetsTheDroppedFilesMessage) {
    auto& w = StartOnTestPlatform();
    PutInBuffer(PresetDump("Kept"));
    const QString missing = dir.filePath("gone.hrz");
    w.OpenGivenFile(missing);
    ASSERT_EQ(Messages().size(), 1u);
    const auto given = Messages().back();

    // A dropped file is loaded from an event handler, and what it throws is
    // shown by the application's default handler.
    dialogs.service.ClearHistory();
    QTimer::singleShot(0, &w, [&] { w.LoadFileToBuffer(missing); });
    WaitFor([&] { return !Messages().empty(); }, 2000);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(given.text, Messages().back().text);
    EXPECT_EQ(given.caption, Messages().back().caption);
    EXPECT_TRUE(given.text.contains("gone.hrz"));

    // Nothing was opened and the buffer keeps what it had.
    EXPECT_EQ(w.ChildWindows->Count(), 0);
    EXPECT_EQ(w.MessageBufferCount, 252u);
}

} // namespace
