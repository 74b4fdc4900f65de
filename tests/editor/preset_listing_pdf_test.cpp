// A parameter listing printed for real (a PDF, there being no printer) and
// read back: the text where the recording has it, all ink inside the text
// boxes, the columns clear of each other at the window's own font.
#include "controls/seams/qt_printer_canvas.h"
#include "editor/print_helpers.h"
#include "model/digital_groups.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/pdf_check.h"
#include "tests/support/recording_printer_canvas.h"

#include <QDir>
#include <QFileInfo>
#include <QToolButton>

namespace {

class PresetListingPdf : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        printer = std::make_unique<TPdfPrinter>(dir.filePath("Documents"));
        real = printer->real.get();
        recording = printer->recording.get();
    }
    void TearDown() override {
        EditorTest::TearDown();
        printer.reset();
    }
    // Where the page images go: kept when HRZ_KEEP_PRINTOUTS names a folder.
    QString PagesFolder(const QString& name) {
        const QString keep = qEnvironmentVariable("HRZ_KEEP_PRINTOUTS");
        const QString folder = keep.isEmpty() ? dir.filePath(name) : keep + "/" + name;
        QDir().mkpath(folder);
        return folder;
    }
    // The left edge of the column headed so, and the right edge of its widest text.
    std::pair<int, int> ColumnSpan(const QString& heading) const {
        const TPrintedText* head = recording->Find(heading);
        EXPECT_NE(head, nullptr) << heading.toStdString();
        if (!head)
            return {};
        int right = 0;
        for (const TPrintedText& t : recording->TextsOf())
            if (t.X == head->X && (t.Page > head->Page || t.Y >= head->Y))
                right = std::max(right, t.X + t.Width);
        return {head->X, right};
    }

    QTemporaryDir dir;
    std::unique_ptr<TPdfPrinter> printer;
    TQtPrinterCanvas* real = nullptr;
    TRecordingPrinterCanvas* recording = nullptr;
};

} // namespace

TEST_F(PresetListingPdf, AFullPresetPrintsWhatTheRecordingHolds) {
    // Every analog effect, Stereo DDL and Dual PTr with their long names, and
    // the widest performance lines.
    TPreset p;
    p.Title = "Big Crunch 1";
    p.SetDigitalGroup(53);
    for (int i = 0; i < 11; ++i)
        p.SetAnalogSelect(i, true);
    for (int j = 0; j < 3; ++j)
        p.SetDigitalActive(j, true);
    // Envelope Filter tuning, Mix dry, Dual PTr pan 2 and fine 2.
    const std::array<std::array<int, 4>, 4> entries{
        {{22, 10, 50, 122}, {1, 0, 31, 4}, {51, 0, 63, 11}, {47, 127, 0, 127}}};
    for (std::size_t k = 0; k < entries.size(); ++k) {
        p.PerfEnabled[k] = true;
        p.PerfMIDI[k].ParamNumber = entries[k][0];
        p.PerfMIDI[k].LowValue = entries[k][1];
        p.PerfMIDI[k].HighValue = entries[k][2];
        p.PerfMIDI[k].Controller = entries[k][3];
    }
    Open(p);
    editor->SetFileName(dir.filePath("Bank A/Big Crunch 1.hrz020"));
    const int width = editor->width();
    editor->btnPrint->click();
    for (const auto& m : Messages())
        ADD_FAILURE() << m.text.toStdString();
    const QString pdf = real->OutputFile();
    ASSERT_TRUE(QFileInfo::exists(pdf));

    // Where it went, cut in the middle without widening the window; the whole in the hint.
    EXPECT_EQ(editor->lblStatus->toolTip(), "Printout saved as " + pdf);
    EXPECT_TRUE(editor->lblStatus->text().startsWith("Printout saved as "));
    EXPECT_TRUE(editor->lblStatus->text().endsWith(".pdf"));
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->width(), width);

    EXPECT_NE(recording->Find("    is controlling: Envelope Filter: tuning"), nullptr);
    EXPECT_NE(recording->Find("    controller = #122 Note Off key velocity"), nullptr);
    const auto analog = ColumnSpan("Analog effects");
    const auto digital = ColumnSpan("Digital effects");
    const auto mix = ColumnSpan("Mix");
    EXPECT_LT(analog.second, digital.first);
    EXPECT_LT(digital.second, mix.first);
    EXPECT_LE(mix.second, recording->PageWidth() - LeftMargin);
    ExpectPdfShowsRecording(pdf, *recording, real->Device(), editor->font().family(),
                            PagesFolder("listing"));
}
