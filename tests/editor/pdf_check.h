#pragma once
// Reads a printout back from its PDF with poppler-utils and holds it against
// what the recording printer in front of the real one kept: every text's first
// word where it was put, no word that was not printed, and on each page all
// ink inside the recorded text boxes (so nothing is clipped or misplaced).
#include "controls/seams/qt_printer_canvas.h"
#include "tests/support/recording_printer_canvas.h"

#include <QDateTime>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

// The real printer canvas writing PDFs into a folder of the test (there being no
// printer), with a recording canvas in front of it, installed while this lives.
// Made after the application exists: the canvas starts in its font.
struct TPdfPrinter {
    explicit TPdfPrinter(const QString& documentsFolder) {
        environment.HasPrinters = [] { return false; };
        environment.DocumentsFolder = [documentsFolder] { return documentsFolder; };
        environment.Now = [] { return QDateTime::currentDateTime(); };
        real = std::make_unique<TQtPrinterCanvas>(environment);
        recording = std::make_unique<TRecordingPrinterCanvas>(*real);
        installed = std::make_unique<TScopedPrinter>(*recording);
    }
    TPrinterEnvironment environment;
    std::unique_ptr<TQtPrinterCanvas> real;
    std::unique_ptr<TRecordingPrinterCanvas> recording;
    std::unique_ptr<TScopedPrinter> installed;
};

struct TPdfWord {
    int Page = 0;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    QString Text;
    bool Matched = false;
};

inline QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "failed: " + program + " " + process.readAllStandardError();
    return {};
}

// Every word of every page, in points from the page's top left corner.
inline std::vector<TPdfWord> PdfWords(const QString& pdf, const QString& html) {
    EXPECT_EQ(RunTool("pdftotext", {"-bbox", pdf, html}), "");
    QFile file(html);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    std::vector<TPdfWord> words;
    int page = 0;
    static const QRegularExpression item(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = item.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            ++page;
            continue;
        }
        QString word = m.captured(5);
        word.replace("&quot;", "\"")
            .replace("&lt;", "<")
            .replace("&gt;", ">")
            .replace("&amp;", "&");
        // The font's ligatures ("fi" drawn as one glyph) read back as the letters.
        word = word.normalized(QString::NormalizationForm_KC);
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble(), word});
    }
    return words;
}

// pdf is the last document printed on device through recording, in fonts of
// the given family. A copy of it and its page images are left in workDir as
// printout.pdf, page1.png, page2.png, ... for a human to look at.
inline void ExpectPdfShowsRecording(const QString& pdf, const TRecordingPrinterCanvas& recording,
                                    const QPrinter& device, const QString& family,
                                    const QString& workDir) {
    const std::vector<TPrintedText> texts = recording.TextsOf();
    QFile::remove(workDir + "/printout.pdf");
    QFile::copy(pdf, workDir + "/printout.pdf");
    const int dpi = device.resolution();
    const QRect paint = device.pageLayout().paintRectPixels(dpi);
    const double scale = 72.0 / dpi;
    auto words = PdfWords(pdf, workDir + "/words.html");

    std::size_t expectedWords = 0;
    for (const TPrintedText& t : texts) {
        const QStringList parts = t.Text.split(' ', Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        expectedWords += static_cast<std::size_t>(parts.size());
        const QString lead = t.Text.left(t.Text.indexOf(parts[0]));
        QFont font(family);
        font.setPointSizeF(t.PointSize);
        const QFontMetrics metrics(WithFontStyles(font, t.Style), &device);
        const double x = (paint.left() + t.X + metrics.horizontalAdvance(lead)) * scale;
        const double y = (paint.top() + t.Y) * scale;
        TPdfWord* best = nullptr;
        for (auto& w : words)
            if (!w.Matched && w.Page == t.Page && w.Text == parts[0] &&
                (!best ||
                 std::hypot(w.XMin - x, w.YMin - y) < std::hypot(best->XMin - x, best->YMin - y)))
                best = &w;
        ASSERT_NE(best, nullptr) << t.Text.toStdString();
        best->Matched = true;
        EXPECT_NEAR(best->XMin, x, 0.25) << t.Text.toStdString() << " page " << t.Page;
        EXPECT_NEAR(best->YMin, y, 0.5) << t.Text.toStdString() << " page " << t.Page;
    }
    EXPECT_EQ(words.size(), expectedWords);

    const int imageDpi = 100;
    const double toImage = double(imageDpi) / dpi;
    for (int page = 1; page <= recording.PageCount(); ++page) {
        const QString prefix = workDir + QString("/page%1").arg(page);
        ASSERT_EQ(RunTool("pdftoppm", {"-r", QString::number(imageDpi), "-gray", "-png", "-f",
                                       QString::number(page), "-l", QString::number(page),
                                       "-singlefile", pdf, prefix}),
                  "");
        const QImage image(prefix + ".png");
        ASSERT_FALSE(image.isNull());
        const auto box = [&](const TPrintedText& t) {
            return QRectF((paint.left() + t.X) * toImage, (paint.top() + t.Y) * toImage,
                          t.Width * toImage, t.Height * toImage)
                .toAlignedRect()
                .adjusted(-2, -2, 2, 2);
        };
        std::vector<QRect> boxes;
        std::vector<bool> inked;
        for (const TPrintedText& t : texts)
            if (t.Page == page) {
                boxes.push_back(box(t));
                inked.push_back(!t.Text.trimmed().isEmpty());
                EXPECT_TRUE(image.rect().contains(boxes.back())) << t.Text.toStdString();
            }
        std::vector<int> inkIn(boxes.size(), 0);
        int stray = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) >= 128)
                    continue;
                bool inside = false;
                for (std::size_t i = 0; i < boxes.size(); ++i)
                    if (boxes[i].contains(x, y)) {
                        ++inkIn[i];
                        inside = true;
                    }
                stray += inside ? 0 : 1;
            }
        EXPECT_EQ(stray, 0) << "page " << page;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (inked[i]) {
                EXPECT_GT(inkIn[i], 0) << "page " << page << " box " << i;
            }
    }
}
