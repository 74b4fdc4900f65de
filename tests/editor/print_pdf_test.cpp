// The real printer canvas: with no printer on the system a printout becomes a
// PDF file in the documents folder; its text lies where the recording says
// (pdftotext) and its ink stays inside the recorded text boxes (pdftoppm).
#include "controls/qt_printer_canvas.h"
#include "controls/recording_printer_canvas.h"
#include "controls/scripted_dialog_service.h"
#include "editor/print_helpers.h"
#include "tests/controls/test_app.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TPdfWord {
    int Page = 0;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    QString Text;
    bool Matched = false;
};

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "failed: " + program + " " + process.readAllStandardError();
    return {};
}

// Every word of every page, in points from the page's top left corner.
std::vector<TPdfWord> PdfWords(const QString& pdf, const QString& html) {
    EXPECT_EQ(RunTool("pdftotext", {"-bbox", pdf, html}), "");
    QFile file(html);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    std::vector<TPdfWord> words;
    int page = 0;
    static const QRegularExpression item(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = item.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            ++page;
            continue;
        }
        QString word = m.captured(5);
        word.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">");
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble(), word});
    }
    return words;
}

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

TEST_F(PrintPdfTest, TheChoiceMadeInSetupHoldsForLaterPrintouts) {
    TFileChoosingDialogs dialogs;
    dialogs.ChosenFile = dir.filePath("chosen.pdf");
    SetDialogService(&dialogs);
    TQtPrinterCanvas real(environment);
    TScopedPrinter use(real);
    const bool accepted = PrinterSetup(nullptr);
    SetDialogService(nullptr);
    ASSERT_TRUE(accepted);
    for (int i = 0; i < 2; ++i) {
        BeginPrintJob(ReportFont(), "HRZ2000e");
        PrintAt(LeftMargin, "Lead");
        EXPECT_EQ(EndPrintJob(),
                  "Printout saved as " + QDir::toNativeSeparators(dialogs.ChosenFile));
    }
    EXPECT_FALSE(QDir(dir.filePath("Documents")).exists());
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

    const QPrinter& device = real.Device();
    const int dpi = device.resolution();
    const QRect paint = device.pageLayout().paintRectPixels(dpi);
    const double scale = 72.0 / dpi;
    auto words = PdfWords(pdf, dir.filePath("words.html"));

    // Each text's first word starts where it was put (after its leading
    // blanks), and no word is there that was not printed.
    std::size_t expectedWords = 0;
    for (const TPrintedText& t : recording.Texts()) {
        const QStringList parts = t.Text.split(' ', Qt::SkipEmptyParts);
        expectedWords += static_cast<std::size_t>(parts.size());
        const QString lead = t.Text.left(t.Text.indexOf(parts[0]));
        const QFontMetrics metrics(WithFontStyles(ReportFont(), t.Style), &device);
        const double x = (paint.left() + t.X + metrics.horizontalAdvance(lead)) * scale;
        const double y = (paint.top() + t.Y) * scale;
        TPdfWord* best = nullptr;
        for (auto& w : words)
            if (!w.Matched && w.Page == t.Page && w.Text == parts[0] &&
                (!best ||
                 std::hypot(w.XMin - x, w.YMin - y) < std::hypot(best->XMin - x, best->YMin - y)))
                best = &w;
        ASSERT_NE(best, nullptr) << t.Text.toStdString();
        best->Matched = true;
        EXPECT_NEAR(best->XMin, x, 0.25) << t.Text.toStdString() << " page " << t.Page;
        EXPECT_NEAR(best->YMin, y, 0.5) << t.Text.toStdString() << " page " << t.Page;
    }
    EXPECT_EQ(words.size(), expectedWords);

    // The ink of each page lies inside the recorded boxes, and every box has ink.
    const int imageDpi = 100;
    for (int page = 1; page <= 2; ++page) {
        const QString prefix = dir.filePath(QString("page%1").arg(page));
        ASSERT_EQ(RunTool("pdftoppm", {"-r", QString::number(imageDpi), "-gray", "-png", "-f",
                                       QString::number(page), "-l", QString::number(page),
                                       "-singlefile", pdf, prefix}),
                  "");
        const QImage image(prefix + ".png");
        ASSERT_FALSE(image.isNull());
        const double toImage = double(imageDpi) / dpi;
        const auto box = [&](const TPrintedText& t) {
            return QRectF((paint.left() + t.X) * toImage, (paint.top() + t.Y) * toImage,
                          t.Width * toImage, t.Height * toImage)
                .toAlignedRect()
                .adjusted(-2, -2, 2, 2);
        };
        std::vector<QRect> boxes;
        for (const TPrintedText& t : recording.Texts())
            if (t.Page == page) {
                boxes.push_back(box(t));
                EXPECT_TRUE(image.rect().contains(boxes.back())) << t.Text.toStdString();
            }
        std::vector<int> inkIn(boxes.size(), 0);
        int stray = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) >= 128)
                    continue;
                bool inside = false;
                for (std::size_t i = 0; i < boxes.size(); ++i)
                    if (boxes[i].contains(x, y)) {
                        ++inkIn[i];
                        inside = true;
                    }
                stray += inside ? 0 : 1;
            }
        EXPECT_EQ(stray, 0) << "page " << page;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            EXPECT_GT(inkIn[i], 0) << "page " << page << " box " << i;
    }
}

} // namespace
