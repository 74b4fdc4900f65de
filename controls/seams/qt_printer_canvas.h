#pragma once
// The real printer canvas: QPainter on a QPrinter. The printer is the one
// chosen with "Set&up", else the system's default; a system without any
// printer gets a PDF file in the user's documents folder instead, so that no
// printout is lost.
#include "controls/seams/printer_canvas.h"

#include <QDateTime>
#include <functional>
#include <memory>

class QPainter;
class QPrinter;

// What the canvas asks of the system (replaceable in tests).
struct TPrinterEnvironment {
    std::function<bool()> HasPrinters;
    // Folder for the PDF files written when there is no printer.
    std::function<QString()> DocumentsFolder;
    std::function<QDateTime()> Now;

    static TPrinterEnvironment System();
};

class TQtPrinterCanvas : public IPrinterCanvas {
public:
    explicit TQtPrinterCanvas(TPrinterEnvironment environment = TPrinterEnvironment::System());
    // An open document is ended, so what was printed is kept.
    ~TQtPrinterCanvas() override;
    TQtPrinterCanvas(const TQtPrinterCanvas&) = delete;
    TQtPrinterCanvas& operator=(const TQtPrinterCanvas&) = delete;

    bool Setup(QWidget* parent) override;
    void BeginDoc(const QString& title) override;
    void EndDoc() override;
    void NewPage() override;
    bool Printing() const override;
    int PageNumber() const override { return page_; }

    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) const override;
    int TextHeight(const QString& text) const override;

    int PageWidth() const override;
    int PageHeight() const override;
    int ResolutionX() const override;
    int ResolutionY() const override;

    QFont Font() const override { return font_; }
    void SetFont(const QFont& font) override;

    QString OutputFile() const override { return outputFile_; }
    QString OutputDescription() const override { return outputDescription_; }

    // The printer, set up on first use.
    QPrinter& Device() const;
    // The font of a canvas that has not printed yet.
    static QFont DefaultFont();

private:
    // Where a document titled so goes when there is no printer to take it.
    QString FallbackFileName(const QString& title) const;
    void RequirePrinting() const;

    TPrinterEnvironment environment_;
    mutable std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    bool fileChosen_ = false; // the user picked a file in the dialog, for the next printout
    QFont font_;
    int page_ = 0;
    QString outputFile_;
    QString outputDescription_;
};
