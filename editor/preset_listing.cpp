// The parameter listing of a preset: the active analog effects, the active
// digital effects, the mix and the performance MIDI entries, in three columns
// that each start at the same height below the title.
#include "editor/preset_listing.h"

#include "controls/app_error_handler.h"
#include "controls/busy_cursor.h"
#include "controls/lv_lcd_meter.h"
#include "controls/lv_radio_group.h"
#include "controls/lv_track_bar.h"
#include "editor/frm_preset_editor.h"
#include "editor/latin1_string.h"
#include "editor/perf_midi_page.h"
#include "editor/preset_pages.h"
#include "editor/print_helpers.h"
#include "model/perf_targets.h"
#include "model/preset_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kNameStart = 6; // "trbCMPdrive" -> "drive"
constexpr int kTagStart = 3;  // "trbCMPdrive" -> "CMPdrive"
const QString kIndent = QStringLiteral("      ");
const QString kEntryIndent = QStringLiteral("    ");

QString Selected(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

// One control's line, or an empty text for controls that hold no parameter.
QString ControlLine(const QWidget* page, const QWidget* w) {
    const QString name = w->objectName();
    if (qobject_cast<const TlvTrackBar*>(w) || qobject_cast<const TlvLCDmeter*>(w)) {
        const auto* value =
            page->findChild<QLabel*>("txt" + name.mid(kTagStart), Qt::FindDirectChildrenOnly);
        return kIndent + name.mid(kNameStart) + " = " + (value ? value->text() : QString());
    }
    if (const auto* radio = qobject_cast<const TlvRadioGroup*>(w))
        return kIndent + radio->title() + " = " + radio->SelectedText();
    if (const auto* list = qobject_cast<const QListWidget*>(w))
        return kIndent + name.mid(kNameStart).replace('_', ' ') + " = " + Selected(list);
    if (const auto* check = qobject_cast<const QCheckBox*>(w))
        return kIndent + check->text() + (check->isChecked() ? " = on" : " = off");
    return {};
}

QString MixValue(const TfrmPresetEditor& editor, const char* control) {
    const TParamControl* c = editor.Pages().Find(control);
    return c && c->Value ? c->Value->text() : QString();
}

// "4 Foot controller": the grid's number and name of a controller.
QString ControllerLine(const TPerfMidiPage& page, int controller) {
    QString number = QString::number(controller);
    QString name;
    if (controller >= 0 && controller < page.grdPMctl->rowCount()) {
        if (const QTableWidgetItem* cell = page.grdPMctl->item(controller, 0))
            number = cell->text();
        if (const QTableWidgetItem* cell = page.grdPMctl->item(controller, 1))
            name = cell->text();
    }
    return number + " " + name;
}

// The mix, then each performance MIDI entry as the page shows it when the
// entry is picked.
TListingColumn MixAndPerformanceLines(TfrmPresetEditor& editor) {
    TListingColumn column;
    column.push_back({"Mix", fsBold});
    column.push_back({kEntryIndent + "dry = " + MixValue(editor, "trbMIXdry")});
    column.push_back({kEntryIndent + "digital = " + MixValue(editor, "trbMIXdigital")});
    column.push_back({kEntryIndent + "analog = " + MixValue(editor, "trbMIXanalog")});
    column.push_back({});
    column.push_back({"Performance MIDI", fsBold});

    // Showing an entry fills in what the page shows with it (the full range of
    // an unset entry, the extra byte); a printout leaves the preset as it was.
    const auto entries = editor.Preset().PerfMIDI;
    TPerfMidiPage& page = editor.PerfPage();
    const TPresetView view = BuildPresetView(editor.Preset());
    const TPerfTargets targets(editor.Preset());
    for (int row = 0; row < page.lbxPMIdefctl->count(); ++row) {
        const QString line = page.lbxPMIdefctl->item(row)->text();
        if (line.endsWith(TPerfMidiPage::InactiveMark)) {
            // Its effect is off, so the page has no control to show it with.
            const int k = line.mid(line.indexOf('#') + 1, 1).toInt() - 1;
            const auto perf = std::find_if(view.Perf.begin(), view.Perf.end(),
                                           [k](const TPerfView& p) { return p.Entry == k; });
            if (perf == view.Perf.end())
                continue;
            QString label = QString::fromStdString(perf->ParamLabel);
            if (label.endsWith(':'))
                label.chop(1);
            column.push_back({line});
            column.push_back({kEntryIndent + "is controlling: " + label + " (effect off)"});
            column.push_back({kEntryIndent + "low range value = " + QString::number(perf->Low)});
            column.push_back({kEntryIndent + "high range value = " + QString::number(perf->High)});
            column.push_back(
                {kEntryIndent + "controller = #" + ControllerLine(page, perf->Controller)});
            continue;
        }
        // Picked as the user would: a stored range the page cannot show is
        // reported, and the last entry stays picked.
        page.ShowEntryLine(row);
        const TPerfMIDI& entry = entries[static_cast<std::size_t>(page.CurrentEntry)];
        const TPerfTargets::TPlace place = targets.Locate(entry.ParamNumber);
        const TPerfTarget* target = place.Target();
        if (!target)
            continue;
        // An entry never shown before takes its parameter's full range.
        const int low = entry.Enabled ? entry.LowValue : target->Min;
        const int high = entry.Enabled ? entry.HighValue : target->Max;
        column.push_back({page.lbxPMIdefctl->item(row)->text()});
        column.push_back({kEntryIndent + "is controlling: " + Latin1String(place.Effect->Caption) +
                          ": " + Latin1String(target->Line)});
        column.push_back(
            {kEntryIndent + "low range value = " + QString::fromStdString(target->RangeText(low))});
        column.push_back({kEntryIndent +
                          "high range value = " + QString::fromStdString(target->RangeText(high))});
        column.push_back(
            {kEntryIndent + "controller = #" + ControllerLine(page, entry.Controller)});
    }
    editor.Preset().PerfMIDI = entries;
    return column;
}

} // namespace

void PrintPageParams(const QTabWidget* pages, TListingColumn& column) {
    for (int i = 0; i < pages->count(); ++i) {
        if (!pages->isTabVisible(i))
            continue;
        const QWidget* page = pages->widget(i);
        column.push_back({"   " + page->objectName().mid(2)});
        for (const QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isHidden())
                continue;
            if (QString line = ControlLine(page, w); !line.isEmpty())
                column.push_back({std::move(line)});
        }
    }
}

void ListingLine(int x, const QString& text) {
    if (PageBottomReached())
        NewPrintPage();
    if (!text.isEmpty())
        PrintAt(x, text);
    NextLine();
}

int WidestText(const TListingColumn& column, const QFont& font) {
    IPrinterCanvas& printer = Printer();
    const QFont before = printer.Font();
    int widest = 0;
    for (const TListingText& line : column) {
        printer.SetFont(WithFontStyles(font, line.Style));
        widest = std::max(widest, printer.TextWidth(line.Text));
    }
    printer.SetFont(before);
    return widest;
}

std::array<int, 3> ColumnPositions(const TListingColumns& columns, const QFont& font,
                                   int charWidth) {
    std::array<int, 3> x{LeftMargin, 0, 0};
    for (std::size_t c = 1; c < x.size(); ++c)
        x[c] = std::max(ListingColumnChars[c] * charWidth, x[c - 1] +
                                                               WidestText(columns[c - 1], font) +
                                                               ListingColumnGapChars * charWidth);
    return x;
}

QFont ListingFont(QFont font, const TListingColumns& columns, const TListingColumn& head) {
    IPrinterCanvas& printer = Printer();
    return FontThatFits(font, printer.PageWidth() - LeftMargin, [&](const QFont& current) {
        const int charWidth = printer.TextWidth("A");
        const int third = ColumnPositions(columns, current, charWidth)[2];
        return std::max(LeftMargin + WidestText(head, current),
                        third + WidestText(columns[2], current));
    });
}

QString FitFromLeft(const QString& prefix, const QString& text, int width) {
    IPrinterCanvas& printer = Printer();
    if (printer.TextWidth(prefix + text) <= width)
        return text;
    // The file's own name matters most: the folders give way from the left.
    QString tail = text;
    while (!tail.isEmpty() && printer.TextWidth(prefix + "..." + tail) > width)
        tail.remove(0, 1);
    return "..." + tail;
}

// ---- The editor's "&Print" ----

void TfrmPresetEditor::btnPrintClick() {
    RunShowingErrors([this] { ShowPrintout(PrintParameterListing()); }, this);
}

QString TfrmPresetEditor::PrintParameterListing() {
    TBusyCursor busy;
    // The entries are shown one by one below; the page that lists them would
    // take each showing as the user's pick.
    if (pgcPreset->currentWidget() == tsPerfMIDI)
        pgcPreset->setCurrentWidget(tsAnalog);

    // Everything is gathered before the job starts: the widest lines decide
    // the font and where the columns go, and a message the window shows while
    // an entry is picked never interrupts a printout.
    const QString heading = QApplication::applicationName() + " Preset parameter listing";
    const QString title = "Title: " + Latin1String(preset_->Title);
    TListingColumns columns;
    columns[0].push_back({"Analog effects", fsBold});
    PrintPageParams(pgcAnalogParams, columns[0]);
    columns[1].push_back({"Digital effects", fsBold});
    PrintPageParams(pgcDigitalParams, columns[1]);
    columns[2] = MixAndPerformanceLines(*this);

    const TListingColumn head{{heading, fsBold | fsUnderline}, {title, fsBold | fsUnderline}};
    BeginPrintJob(ListingFont(font(), columns, head), windowTitle());
    TPrintJobGuard endsTheJob;
    IPrinterCanvas& printer = Printer();
    {
        TSavedFontStyle saved;
        printer.SetFontStyle(fsBold | fsUnderline);
        ListingLine(LeftMargin, heading);
        ListingLine(LeftMargin, {});
        if (!fileName_.isEmpty()) {
            printer.SetFontStyle(fsNormal);
            const QString prefix = "Filename: ";
            ListingLine(LeftMargin, prefix + FitFromLeft(prefix, fileName_,
                                                         printer.PageWidth() - 2 * LeftMargin));
            ListingLine(LeftMargin, {});
        }
        printer.SetFontStyle(fsBold | fsUnderline);
        ListingLine(LeftMargin, title);
        ListingLine(LeftMargin, {});
        const int columnTop = LinePos;

        const auto x = ColumnPositions(columns, printer.Font(), CharWidth);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            LinePos = columnTop;
            for (const TListingText& line : columns[c]) {
                printer.SetFontStyle(line.Style);
                ListingLine(x[c], line.Text);
            }
        }
    }
    return EndPrintJob();
}

void TfrmPresetEditor::ShowPrintout(const QString& where) {
    if (where.isEmpty())
        return;
    SetStatus(where);
    if (operations_.ShowStatus)
        operations_.ShowStatus(where);
}
