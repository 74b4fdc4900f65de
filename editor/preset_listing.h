#pragma once
// The pieces of the preset editor's parameter listing: the lines of a page
// control's visible pages, the printing of one listing line, and where the
// three columns go. The listing prints what the window shows, control by
// control, so these walk the window's own pages.
#include "controls/seams/printer_canvas.h"

#include <QFont>
#include <QString>

#include <array>
#include <vector>

class QTabWidget;

struct TListingText {
    QString Text;
    TFontStyles Style = fsNormal;
};
using TListingColumn = std::vector<TListingText>;
using TListingColumns = std::array<TListingColumn, 3>;

// Where the columns start, in CharWidth: analog effects, digital effects, mix.
constexpr std::array<int, 3> ListingColumnChars{0, 22, 45};
// The least room between the widest line of a column and the next column.
constexpr int ListingColumnGapChars = 2;

// Appends the lines of every visible page of pages, in page order: the page's
// name, then one line per visible parameter control in the page's control order.
void PrintPageParams(const QTabWidget* pages, TListingColumn& column);

// Prints text at x on the current line, on a new page when the line has
// reached the page bottom, and moves down one line. An empty text only moves.
void ListingLine(int x, const QString& text);

// The widest line of a column, each in its own style of font.
int WidestText(const TListingColumn& column, const QFont& font);

// Left edges of the three columns in font: at their place in CharWidth
// (charWidth), or further right where the column before would run into them.
std::array<int, 3> ColumnPositions(const TListingColumns& columns, const QFont& font,
                                   int charWidth);

// The font of a listing: font, made smaller when the columns or the heading
// lines (head) would run past the page's right edge.
QFont ListingFont(QFont font, const TListingColumns& columns, const TListingColumn& head);

// text shortened from the left with "..." so that prefix + text fits width
// in the canvas' current font.
QString FitFromLeft(const QString& prefix, const QString& text, int width);
