#include "controls/seams/printer_canvas.h"

#include "controls/seams/qt_printer_canvas.h"

#include <QCoreApplication>
#include <memory>

namespace {

std::unique_ptr<IPrinterCanvas> g_system;
IPrinterCanvas* g_installed = nullptr;

} // namespace

TFontStyles FontStylesOf(const QFont& font) {
    TFontStyles styles = fsNormal;
    if (font.bold())
        styles |= fsBold;
    if (font.italic())
        styles |= fsItalic;
    if (font.underline())
        styles |= fsUnderline;
    if (font.strikeOut())
        styles |= fsStrikeOut;
    return styles;
}

QFont WithFontStyles(QFont font, TFontStyles styles) {
    font.setBold(styles & fsBold);
    font.setItalic(styles & fsItalic);
    font.setUnderline(styles & fsUnderline);
    font.setStrikeOut(styles & fsStrikeOut);
    return font;
}

IPrinterCanvas& Printer() {
    if (g_installed)
        return *g_installed;
    if (!g_system) {
        g_system = std::make_unique<TQtPrinterCanvas>();
        // The printer must go before the application object does.
        qAddPostRoutine([] { g_system.reset(); });
    }
    return *g_system;
}

void SetPrinter(IPrinterCanvas* printer) {
    g_installed = printer;
}
