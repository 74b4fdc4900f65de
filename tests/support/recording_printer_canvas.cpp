#include "tests/support/recording_printer_canvas.h"

#include "controls/seams/dialog_service.h"
#include "model/errors.h"

#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

double PointSizeOf(const QFont& font) {
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    if (font.pixelSize() > 0)
        return font.pixelSize() * 72.0 / 96.0;
    return 10;
}

} // namespace

TRecordingPrinterCanvas::TRecordingPrinterCanvas(TMetrics metrics)
    : metrics_(metrics), font_(ModelDefaultFont()) {}

TRecordingPrinterCanvas::TRecordingPrinterCanvas(IPrinterCanvas& target)
    : target_(&target), font_(target.Font()) {}

TRecordingPrinterCanvas::~TRecordingPrinterCanvas() = default;

QFont TRecordingPrinterCanvas::ModelDefaultFont() {
    QFont font("Liberation Sans");
    font.setPointSize(10);
    return font;
}

bool TRecordingPrinterCanvas::Setup(QWidget* parent) {
    if (target_)
        return target_->Setup(parent);
    if (!setupPrinter_) {
        setupPrinter_ = std::make_unique<QPrinter>();
        setupPrinter_->setOutputFormat(QPrinter::PdfFormat);
    }
    return Dialogs().PrinterSetup(parent, *setupPrinter_);
}

void TRecordingPrinterCanvas::BeginDoc(const QString& title) {
    if (printing_)
        throw EHrzError("Printing in progress");
    if (target_)
        target_->BeginDoc(title);
    printing_ = true;
    page_ = 1;
    ++documents_;
    pages_.push_back(1);
    titles_ << title;
}

void TRecordingPrinterCanvas::EndDoc() {
    if (!printing_)
        return;
    printing_ = false;
    page_ = 0;
    ++ended_;
    if (target_)
        target_->EndDoc();
    font_ = target_ ? target_->Font() : ModelDefaultFont();
}

void TRecordingPrinterCanvas::NewPage() {
    if (!printing_)
        throw EHrzError("Printer is not currently printing");
    if (target_)
        target_->NewPage();
    ++page_;
    pages_.back() = page_;
}

void TRecordingPrinterCanvas::TextOut(int x, int y, const QString& text) {
    if (!printing_)
        throw EHrzError("Printer is not currently printing");
    if (target_)
        target_->TextOut(x, y, text);
    texts_.push_back({documents_, page_, x, y, text, TextWidth(text), TextHeight(text),
                      FontStylesOf(font_), PointSizeOf(font_)});
}

int TRecordingPrinterCanvas::ModelCharWidth(double pointSize) const {
    return std::max(1, static_cast<int>(std::lround(pointSize * metrics_.ResolutionX / 72 * 0.6)));
}

int TRecordingPrinterCanvas::TextWidth(const QString& text) const {
    if (target_)
        return target_->TextWidth(text);
    return static_cast<int>(text.size()) * ModelCharWidth(PointSizeOf(font_));
}

int TRecordingPrinterCanvas::TextHeight(const QString& text) const {
    if (target_)
        return target_->TextHeight(text);
    return static_cast<int>(std::lround(PointSizeOf(font_) * metrics_.ResolutionY / 72 * 1.2));
}

int TRecordingPrinterCanvas::PageWidth() const {
    return target_ ? target_->PageWidth() : metrics_.PageWidth;
}

int TRecordingPrinterCanvas::PageHeight() const {
    return target_ ? target_->PageHeight() : metrics_.PageHeight;
}

int TRecordingPrinterCanvas::ResolutionX() const {
    return target_ ? target_->ResolutionX() : metrics_.ResolutionX;
}

int TRecordingPrinterCanvas::ResolutionY() const {
    return target_ ? target_->ResolutionY() : metrics_.ResolutionY;
}

void TRecordingPrinterCanvas::SetFont(const QFont& font) {
    if (target_) {
        target_->SetFont(font);
        font_ = target_->Font();
    } else {
        font_ = font;
    }
}

QString TRecordingPrinterCanvas::OutputFile() const {
    return target_ ? target_->OutputFile() : QString();
}

QString TRecordingPrinterCanvas::OutputDescription() const {
    return target_ ? target_->OutputDescription() : QString("Printout recorded");
}

std::vector<TPrintedText> TRecordingPrinterCanvas::TextsOf(int document) const {
    std::vector<TPrintedText> out;
    const int which = Which(document);
    for (const auto& t : texts_)
        if (t.Document == which)
            out.push_back(t);
    return out;
}

QStringList TRecordingPrinterCanvas::Lines(int document) const {
    // (page, y) -> texts in x order
    std::map<std::pair<int, int>, std::vector<std::pair<int, QString>>> lines;
    for (const auto& t : TextsOf(document))
        lines[{t.Page, t.Y}].push_back({t.X, t.Text});
    QStringList out;
    for (auto& [where, texts] : lines) {
        std::stable_sort(texts.begin(), texts.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QString line;
        for (const auto& [x, text] : texts)
            line += text;
        out << line;
    }
    return out;
}

const TPrintedText* TRecordingPrinterCanvas::Find(const QString& text, int document) const {
    const int which = Which(document);
    for (const auto& t : texts_)
        if (t.Document == which && t.Text == text)
            return &t;
    return nullptr;
}

int TRecordingPrinterCanvas::PageCount(int document) const {
    const int which = Which(document);
    return which >= 1 && which <= static_cast<int>(pages_.size())
               ? pages_[static_cast<std::size_t>(which - 1)]
               : 0;
}
