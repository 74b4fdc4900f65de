#include "controls/seams/qt_printer_canvas.h"

#include "controls/model_path.h"
#include "controls/seams/dialog_service.h"
#include "model/errors.h"
#include "model/safe_file_name.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <utility>

namespace {

// Fonts sized in screen pixels would come out minute at a printer's
// resolution; the printer gets their size in points.
QFont InPoints(QFont font) {
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return font;
}

} // namespace

TPrinterEnvironment TPrinterEnvironment::System() {
    TPrinterEnvironment e;
    e.HasPrinters = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    e.DocumentsFolder = [] {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return folder.isEmpty() ? QDir::homePath() : folder;
    };
    e.Now = [] { return QDateTime::currentDateTime(); };
    return e;
}

TQtPrinterCanvas::TQtPrinterCanvas(TPrinterEnvironment environment)
    : environment_(std::move(environment)), font_(DefaultFont()) {}

TQtPrinterCanvas::~TQtPrinterCanvas() {
    if (painter_ && painter_->isActive())
        painter_->end();
}

QFont TQtPrinterCanvas::DefaultFont() {
    return InPoints(QGuiApplication::font());
}

QPrinter& TQtPrinterCanvas::Device() const {
    if (printer_)
        return *printer_;
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (environment_.HasPrinters()) {
        QString name = QPrinterInfo::defaultPrinterName();
        if (name.isEmpty())
            name = QPrinterInfo::availablePrinterNames().value(0);
        printer_->setPrinterName(name);
    }
    // No printer at all (or none the system would name): a PDF file.
    if (printer_->printerName().isEmpty())
        printer_->setOutputFormat(QPrinter::PdfFormat);
    return *printer_;
}

bool TQtPrinterCanvas::Setup(QWidget* parent) {
    QPrinter& printer = Device();
    if (!Dialogs().PrinterSetup(parent, printer))
        return false;
    fileChosen_ =
        printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    return true;
}

QString TQtPrinterCanvas::FallbackFileName(const QString& title) const {
    const QString folder = environment_.DocumentsFolder();
    QDir().mkpath(folder);
    QString base = QString::fromStdString(SafeFileName(title.toStdString())).trimmed();
    if (base.isEmpty())
        base = "Printout";
    // Colons are not allowed in Windows file names.
    base += " " + environment_.Now().toString("yyyy-MM-dd hh.mm.ss");
    QString path = QDir(folder).filePath(base + ".pdf");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(QString("%1 (%2).pdf").arg(base).arg(n));
    return path;
}

void TQtPrinterCanvas::BeginDoc(const QString& title) {
    if (Printing())
        throw EHrzError("Printing in progress");
    QPrinter& printer = Device();
    printer.setDocName(title);
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    if (toFile) {
        // A file picked in Setup takes that one printout; the ones after it are
        // named by their title and time again, so none overwrites another.
        bool useChosen = std::exchange(fileChosen_, false);
        const QString chosen = printer.outputFileName();
        if (useChosen && QFileInfo::exists(chosen))
            useChosen =
                Dialogs().MessageBox(nullptr,
                                     "The file " + QDir::toNativeSeparators(chosen) +
                                         " exists already. Replace it with this printout?",
                                     "Confirm", mbYes | mbNo, TMsgDlgType::mtConfirmation) == mrYes;
        if (!useChosen)
            printer.setOutputFileName(FallbackFileName(title));
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&printer)) {
        if (toFile)
            throw EHrzError("The printout could not be written to " +
                            ModelPath(printer.outputFileName()));
        throw EHrzError("The printer " + printer.printerName().toStdString() +
                        " could not start the print job");
    }
    painter_ = std::move(painter);
    painter_->setFont(font_);
    page_ = 1;
}

void TQtPrinterCanvas::EndDoc() {
    if (!Printing())
        return;
    const bool ok = painter_->end();
    painter_.reset();
    page_ = 0;
    font_ = DefaultFont();
    const QPrinter& printer = Device();
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        outputFile_ = QDir::toNativeSeparators(printer.outputFileName());
        outputDescription_ = "Printout saved as " + outputFile_;
        if (!ok)
            throw EHrzError("The printout could not be written to " + outputFile_.toStdString());
    } else {
        outputFile_.clear();
        outputDescription_ = "Printout sent to " + printer.printerName();
        if (!ok)
            throw EHrzError("The printer " + printer.printerName().toStdString() +
                            " did not take the printout");
    }
}

void TQtPrinterCanvas::RequirePrinting() const {
    if (!Printing())
        throw EHrzError("Printer is not currently printing");
}

void TQtPrinterCanvas::NewPage() {
    RequirePrinting();
    if (!Device().newPage())
        throw EHrzError("The printer could not start a new page");
    ++page_;
}

bool TQtPrinterCanvas::Printing() const {
    return painter_ && painter_->isActive();
}

void TQtPrinterCanvas::TextOut(int x, int y, const QString& text) {
    RequirePrinting();
    painter_->drawText(x, y + painter_->fontMetrics().ascent(), text);
}

int TQtPrinterCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(font_, &Device()).horizontalAdvance(text);
}

int TQtPrinterCanvas::TextHeight(const QString&) const {
    return QFontMetrics(font_, &Device()).height();
}

int TQtPrinterCanvas::PageWidth() const {
    return Device().width();
}

int TQtPrinterCanvas::PageHeight() const {
    return Device().height();
}

int TQtPrinterCanvas::ResolutionX() const {
    return Device().logicalDpiX();
}

int TQtPrinterCanvas::ResolutionY() const {
    return Device().logicalDpiY();
}

void TQtPrinterCanvas::SetFont(const QFont& font) {
    font_ = InPoints(font);
    if (Printing())
        painter_->setFont(font_);
}
