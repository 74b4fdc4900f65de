// Both table reports printed for real (a PDF, there being no printer) and
// read back: the text where the recording has it, all ink inside the text boxes.
#include "controls/seams/qt_printer_canvas.h"
#include "mpt/frm_mpt_rpt_opt.h"
#include "tests/editor/pdf_check.h"
#include "tests/mpt/mpt_editor_fixture.h"

#include <QButtonGroup>
#include <QFileInfo>

namespace {

class MptReportPdfTest : public MptEditorTest {
protected:
    void SetUp() override {
        MptEditorTest::SetUp();
        printer = std::make_unique<TPdfPrinter>(dir.filePath("Documents"));
        real = printer->real.get();
        recording = printer->recording.get();
    }
    void TearDown() override {
        MptEditorTest::TearDown();
        printer.reset();
    }
    // Prints in style through the options dialog; returns the PDF written.
    QString Print(int style) {
        dialogs.service.QueueModal([style](QDialog& dialog) {
            auto& options = static_cast<TfrmMPTRptOpt&>(dialog);
            options.ragReportStyleItems->button(style)->setChecked(true);
            options.accept();
            return options.result();
        });
        editor->btnPrint->click();
        EXPECT_EQ(MessageTexts(), QStringList());
        return real->OutputFile();
    }
    // Where a test's page images go: kept when HRZ_KEEP_PRINTOUTS names a folder.
    QString PagesFolder(const QString& name) {
        const QString keep = qEnvironmentVariable("HRZ_KEEP_PRINTOUTS");
        const QString folder = keep.isEmpty() ? dir.filePath(name) : keep + "/" + name;
        QDir().mkpath(folder);
        return folder;
    }

    std::unique_ptr<TPdfPrinter> printer;
    TQtPrinterCanvas* real = nullptr;
    TRecordingPrinterCanvas* recording = nullptr;
};

} // namespace

TEST_F(MptReportPdfTest, BothStylesPrintWhatTheRecordingHolds) {
    auto& e = Open(false, TableDump(false, 17));
    const QString folder = dir.filePath("backup");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"Clean Lead.hrz018", "Big Crunch 1.hrz020", "Swell.hrz200"})
        QFile(folder + "/" + name).open(QIODevice::WriteOnly);
    dialogs.service.QueuePath(folder);
    e.pmiHintFolder->trigger();
    const QString saved = dir.filePath("Live.mpt");
    dialogs.service.QueuePath(saved);
    e.btnSaveAs->click();

    const QString list = Print(TfrmMPTRptOpt::kListWithFileNames);
    ASSERT_TRUE(QFileInfo::exists(list));
    // Shown in the editor's bottom line without widening the window.
    const int width = e.width();
    EXPECT_EQ(e.lblLocation->toolTip(), "Printout saved as " + list);
    EXPECT_TRUE(e.lblLocation->text().endsWith(".pdf"));
    QCoreApplication::processEvents();
    EXPECT_EQ(e.width(), width);
    EXPECT_GE(recording->PageCount(), 4);
    EXPECT_NE(recording->Find("Big Crunch 1.hrz020"), nullptr);
    const QString family = e.grdMPT->font().family();
    ExpectPdfShowsRecording(list, *recording, real->Device(), family, PagesFolder("list"));

    e.pmiShowRowOffsets->trigger();
    const QString grid = Print(TfrmMPTRptOpt::kGridLayout);
    ASSERT_NE(grid, list);
    EXPECT_EQ(recording->PageCount(), 1);
    ExpectPdfShowsRecording(grid, *recording, real->Device(), family, PagesFolder("grid"));
}
