// The table report on the recording printer, printed through "&Print" and the
// options dialog as the user does it.
#include "editor/print_helpers.h"
#include "model/errors.h"
#include "mpt/frm_mpt_rpt_opt.h"
#include "tests/mpt/mpt_editor_fixture.h"

#include <QButtonGroup>
#include <QLocale>
#include <QRegularExpression>

namespace {

class MptReportTest : public MptEditorTest {
protected:
    // Liberation Mono 8pt on the recording printer: characters 40 pixels
    // wide, so the widest line fits the 4800 pixel page as it is.
    TfrmMPTEdit& OpenWithSmallFont(bool preExpress, const TBytes& dump) {
        auto& e = Open(preExpress, dump);
        QFont font("Liberation Mono");
        font.setPointSize(8);
        dialogs.service.QueueFontChoice(true, font);
        e.btnFont->click();
        return e;
    }
    // The next report options dialog: notes the style it opens with, picks
    // style (none when -1), and presses OK or Cancel.
    void AnswerOptions(int style, bool ok = true) {
        dialogs.service.QueueModal([this, style, ok](QDialog& dialog) {
            auto& options = static_cast<TfrmMPTRptOpt&>(dialog);
            openedWith = options.ReportStyle();
            options.show();
            if (style >= 0)
                QTest::mouseClick(options.ragReportStyleItems->button(style), Qt::LeftButton);
            QTest::mouseClick(ok ? options.btnOk : options.btnCancel, Qt::LeftButton);
            return options.result();
        });
    }
    void Print(int style) {
        AnswerOptions(style);
        editor->btnPrint->click();
    }
    // The lines of the last printout that show a program change.
    QStringList EntryLines() const {
        static const QRegularExpression entry(R"(^\d+  \|  )");
        return printer.Lines().filter(entry);
    }
    static QString Today() {
        return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    }

    TRecordingPrinterCanvas printer;
    TScopedPrinter installed{printer};
    int openedWith = -2;
};

constexpr int kList = TfrmMPTRptOpt::kListWithFileNames;
constexpr int kGrid = TfrmMPTRptOpt::kGridLayout;

} // namespace

TEST_F(MptReportTest, ListReportHasALineForEveryProgramChangeWithItsFile) {
    auto& e = OpenWithSmallFont(false, TableDump(false, 5));
    const QString folder = dir.filePath("backup");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"Lead.hrz007", "Crunch.HRZ010", "Lead.hrz0070"})
        QFile(folder + "/" + name).open(QIODevice::WriteOnly);
    dialogs.service.QueuePath(folder);
    e.pmiHintFolder->trigger();
    // The report shows what the grid shows, a number still being typed too.
    Click(3, 20);
    Type("9");

    Print(kList);
    EXPECT_EQ(openedWith, kGrid); // nothing stored yet
    EXPECT_EQ(dialogs.service.Last().caption, "Select report options");
    EXPECT_EQ(store->ReadInteger("MPT_REPT_STYLE", false, 0), kList);

    const QStringList lines = printer.Lines();
    // An unsaved table: the date and the ten blanks before the missing name.
    EXPECT_EQ(lines[0], Today() + "          ");
    EXPECT_EQ(lines[1], "Page: 1");
    EXPECT_EQ(lines[2], "Velmor HRZ2000 MPT Table");
    EXPECT_EQ(lines[3], "Prog Chg #  |  Preset#     |  File name       ");
    const QStringList entries = EntryLines();
    ASSERT_EQ(entries.size(), 200);
    EXPECT_EQ(entries[0], "1  |  006  |  ");
    EXPECT_EQ(entries[1], "2  |  007  |  Lead.hrz007");
    EXPECT_EQ(entries[4], "5  |  010  |  Crunch.HRZ010"); // case does not matter
    EXPECT_EQ(entries[192], "193  |  9  |  ");
    EXPECT_EQ(entries[199], "200  |  005  |  ");

    const int cw = CharWidth;
    EXPECT_EQ(cw, 40);
    const TPrintedText* file = printer.Find("Lead.hrz007");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->X, 10 + 30 * cw);
    EXPECT_EQ(printer.Find("007")->X, 10 + 15 * cw);
    EXPECT_EQ(printer.Find("File name       ")->X, 10 + 30 * cw);
    EXPECT_EQ(printer.Find("File name       ")->Style, fsBold | fsUnderline);
    EXPECT_EQ(file->Style, fsNormal);
    EXPECT_EQ(e.lblLocation->text(), "Printout recorded");

    // With row offsets the numbers count from 0; the stored style opens the dialog.
    e.pmiShowRowOffsets->trigger();
    Print(-1);
    EXPECT_EQ(openedWith, kList);
    ASSERT_EQ(EntryLines().size(), 200);
    EXPECT_TRUE(EntryLines().first().startsWith("0  |  006"));
    EXPECT_TRUE(EntryLines().last().startsWith("199  |  005"));
}

TEST_F(MptReportTest, ListPagesBreakAtTheBottomAndStartAgainWithTheirHeads) {
    OpenWithSmallFont(false, TableDump(false));
    Print(kList);
    const int bottom = PageBottom;
    const int lineHeight = LineHeight;
    EXPECT_EQ(bottom, 6270);
    // Seven lines of page start (header 2, heading 4, heads 1), then 33
    // entries from 1120 to 6240; the 34th would start below the bottom.
    EXPECT_EQ(printer.PageCount(), 7);
    EXPECT_EQ(printer.Find("33")->Page, 1);
    EXPECT_EQ(printer.Find("33")->Y, 6240);
    EXPECT_EQ(printer.Find("34")->Page, 2);
    EXPECT_EQ(printer.Find("34")->Y, 7 * lineHeight);
    for (const TPrintedText& t : printer.Texts()) {
        EXPECT_LT(t.Y, bottom) << t.Text.toStdString();
        EXPECT_LE(t.X + t.Width, printer.PageWidth()) << t.Text.toStdString();
    }
    int pageStarts = 0;
    for (const TPrintedText& t : printer.Texts())
        if (t.Text == "Prog Chg #") {
            ++pageStarts;
            EXPECT_EQ(t.Y, 6 * lineHeight);
        }
    EXPECT_EQ(pageStarts, 7);
    EXPECT_NE(printer.Find("Page: 7"), nullptr);
    EXPECT_EQ(printer.DocumentsEnded(), 1);
}

TEST_F(MptReportTest, GridReportOfAPreExpressTableEndsAfterEightNumbers) {
    auto& e = OpenWithSmallFont(true, TableDump(true));
    Print(kGrid);
    const QStringList lines = printer.Lines();
    ASSERT_EQ(lines.size(), 4 + 13);
    QString heads = "Prog Chg #";
    for (const char* head : {"  1", "  2", "  3", "  4", "  5", "  6", "  7", "  8", "  9", " 10"})
        heads += QString("  |  ") + head;
    EXPECT_EQ(lines[3], heads);
    EXPECT_EQ(lines[4], "1-10  |  001  |  002  |  003  |  004  |  005  |  006  |  007  |  008  |  "
                        "009  |  010");
    EXPECT_EQ(lines.last(),
              "121-130  |  121  |  122  |  123  |  124  |  125  |  126  |  127  |  128");

    // Each number sits under its column's head; the rows are underlined.
    const int cw = CharWidth;
    const TPrintedText* head8 = printer.Find("  8");
    const TPrintedText* cell128 = printer.Find("128");
    ASSERT_TRUE(head8 && cell128);
    EXPECT_EQ(head8->X, 10 + (10 + 7 * 8 + 5) * cw);
    EXPECT_EQ(cell128->X, head8->X);
    EXPECT_EQ(cell128->Style, fsUnderline);
    EXPECT_EQ(printer.Find("121-130")->Style, fsUnderline);
    EXPECT_EQ(head8->Style, fsBold | fsUnderline);
    EXPECT_EQ(printer.FontStyle(), fsNormal);

    // Row offsets print as the grid shows them.
    e.pmiShowRowOffsets->trigger();
    Print(kGrid);
    EXPECT_TRUE(printer.Lines().last().startsWith("120 +  |  121"));
}

TEST_F(MptReportTest, GridRowsAfterABreakAreUnderlinedUnderAPlainPageHeader) {
    TRecordingPrinterCanvas shortPage({600, 600, 4800, 2000}); // bottom 1900
    TScopedPrinter use(shortPage);
    OpenWithSmallFont(false, TableDump(false));
    Print(kGrid);
    // Rows at 1120 .. 1760 fit: five to a page.
    EXPECT_EQ(shortPage.PageCount(), 4);
    const TPrintedText* row6 = shortPage.Find("51-60");
    ASSERT_NE(row6, nullptr);
    EXPECT_EQ(row6->Page, 2);
    EXPECT_EQ(row6->Y, 7 * LineHeight);
    EXPECT_EQ(row6->Style, fsUnderline);
    EXPECT_EQ(shortPage.Find("Page: 2")->Style, fsNormal);
    const TPrintedText* heading = nullptr;
    for (const TPrintedText& t : shortPage.Texts())
        if (t.Page == 2 && t.Text == "Velmor HRZ2000 MPT Table")
            heading = &t;
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->Style, fsBold | fsUnderline);
    EXPECT_EQ(shortPage.Find("191-200")->Page, 4);
}

TEST_F(MptReportTest, AStoredStyleOutOfRangeSelectsNoneAndPrintsTheGrid) {
    store->WriteInteger("MPT_REPT_STYLE", 5);
    auto& e = OpenWithSmallFont(false, TableDump(false));
    Print(-1);
    EXPECT_EQ(openedWith, -1);
    EXPECT_EQ(store->ReadInteger("MPT_REPT_STYLE", false, 0), -1);
    EXPECT_EQ(printer.Lines().size(), 4 + 20);
    EXPECT_TRUE(printer.Lines().last().startsWith("191-200  |  191"));

    // Cancel prints nothing and keeps the setting.
    AnswerOptions(kList, false);
    e.btnPrint->click();
    EXPECT_EQ(printer.DocumentsBegun(), 1);
    EXPECT_EQ(store->ReadInteger("MPT_REPT_STYLE", false, 0), -1);
}

TEST_F(MptReportTest, ASavedTableNamesItsFileInTheHeaderAndTheJob) {
    auto& e = OpenWithSmallFont(false, TableDump(false));
    const QString path = QDir::toNativeSeparators(dir.filePath("Live set.mpt"));
    dialogs.service.QueuePath(path);
    e.btnSaveAs->click();
    QString status;
    e.SetStatusHandler([&](const QString& text) { status = text; });
    Print(kGrid);
    EXPECT_EQ(printer.Lines().first(), Today() + "          " + path);
    EXPECT_EQ(printer.Titles().last(), "Velmor HRZ2000 MPT Editor - " + path);
    EXPECT_EQ(status, "Printout recorded");

    // A path too long for the page gives way from the left; the name stays.
    const QString deep = "/home/me/" + QString(150, 'x') + "/tables/Live.mpt";
    e.SetFileName(deep);
    Print(kGrid);
    const TPrintedText header = printer.TextsOf().front();
    EXPECT_TRUE(header.Text.startsWith(Today() + "          ...")) << header.Text.toStdString();
    EXPECT_TRUE(header.Text.endsWith("x/tables/Live.mpt"));
    EXPECT_LE(header.X + header.Width, printer.PageWidth());
    EXPECT_GT(header.X + header.Width + CharWidth, printer.PageWidth());
}

TEST_F(MptReportTest, TheGridFontShrinksUntilTheWidestLineFitsThePage) {
    // The grid's own 17 pixel font is too wide for ninety characters.
    Open(false, TableDump(false));
    Print(kGrid);
    EXPECT_LE(10 + 90 * CharWidth, printer.PageWidth());
    EXPECT_GT(10 + 90 * (CharWidth + 1), printer.PageWidth() - 2 * LeftMargin);
    for (const TPrintedText& t : printer.Texts())
        EXPECT_LE(t.X + t.Width, printer.PageWidth()) << t.Text.toStdString();
    // The line height is still measured in the canvas' own font.
    EXPECT_EQ(LineHeight, 160);
}

TEST_F(MptReportTest, APrintoutAlreadyRunningIsLeftAloneAndTheUserTold) {
    auto& e = OpenWithSmallFont(false, TableDump(false));
    BeginPrintJob(QFont("Liberation Sans", 10), "Preset Listing");
    LinePos = 1234;
    Print(kList);
    EXPECT_EQ(MessageTexts().last(), "Printing in progress");
    EXPECT_TRUE(printer.Printing());
    EXPECT_EQ(LinePos, 1234);
    EXPECT_EQ(printer.Font().family(), "Liberation Sans");
    EndPrintJob();
    EXPECT_TRUE(printer.Texts().empty());

    // Set&up goes to the program's printer dialog.
    dialogs.service.QueuePrinterSetup(true);
    e.btnPrtSetup->click();
    EXPECT_EQ(dialogs.service.Last().kind, "printer");
}
