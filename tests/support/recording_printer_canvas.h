#pragma once
// Test double of the printer: keeps every text with its document, page,
// position and font style. On its own it measures with a simple fixed-pitch
// model (deterministic whatever fonts are installed); put in front of another
// canvas it passes everything on and measures with that one, so a test can
// compare what a real printout shows with what was recorded.
#include "controls/seams/printer_canvas.h"

#include <QStringList>
#include <memory>
#include <vector>

class QPrinter;

struct TPrintedText {
    int Document = 0; // 1 for the first document begun
    int Page = 0;     // 1 for the first page of its document
    int X = 0;
    int Y = 0;
    QString Text;
    int Width = 0; // as measured when it was printed
    int Height = 0;
    TFontStyles Style = fsNormal;
    double PointSize = 0;
};

class TRecordingPrinterCanvas : public IPrinterCanvas {
public:
    struct TMetrics {
        int ResolutionX = 600;
        int ResolutionY = 600;
        int PageWidth = 4800; // 8 x 11 inches
        int PageHeight = 6600;
    };

    explicit TRecordingPrinterCanvas(TMetrics metrics);
    TRecordingPrinterCanvas() : TRecordingPrinterCanvas(TMetrics{}) {}
    // Records what goes to target and measures with it.
    explicit TRecordingPrinterCanvas(IPrinterCanvas& target);
    ~TRecordingPrinterCanvas() override;
    TRecordingPrinterCanvas(const TRecordingPrinterCanvas&) = delete;
    TRecordingPrinterCanvas& operator=(const TRecordingPrinterCanvas&) = delete;

    bool Setup(QWidget* parent) override;
    void BeginDoc(const QString& title) override;
    void EndDoc() override;
    void NewPage() override;
    bool Printing() const override { return printing_; }
    int PageNumber() const override { return printing_ ? page_ : 0; }

    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) const override;
    int TextHeight(const QString& text) const override;

    int PageWidth() const override;
    int PageHeight() const override;
    int ResolutionX() const override;
    int ResolutionY() const override;

    QFont Font() const override { return font_; }
    void SetFont(const QFont& font) override;

    QString OutputFile() const override;
    QString OutputDescription() const override;

    // ---- What was printed ----
    const std::vector<TPrintedText>& Texts() const { return texts_; }
    // The texts of one document (0: the last one begun).
    std::vector<TPrintedText> TextsOf(int document = 0) const;
    // Each printed line of a document: the texts with the same page and y,
    // joined in x order; lines in page and y order.
    QStringList Lines(int document = 0) const;
    // The first text of a document that equals text, or nullptr.
    const TPrintedText* Find(const QString& text, int document = 0) const;
    int DocumentsBegun() const { return documents_; }
    int DocumentsEnded() const { return ended_; }
    // Pages of a document (0: the last one begun).
    int PageCount(int document = 0) const;
    const QStringList& Titles() const { return titles_; }
    // The model's width of one character in a font of this size.
    int ModelCharWidth(double pointSize) const;

private:
    static QFont ModelDefaultFont();
    int Which(int document) const { return document == 0 ? documents_ : document; }

    IPrinterCanvas* target_ = nullptr;
    TMetrics metrics_;
    std::unique_ptr<QPrinter> setupPrinter_;
    QFont font_;
    bool printing_ = false;
    int page_ = 0;
    int documents_ = 0;
    int ended_ = 0;
    std::vector<int> pages_; // pages of each document
    std::vector<TPrintedText> texts_;
    QStringList titles_;
};

// Installs a printer for the lifetime of the guard.
class TScopedPrinter {
public:
    explicit TScopedPrinter(IPrinterCanvas& printer) { SetPrinter(&printer); }
    ~TScopedPrinter() { SetPrinter(nullptr); }
    TScopedPrinter(const TScopedPrinter&) = delete;
    TScopedPrinter& operator=(const TScopedPrinter&) = delete;
};
