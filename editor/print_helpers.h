#pragma once
// Page layout shared by every report (parameter listing, preset title list,
// program table report): one set of metrics for the whole program, since only
// one print job runs at a time. Everything is drawn on Printer().
#include "controls/seams/printer_canvas.h"

#include <QFont>
#include <QString>

#include <functional>

// Printer pixels.
constexpr int LeftMargin = 10;
// Report columns, measured in CharWidth.
inline const QString ColumnSeparator = "  |  ";
constexpr int SeparatorChars = 5;
constexpr int ColumnChars = 10;
constexpr int PresetNumberChars = 3;

// Height of "A" in the canvas' font before the report font is applied, plus a
// tenth of an inch.
extern int LineHeight;
// Width of "A" in the report font.
extern int CharWidth;
// 95% of the printable height: a line that starts here goes on the next page.
extern int PageBottom;
// Top of the next line, 0 at the top of each page.
extern int LinePos;

// Measures, applies the report font and starts the document titled title (the
// window's title: it names the job, and the file when the output goes to one).
void BeginPrintJob(const QFont& font, const QString& title);
// The date in the short format directly followed by text, then "Page: " n.
void PrintPageHeader(const QString& text);
// Today in the system's short format, as the page header shows it.
QString ShortDate();
// Bold and underlined, centred, two lines from the top; the next line comes
// four lines below where it was.
void PrintHeading(const QString& text);
// Ends the document (nothing when none is open) and returns where it went,
// for the status bar.
QString EndPrintJob();

// Text at x on the current line.
void PrintAt(int x, const QString& text);
void NextLine();
bool PageBottomReached();
// A new page, with LinePos back at its top.
void NewPrintPage();

// Keeps the canvas' font style and puts it back at the end of the scope.
class TSavedFontStyle {
public:
    TSavedFontStyle() : style_(Printer().FontStyle()) {}
    ~TSavedFontStyle() { Printer().SetFontStyle(style_); }
    TSavedFontStyle(const TSavedFontStyle&) = delete;
    TSavedFontStyle& operator=(const TSavedFontStyle&) = delete;

private:
    TFontStyles style_;
};

// Ends a print job that an error left open, keeping what was printed.
class TPrintJobGuard {
public:
    TPrintJobGuard() = default;
    ~TPrintJobGuard();
    TPrintJobGuard(const TPrintJobGuard&) = delete;
    TPrintJobGuard& operator=(const TPrintJobGuard&) = delete;
};

// The font in points (a size in screen pixels is turned into points, which the
// printer takes), made smaller until measure(font) fits into room; measure runs
// with the font set on the printer. The printer's own font is put back.
QFont FontThatFits(QFont font, int room, const std::function<int(const QFont&)>& measure);
