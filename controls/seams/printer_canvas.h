#pragma once
// The printer canvas every report draws on: documents, pages, text at printer
// pixel positions, text metrics, page size, resolution and font. The program
// installs the real printer (qt_printer_canvas.h); tests install
// TRecordingPrinterCanvas, which keeps every text with its place and style.
#include <QFont>
#include <QString>

class QWidget;

// Font style flags (combine with |).
using TFontStyles = unsigned;
constexpr TFontStyles fsNormal = 0;
constexpr TFontStyles fsBold = 0x1;
constexpr TFontStyles fsItalic = 0x2;
constexpr TFontStyles fsUnderline = 0x4;
constexpr TFontStyles fsStrikeOut = 0x8;

TFontStyles FontStylesOf(const QFont& font);
QFont WithFontStyles(QFont font, TFontStyles styles);

class IPrinterCanvas {
public:
    virtual ~IPrinterCanvas() = default;

    // "Set&up": the system's printer dialog. The choice holds until the program ends.
    virtual bool Setup(QWidget* parent) = 0;

    // Starts a document; the title names the job (and the file, when the output
    // goes to a file). Fails with "Printing in progress" while one is open.
    virtual void BeginDoc(const QString& title) = 0;
    // Ends the document, which sends it to the printer or writes its file.
    virtual void EndDoc() = 0;
    virtual void NewPage() = 0;
    virtual bool Printing() const = 0;
    // 1 on the first page of a document.
    virtual int PageNumber() const = 0;

    // x, y: top left corner of the text, printer pixels from the printable area's corner.
    virtual void TextOut(int x, int y, const QString& text) = 0;
    virtual int TextWidth(const QString& text) const = 0;
    virtual int TextHeight(const QString& text) const = 0;

    // Printable area and resolution, printer pixels and dots per inch.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    virtual int ResolutionX() const = 0;
    virtual int ResolutionY() const = 0;

    // The font goes back to the canvas' default when a document ends.
    virtual QFont Font() const = 0;
    virtual void SetFont(const QFont& font) = 0;
    TFontStyles FontStyle() const { return FontStylesOf(Font()); }
    void SetFontStyle(TFontStyles styles) { SetFont(WithFontStyles(Font(), styles)); }

    // Where the last ended document went: the file written (empty when it went
    // to a printer) and a text for the status bar.
    virtual QString OutputFile() const = 0;
    virtual QString OutputDescription() const = 0;
};

// The installed printer (the system's unless a test installed another).
IPrinterCanvas& Printer();
// Installs a printer (not owned); nullptr restores the system's.
void SetPrinter(IPrinterCanvas* printer);
// "Set&up" of every window that prints.
inline bool PrinterSetup(QWidget* parent) {
    return Printer().Setup(parent);
}
