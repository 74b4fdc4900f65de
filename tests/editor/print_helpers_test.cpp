// The shared page layout on the recording printer: metrics, page header,
// heading, page breaks, and jobs that end or fail.
#include "editor/print_helpers.h"
#include "model/errors.h"
#include "tests/support/recording_printer_canvas.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QDate>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

class PrintHelpersTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }

    static QFont ReportFont(int points) {
        QFont font("Liberation Sans");
        font.setPointSize(points);
        return font;
    }
    static QString Today() {
        return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    }

    TRecordingPrinterCanvas printer;
    TScopedPrinter installed{printer};
};

TEST_F(PrintHelpersTest, MetricsComeInTheirOrder) {
    // Model at 600 dpi: "A" is 10pt x 1.2 high in the canvas' own 10pt font,
    // 0.6 x the size wide in the report font.
    BeginPrintJob(ReportFont(20), "Listing");
    EXPECT_EQ(LineHeight, 100 + 60); // measured before the report font applies
    EXPECT_EQ(CharWidth, 100);       // measured after
    EXPECT_EQ(PageBottom, 6270);     // 95% of 6600
    EXPECT_EQ(LinePos, 0);
    EXPECT_TRUE(printer.Printing());
    EXPECT_EQ(printer.Titles(), QStringList{"Listing"});
    EXPECT_EQ(EndPrintJob(), "Printout recorded");

    // The next job measures its line height with the canvas' own font again,
    // not with the font the last report left behind.
    BeginPrintJob(ReportFont(8), "Second");
    EXPECT_EQ(LineHeight, 160);
    EXPECT_EQ(CharWidth, 40);
    EndPrintJob();
}

TEST_F(PrintHelpersTest, PageBottomRoundsHalfUp) {
    for (const auto& [height, bottom] :
         {std::pair{6330, 6014}, {6350, 6033}, {6601, 6271}, {6619, 6288}, {1, 1}}) {
        TRecordingPrinterCanvas sized({600, 600, 4800, height});
        TScopedPrinter use(sized);
        BeginPrintJob(ReportFont(10), "t");
        EXPECT_EQ(PageBottom, bottom) << height;
        EndPrintJob();
    }
}

TEST_F(PrintHelpersTest, PageHeaderAndHeading) {
    BeginPrintJob(ReportFont(10), "Listing");
    PrintPageHeader("          Table.mpt");
    PrintHeading("HRZ2000e Preset Listing"); // 23 characters: 11 to the left
    PrintAt(LeftMargin, "next");

    const auto texts = printer.TextsOf();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].Text, Today() + "          Table.mpt");
    EXPECT_EQ(texts[0].X, LeftMargin);
    EXPECT_EQ(texts[0].Y, 0);
    EXPECT_EQ(texts[1].Text, "Page: 1");
    EXPECT_EQ(texts[1].Y, 160);
    EXPECT_EQ(texts[2].X, 4800 / 2 - 11 * 50);
    EXPECT_EQ(texts[2].Y, 2 * 160);
    EXPECT_EQ(texts[2].Style, fsBold | fsUnderline);
    // Four lines below the header's end, in the style from before the heading.
    EXPECT_EQ(texts[3].Y, 6 * 160);
    EXPECT_EQ(texts[3].Style, fsNormal);
    EXPECT_EQ(LinePos, 6 * 160);
    EndPrintJob();
}

TEST_F(PrintHelpersTest, HeadingKeepsItsRowWhereverTheLineIs) {
    BeginPrintJob(ReportFont(10), "Listing");
    printer.SetFontStyle(fsItalic);
    LinePos = 1000;
    PrintHeading("odd");
    EXPECT_EQ(printer.Texts().back().Y, 2 * LineHeight);
    EXPECT_EQ(printer.Texts().back().X, 2400 - 1 * 50);
    EXPECT_EQ(LinePos, 1000 + 4 * LineHeight);
    EXPECT_EQ(printer.FontStyle(), fsItalic);
    // Ending resets the style, so the next job does not start bold or italic.
    EndPrintJob();
    EXPECT_EQ(printer.FontStyle(), fsNormal);
}

TEST_F(PrintHelpersTest, LinesBreakOntoNewPagesAtTheBottom) {
    TRecordingPrinterCanvas shortPage({600, 600, 4800, 1000}); // bottom 950, lines of 160
    TScopedPrinter use(shortPage);
    BeginPrintJob(ReportFont(10), "Lines");
    for (int i = 1; i <= 15; ++i) {
        if (PageBottomReached()) {
            NewPrintPage();
            PrintPageHeader("");
        }
        PrintAt(LeftMargin, QString::number(i));
        NextLine();
    }
    EndPrintJob();
    // 0, 160 .. 800 fit above 950: six lines on the first page, then the
    // header's two and four more on each further page.
    EXPECT_EQ(shortPage.PageCount(), 4);
    EXPECT_EQ(shortPage.Find("6")->Page, 1);
    EXPECT_EQ(shortPage.Find("6")->Y, 800);
    EXPECT_EQ(shortPage.Find("7")->Page, 2);
    EXPECT_EQ(shortPage.Find("7")->Y, 320);
    EXPECT_EQ(shortPage.Find("Page: 3")->Page, 3);
    EXPECT_EQ(shortPage.Find("15")->Page, 4);
}

TEST_F(PrintHelpersTest, OneJobAtATimeAndAFailedReportStillEndsItsJob) {
    BeginPrintJob(ReportFont(10), "First");
    LinePos = 500;
    EXPECT_THROW(
        {
            try {
                BeginPrintJob(ReportFont(20), "Second");
            } catch (const EHrzError& e) {
                EXPECT_STREQ(e.what(), "Printing in progress");
                throw;
            }
        },
        EHrzError);
    EXPECT_EQ(printer.DocumentsBegun(), 1);
    // The refused job leaves the running one's place, metrics and font alone.
    EXPECT_EQ(LinePos, 500);
    EXPECT_EQ(CharWidth, 50);
    EXPECT_EQ(printer.Font().pointSize(), 10);
    EndPrintJob();
    EXPECT_EQ(EndPrintJob(), ""); // nothing open: nothing to end
    EXPECT_EQ(printer.DocumentsEnded(), 1);
    EXPECT_THROW(PrintAt(LeftMargin, "lost"), EHrzError);

    try {
        TPrintJobGuard guard;
        BeginPrintJob(ReportFont(10), "Failing");
        PrintAt(LeftMargin, "kept");
        throw EHrzError("report failed");
    } catch (const EHrzError&) {
    }
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.DocumentsEnded(), 2);
    EXPECT_NE(printer.Find("kept"), nullptr);
}

TEST_F(PrintHelpersTest, SetupGoesThroughTheDialogLayer) {
    TScopedDialogService dialogs;
    dialogs.service.QueuePrinterSetup(true);
    EXPECT_TRUE(PrinterSetup(nullptr));
    EXPECT_FALSE(PrinterSetup(nullptr));
    ASSERT_EQ(dialogs.service.History().size(), 2u);
    EXPECT_EQ(dialogs.service.Last().kind, "printer");
}

} // namespace
