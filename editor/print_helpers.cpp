#include "editor/print_helpers.h"

#include "model/errors.h"

#include <QDate>
#include <QLocale>

int LineHeight = 0;
int CharWidth = 0;
int PageBottom = 0;
int LinePos = 0;

void BeginPrintJob(const QFont& font, const QString& title) {
    IPrinterCanvas& printer = Printer();
    // Refused before anything is measured or set: the metrics and the font
    // belong to the job that is running (a backup run's list, say).
    if (printer.Printing())
        throw EHrzError("Printing in progress");
    LineHeight = printer.TextHeight("A") + printer.ResolutionY() / 10;
    // 95%, half up, in whole numbers so no floating-point step decides the rounding.
    PageBottom = (printer.PageHeight() * 95 + 50) / 100;
    LinePos = 0;
    printer.SetFont(font);
    CharWidth = printer.TextWidth("A");
    printer.BeginDoc(title);
}

QString ShortDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

void PrintPageHeader(const QString& text) {
    PrintAt(LeftMargin, ShortDate() + text);
    NextLine();
    PrintAt(LeftMargin, "Page: " + QString::number(Printer().PageNumber()));
    NextLine();
}

void PrintHeading(const QString& text) {
    TSavedFontStyle saved;
    IPrinterCanvas& printer = Printer();
    printer.SetFontStyle(fsBold | fsUnderline);
    const int x = printer.PageWidth() / 2 - static_cast<int>(text.size()) / 2 * CharWidth;
    printer.TextOut(x, 2 * LineHeight, text);
    LinePos += 4 * LineHeight;
}

QString EndPrintJob() {
    IPrinterCanvas& printer = Printer();
    if (!printer.Printing())
        return {};
    printer.SetFontStyle(fsNormal);
    printer.EndDoc();
    return printer.OutputDescription();
}

void PrintAt(int x, const QString& text) {
    Printer().TextOut(x, LinePos, text);
}

void NextLine() {
    LinePos += LineHeight;
}

bool PageBottomReached() {
    return LinePos >= PageBottom;
}

void NewPrintPage() {
    Printer().NewPage();
    LinePos = 0;
}

TPrintJobGuard::~TPrintJobGuard() {
    try {
        EndPrintJob();
    } catch (...) {
        // The error that left the job open is the one the user sees.
    }
}

QFont FontThatFits(QFont font, int room, const std::function<int(const QFont&)>& measure) {
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    IPrinterCanvas& printer = Printer();
    // Measured in the font and then put back: a job measures its line height in
    // the canvas' own font.
    const QFont before = printer.Font();
    const auto width = [&] {
        printer.SetFont(font);
        return measure(font);
    };
    // Text widths follow the size closely: the first guess is near, the steps
    // after it take care of rounding.
    if (const int first = width(); first > room)
        font.setPointSizeF(font.pointSizeF() * room / first);
    while (width() > room && font.pointSizeF() > 1)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    printer.SetFont(before);
    return font;
}
