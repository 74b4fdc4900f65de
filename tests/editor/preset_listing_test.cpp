// The preset editor's parameter listing on the recording printer: what the
// window shows, in three columns below the title, and where the printout went.
#include "editor/perf_midi_page.h"
#include "editor/preset_listing.h"
#include "editor/print_helpers.h"
#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/recording_printer_canvas.h"

#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <tuple>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

TPreset OnGroup(int g, std::initializer_list<int> analog = {}) {
    TPreset p;
    p.Title = "Clean Lead";
    p.SetDigitalGroup(g);
    for (int i : analog)
        p.SetAnalogSelect(i, true);
    return p;
}

void UseEntry(TPreset& p, int k, int param, int low, int high, int controller) {
    p.PerfEnabled[static_cast<std::size_t>(k)] = true;
    auto& e = p.PerfMIDI[static_cast<std::size_t>(k)];
    e.ParamNumber = param;
    e.LowValue = low;
    e.HighValue = high;
    e.Controller = controller;
}

QString Str(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

bool Before(const TPrintedText& a, const TPrintedText& b) {
    return std::tie(a.Page, a.Y) < std::tie(b.Page, b.Y);
}

} // namespace

class PresetListing : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        TEditorOperations ops = editor->Operations();
        ops.ShowStatus = [this](const QString& text) { statusBar << text; };
        editor->SetOperations(ops);
    }

    void Print() {
        QTest::mouseClick(editor->btnPrint, Qt::LeftButton);
        ASSERT_EQ(printer.DocumentsEnded(), printer.DocumentsBegun());
    }
    std::vector<TPrintedText> Texts() const { return printer.TextsOf(); }
    const TPrintedText& Text(const QString& text) const {
        const TPrintedText* t = printer.Find(text);
        EXPECT_NE(t, nullptr) << text.toStdString();
        static const TPrintedText none;
        return t ? *t : none;
    }
    // The texts of the column headed so, from its heading on, top to bottom.
    std::vector<TPrintedText> Column(const QString& heading) const {
        const TPrintedText head = Text(heading);
        std::vector<TPrintedText> column;
        for (const TPrintedText& t : Texts())
            if (t.X == head.X && !Before(t, head))
                column.push_back(t);
        std::stable_sort(column.begin(), column.end(), Before);
        return column;
    }
    QStringList ColumnLines(const QString& heading) const {
        QStringList lines;
        for (const TPrintedText& t : Column(heading))
            lines << t.Text;
        return lines;
    }

    TRecordingPrinterCanvas printer;
    TScopedPrinter installed{printer};
    QStringList statusBar;
};

TEST_F(PresetListing, HeadLinesWithAndWithoutAFileName) {
    Open(OnGroup(0));
    Print();
    const int top = 4 * LineHeight;
    EXPECT_EQ(printer.Titles().last(), "HRZ2000e Preset Editor <not saved>");
    const TPrintedText& heading = Text("HRZ2000e Preset parameter listing");
    EXPECT_EQ(heading.Y, 0);
    EXPECT_EQ(heading.Style, fsBold | fsUnderline);
    // No file: no "Filename: " line and no blank line for it.
    EXPECT_EQ(Text("Title: Clean Lead").Y, 2 * LineHeight);
    EXPECT_EQ(Text("Title: Clean Lead").Style, fsBold | fsUnderline);
    for (const TPrintedText& t : Texts())
        EXPECT_FALSE(t.Text.startsWith("Filename")) << t.Text.toStdString();
    // The three columns start side by side below the title, in bold only.
    for (const char* column : {"Analog effects", "Digital effects", "Mix"}) {
        EXPECT_EQ(Text(column).Y, top) << column;
        EXPECT_EQ(Text(column).Style, fsBold) << column;
    }
    EXPECT_EQ(Text("Analog effects").X, LeftMargin);
    EXPECT_EQ(Text("Digital effects").X, 22 * CharWidth);
    EXPECT_EQ(Text("Mix").X, 45 * CharWidth);
    // No analog effect: the heading alone; none of the group's effects selected either.
    EXPECT_EQ(ColumnLines("Analog effects"), QStringList{"Analog effects"});
    EXPECT_EQ(ColumnLines("Digital effects"), QStringList{"Digital effects"});
    EXPECT_EQ(ColumnLines("Mix"), (QStringList{"Mix", "    dry = 100%", "    digital = 100%",
                                               "    analog = 100%", "Performance MIDI"}));
    EXPECT_EQ(Text("Performance MIDI").Y, top + 5 * LineHeight);
    // Where it went, in the editor and in the program's status bar; nothing sent.
    EXPECT_EQ(Status(), "Printout recorded");
    EXPECT_EQ(statusBar, QStringList{"Printout recorded"});
    EXPECT_TRUE(sends.empty());

    editor->SetFileName("/home/me/presets/Clean Lead.hrz");
    Print();
    EXPECT_EQ(printer.Titles().last(), "HRZ2000e Preset Editor - /home/me/presets/Clean Lead.hrz");
    EXPECT_EQ(Text("Filename: /home/me/presets/Clean Lead.hrz").Y, 2 * LineHeight);
    EXPECT_EQ(Text("Filename: /home/me/presets/Clean Lead.hrz").Style, fsNormal);
    EXPECT_EQ(Text("Title: Clean Lead").Y, 4 * LineHeight);
    EXPECT_EQ(Text("Mix").Y, 6 * LineHeight);

    // A name too long for the page keeps its end.
    editor->SetFileName("/home/me/" + QString(300, 'x') + "/Clean Lead.hrz");
    Print();
    const TPrintedText& name = Texts()[1];
    EXPECT_TRUE(name.Text.startsWith("Filename: ...xx")) << name.Text.toStdString();
    EXPECT_TRUE(name.Text.endsWith("xx/Clean Lead.hrz"));
    EXPECT_LE(name.X + name.Width, printer.PageWidth() - LeftMargin);
}

TEST_F(PresetListing, ControlsPrintTheirValuesAsTheWindowShowsThem) {
    // Group 45 is Low Pass, Regen DDL S, Pitch-Trans, Reverb 1.
    TPreset p = OnGroup(45, {0, 1});
    p.Params[4] = 1; // Patch Bay loops
    p.Params[5] = 0;
    p.SetDigitalActive(2, true);
    const std::array<int, 6> pitchTrans{1, 14, 67, 60, 0, 63};
    std::copy(pitchTrans.begin(), pitchTrans.end(), p.Params.begin() + 39);
    Open(p);
    // The keyboard's Alt+P is the button's.
    editor->edtTitle->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::AltModifier);
    // The button shows the press before it clicks.
    ASSERT_TRUE(QTest::qWaitFor([this] { return printer.DocumentsEnded() == 1; }));
    EXPECT_EQ(ColumnLines("Analog effects"),
              (QStringList{"Analog effects", "   PatchBay", "      Dry = Input",
                           "      Loop 1 IN = on", "      Loop 2 IN = off", "   Compressor",
                           "      drive = 78%", "      Slope = 4:1", "      Attack = 3 ms",
                           "      Release = 500 ms", "      output = 94%"}));
    EXPECT_EQ(ColumnLines("Digital effects"),
              (QStringList{"Digital effects", "   PitchTrans", "      Type = Quick",
                           "      pitch = +2", "      fine = 0.25", "      base key = C 4",
                           "      regen = 0%", "      level = 100%"}));
    // Reverb 1 has no Diffusion: the hidden slider is not listed.
    p.SetAnalogSelect(0, false);
    p.SetDigitalActive(2, false);
    p.SetDigitalActive(3, true);
    const std::array<int, 6> reverb{9, 0, 17, 2, 5, 63};
    std::copy(reverb.begin(), reverb.end(), p.Params.begin() + 45);
    TMemoryStream dump;
    p.WriteDump(dump);
    dump.SetPosition(0);
    editor->LoadDump(dump);
    editor->ShowPreset();
    Print();
    EXPECT_EQ(ColumnLines("Analog effects").mid(0, 2),
              (QStringList{"Analog effects", "   Compressor"}));
    EXPECT_EQ(ColumnLines("Digital effects"),
              (QStringList{"Digital effects", "   Reverb", "      Type = Hall-1",
                           "      Source = Pre DDL", "      decay = 2.4s", "      damping = 14%",
                           "      position = 83%", "      level = 100%"}));

    editor->pgcPreset->setCurrentWidget(editor->tsDigital);
    editor->Pages().Find("trbREVdecay")->Slider()->SetValue(47);
    Print();
    EXPECT_EQ(ColumnLines("Digital effects")[4], "      decay = 25.0s");
    // The page the user was on stays.
    EXPECT_EQ(editor->pgcPreset->currentWidget(), editor->tsDigital);
}

TEST_F(PresetListing, PerformanceEntriesAreShownAndListedOneByOne) {
    TPreset p = OnGroup(0, {1});
    UseEntry(p, 2, 7, 5, 20, 11); // Compressor drive
    UseEntry(p, 0, 1, 0, 31, 4);  // Mix dry
    UseEntry(p, 1, 0, 0, 0, 128); // MIDI Monitor
    UseEntry(p, 5, 40, 0, 63, 7); // a digital effect that is off: kept, and listed so
    p.PerfMIDI[2].ExtraValue = 0; // the page sets 255 when it shows the entry
    Open(p);
    const auto before = editor->Preset().DumpBytes();
    editor->pgcPreset->setCurrentWidget(editor->tsPerfMIDI);
    Print();
    EXPECT_EQ(ColumnLines("Mix").mid(4),
              (QStringList{"Performance MIDI",
                           "Controller #1",
                           "    is controlling: Mix: dry",
                           "    low range value = 0%",
                           "    high range value = 100%",
                           "    controller = #4 Foot controller",
                           "Controller #2",
                           "    is controlling: MIDI Monitor: enabled",
                           "    low range value = ",
                           "    high range value = ",
                           "    controller = #128 OFF",
                           "Controller #3",
                           "    is controlling: Compressor: drive",
                           "    low range value = 18%",
                           "    high range value = 65%",
                           "    controller = #11 Expression ctlr",
                           "Controller #6 (effect off)",
                           "    is controlling: Stereo DDL L Regen (effect off)",
                           "    low range value = 0",
                           "    high range value = 63",
                           "    controller = #7 Channel volume"}));
    EXPECT_EQ(Text("Controller #1").Style, fsNormal);
    // Printing left the performance page for the analog one; the last entry stays picked.
    EXPECT_EQ(editor->pgcPreset->currentWidget(), editor->tsAnalog);
    EXPECT_EQ(editor->PerfPage().lbxPMIdefctl->currentRow(), 2);
    EXPECT_EQ(editor->PerfPage().CurrentEntry, 2);
    EXPECT_TRUE(Messages().empty());
    // Printing changes nothing in the preset.
    EXPECT_EQ(editor->Preset().DumpBytes(), before);
}

TEST_F(PresetListing, ColumnsRunOntoNewPagesAndEachStartsAtTheColumnTop) {
    TPreset p = OnGroup(53);
    for (int i = 0; i < Catalogue::AnalogEffectCount; ++i)
        p.SetAnalogSelect(i, true);
    for (int j = 0; j < 3; ++j)
        p.SetDigitalActive(j, true);
    for (int k = 0; k < 8; ++k)
        UseEntry(p, k, 1 + k % 3, 0, 31, 4);
    Open(p);
    Print();
    const int top = 4 * LineHeight;
    ASSERT_EQ(printer.PageCount(), 3);
    for (const TPrintedText& t : Texts())
        EXPECT_LT(t.Y, PageBottom) << t.Text.toStdString();

    // 43 lines of analog effects do not fit below the title: the column goes on
    // at the top of page 2 after the line that reached the page bottom.
    const auto analog = Column("Analog effects");
    ASSERT_EQ(analog.size(), 43u);
    std::size_t onFirst = 0;
    while (onFirst < analog.size() && analog[onFirst].Page == 1)
        ++onFirst;
    ASSERT_LT(onFirst, analog.size());
    EXPECT_EQ(analog[onFirst - 1].Y, top + static_cast<int>(onFirst - 1) * LineHeight);
    EXPECT_GE(analog[onFirst - 1].Y + LineHeight, PageBottom);
    for (std::size_t i = onFirst; i < analog.size(); ++i) {
        EXPECT_EQ(analog[i].Page, 2);
        EXPECT_EQ(analog[i].Y, static_cast<int>(i - onFirst) * LineHeight);
    }
    // The digital column and the mix start at the column top of the page the
    // printer is on by then; the mix with eight entries runs onto page 3.
    EXPECT_EQ(Text("Digital effects").Page, 2);
    EXPECT_EQ(Text("Digital effects").Y, top);
    EXPECT_EQ(Column("Digital effects").back().Page, 2);
    EXPECT_EQ(Text("Mix").Page, 2);
    EXPECT_EQ(Text("Mix").Y, top);
    const auto mix = Column("Mix");
    ASSERT_EQ(mix.size(), 5u + 8 * 5);
    const auto third =
        std::find_if(mix.begin(), mix.end(), [](const TPrintedText& t) { return t.Page == 3; });
    ASSERT_NE(third, mix.end());
    EXPECT_EQ(third->Y, 0);
    EXPECT_GE((third - 1)->Y + LineHeight, PageBottom);
    // Names keep their underscores.
    EXPECT_EQ(ColumnLines("Digital effects").filter("      left_delay_lgth = ").size(), 1);
}

// Every parameter control the window shows is listed once, under its page, for
// every digital group with all its effects and all analog effects on; columns
// never run into each other or past the page.
TEST_F(PresetListing, EveryShownControlIsListedOnceWithoutOverlap) {
    Show(*editor);
    for (int g = 0; g < DigitalGroups::RowCount; ++g) {
        SCOPED_TRACE("group " + std::to_string(g));
        TPreset p = OnGroup(g);
        for (int i = 0; i < Catalogue::AnalogEffectCount; ++i)
            p.SetAnalogSelect(i, true);
        const auto& row = DigitalGroups::Row(g);
        for (int j = 0; j < 5 && row[static_cast<std::size_t>(j)] >= 0; ++j)
            p.SetDigitalActive(j, true);
        TMemoryStream dump;
        p.WriteDump(dump);
        dump.SetPosition(0);
        editor->LoadDump(dump);
        editor->ShowPreset();
        Print();

        // Each page's name, then one line per parameter of its effect, none twice.
        std::vector<std::pair<QString, int>> expected;
        for (const auto& effect : Catalogue::AnalogEffects())
            expected.emplace_back("   " + Str(effect.SheetName).mid(2), effect.ParamCount);
        std::vector<std::pair<int, int>> digital; // page and parameter count
        for (int e : row)
            if (e >= 0)
                digital.emplace_back(
                    Catalogue::DigitalEffects()[static_cast<std::size_t>(e)].Page,
                    Catalogue::DigitalEffects()[static_cast<std::size_t>(e)].ParamCount);
        std::sort(digital.begin(), digital.end());
        for (const auto& [page, count] : digital)
            expected.emplace_back(
                "   " +
                    Str(Catalogue::DigitalPages()[static_cast<std::size_t>(page)].SheetName).mid(2),
                count);
        std::vector<std::pair<QString, int>> found;
        QStringList names;
        for (const char* heading : {"Analog effects", "Digital effects"})
            for (const QString& line : ColumnLines(heading).mid(1)) {
                if (!line.startsWith("      ") || found.empty()) {
                    found.emplace_back(line, 0);
                    names.clear();
                    continue;
                }
                const QString name = line.section(" = ", 0, 0);
                EXPECT_FALSE(names.contains(name)) << line.toStdString();
                names << name;
                ++found.back().second;
            }
        EXPECT_EQ(found, expected);

        std::array<int, 3> right{};
        std::array<int, 3> left{};
        const std::array<QString, 3> headings{"Analog effects", "Digital effects", "Mix"};
        for (std::size_t c = 0; c < 3; ++c) {
            left[c] = Text(headings[c]).X;
            for (const TPrintedText& t : Column(headings[c]))
                right[c] = std::max(right[c], t.X + t.Width);
        }
        EXPECT_GE(left[1], 22 * CharWidth);
        EXPECT_GE(left[2], 45 * CharWidth);
        EXPECT_LT(right[0], left[1]);
        EXPECT_LT(right[1], left[2]);
        EXPECT_LE(right[2], printer.PageWidth() - LeftMargin);
        if (HasFailure())
            break;
    }
}
