// The real printer canvas: with no printer on the system a printout becomes a
// PDF file in the documents folder; its text lies where the recording says
// (pdftotext) and its ink stays inside the recorded text boxes (pdftoppm).
#include "controls/seams/qt_printer_canvas.h"
#include "editor/print_helpers.h"
#include "tests/editor/pdf_check.h"
#include "tests/support/recording_printer_canvas.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PrintPdfTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(dir.isValid());
        environment.HasPrinters = [] { return false; };
        environment.DocumentsFolder = [this] { return dir.filePath("Documents"); };
        environment.Now = [] { return QDateTime(QDate(2024, 5, 1), QTime(13, 45, 12)); };
    }

    static QFont ReportFont() {
        QFont font("Liberation Sans");
        font.setPointSize(9);
        return font;
    }

    QTemporaryDir dir;
    TPrinterEnvironment environment;
};

TEST_F(PrintPdfTest, WithoutAPrinterThePrintoutIsAPdfNamedAfterTheWindowAndTime) {
    TQtPrinterCanvas real(environment);
    TScopedPrinter use(real);
    const QString folder = dir.filePath("Documents");
    for (int i = 0; i < 2; ++i) {
        BeginPrintJob(ReportFont(), "HRZ2000e - /home/me/Bank A/Lead.hrz001");
        PrintAt(LeftMargin, "Lead");
        const QString where = EndPrintJob();
        const QString name =
            i == 0 ? "HRZ2000e - -home-me-Bank A-Lead.hrz001 2024-05-01 13.45.12.pdf"
                   : "HRZ2000e - -home-me-Bank A-Lead.hrz001 2024-05-01 13.45.12 (2).pdf";
        const QString path = QDir::toNativeSeparators(QDir(folder).filePath(name));
        // The second print in the same second does not overwrite the first.
        EXPECT_EQ(real.OutputFile(), path);
        EXPECT_EQ(where, "Printout saved as " + path);
        EXPECT_GT(QFileInfo(path).size(), 0);
    }
}

// A user who picks "print to file" in the printer dialog.
class TFileChoosingDialogs : public TScriptedDialogService {
public:
    QString ChosenFile;
    bool PrinterSetup(QWidget*, QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(ChosenFile);
        return true;
    }
};

// Once "print to file" was picked in Setup, later printouts must not keep
// overwriting that one file: it takes the next printout only, and a file that
// is there already is replaced only when the user says so.
TEST_F(PrintPdfTest, AFileChosenInSetupTakesOnePrintoutAndIsReplacedOnlyWhenAsked) {
    TFileChoosingDialogs dialogs;
    dialogs.ChosenFile = dir.filePath("chosen.pdf");
    SetDialogService(&dialogs);
    TQtPrinterCanvas real(environment);
    TScopedPrinter use(real);
    const auto print = [] {
        BeginPrintJob(ReportFont(), "HRZ2000e");
        PrintAt(LeftMargin, "Lead");
        return EndPrintJob();
    };
    const QString documents = dir.filePath("Documents");
    const auto fallback = [&](const QString& suffix) {
        return "Printout saved as " + QDir::toNativeSeparators(QDir(documents).filePath(
                                          "HRZ2000e 2024-05-01 13.45.12" + suffix + ".pdf"));
    };
    ASSERT_TRUE(PrinterSetup(nullptr));
    EXPECT_EQ(print(), "Printout saved as " + QDir::toNativeSeparators(dialogs.ChosenFile));
    EXPECT_EQ(print(), fallback(""));
    EXPECT_TRUE(dialogs.Messages().empty());

    // The same file again, now that it exists: No keeps it and names the printout anew.
    const qint64 first = QFileInfo(dialogs.ChosenFile).size();
    ASSERT_TRUE(PrinterSetup(nullptr));
    dialogs.QueueResult(mrNo);
    EXPECT_EQ(print(), fallback(" (2)"));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "The file " +
                                              QDir::toNativeSeparators(dialogs.ChosenFile) +
                                              " exists already. Replace it with this printout?");
    EXPECT_EQ(QFileInfo(dialogs.ChosenFile).size(), first);
    ASSERT_TRUE(PrinterSetup(nullptr));
    dialogs.QueueResult(mrYes);
    EXPECT_EQ(print(), "Printout saved as " + QDir::toNativeSeparators(dialogs.ChosenFile));
    SetDialogService(nullptr);
}

TEST_F(PrintPdfTest, AFolderThatCannotBeWrittenIsReportedNotLost) {
    environment.DocumentsFolder = [this] { return dir.filePath("file-not-folder"); };
    QFile blocker(dir.filePath("file-not-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TQtPrinterCanvas real(environment);
    TScopedPrinter use(real);
    try {
        BeginPrintJob(ReportFont(), "HRZ2000e");
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_TRUE(QString(e.what()).startsWith("The printout could not be written to "))
            << e.what();
    }
    EXPECT_FALSE(real.Printing());
}

TEST_F(PrintPdfTest, TheRealPrintoutShowsWhatWasRecorded) {
    TQtPrinterCanvas real(environment);
    TRecordingPrinterCanvas recording(real);
    TScopedPrinter use(recording);

    // A two-page list in the layout of the preset title list.
    BeginPrintJob(ReportFont(), "HRZ2000e");
    const auto pageStart = [] {
        PrintPageHeader("");
        PrintHeading("HRZ2000e Preset Listing");
    };
    pageStart();
    {
        TSavedFontStyle saved;
        Printer().SetFontStyle(fsBold | fsUnderline);
        PrintAt(LeftMargin, "Bank       ");
        PrintAt(LeftMargin + 10 * CharWidth, ColumnSeparator);
        PrintAt(LeftMargin + 15 * CharWidth, "Preset#   ");
        PrintAt(LeftMargin + 25 * CharWidth, ColumnSeparator);
        PrintAt(LeftMargin + 30 * CharWidth, "Title                      ");
        NextLine();
    }
    for (int n = 1; n <= 70; ++n) {
        if (PageBottomReached()) {
            NewPrintPage();
            pageStart();
        }
        PrintAt(LeftMargin, "B");
        PrintAt(LeftMargin + 10 * CharWidth, ColumnSeparator);
        PrintAt(LeftMargin + 15 * CharWidth, QString::number(n));
        PrintAt(LeftMargin + 25 * CharWidth, ColumnSeparator);
        PrintAt(LeftMargin + 30 * CharWidth, QString("Lead%1 Solo").arg(n));
        NextLine();
    }
    EndPrintJob();
    ASSERT_EQ(recording.PageCount(), 2);
    const QString pdf = real.OutputFile();
    ASSERT_TRUE(QFileInfo::exists(pdf));

    ExpectPdfShowsRecording(pdf, recording, real.Device(), ReportFont().family(), dir.path());
}

} // namespace
