// The program table report: the grid as it is shown, or one line per program
// change with the preset file found for it.
#include "controls/app_error_handler.h"
#include "controls/busy_cursor.h"
#include "controls/seams/dialog_service.h"
#include "editor/print_helpers.h"
#include "mpt/frm_mpt_edit.h"
#include "mpt/frm_mpt_rpt_opt.h"
#include "mpt/mpt_grid.h"
#include "mpt/mpt_hints.h"
#include "settings/lv_reg_util.h"

#include <QLabel>

#include <algorithm>
#include <vector>

namespace {

const QString kStyleSetting = QStringLiteral("MPT_REPT_STYLE");
const QString kPresetHead = QStringLiteral("Preset#   ");
const QString kFileHead = QStringLiteral("File name       ");

// Columns of the list, in characters from the left margin.
constexpr int kListPresetChars = ColumnChars + SeparatorChars;
constexpr int kListFileChars = 2 * ColumnChars + 2 * SeparatorChars;
// A cell of the grid style: separator and three digits.
constexpr int kGridCellChars = SeparatorChars + PresetNumberChars;

int CharX(int chars) {
    return LeftMargin + chars * CharWidth;
}

struct TListLine {
    int Number = 0;
    QString Preset;
    QString File;
};

} // namespace

void TfrmMPTEdit::btnPrintClick() {
    grdMPT->CommitEdit();
    TfrmMPTRptOpt dialog(this);
    int stored = 0;
    if (settings_ &&
        !RunShowingErrors([&] { stored = settings_->ReadInteger(kStyleSetting, true, 0); }, this))
        return;
    dialog.SetReportStyle(stored);
    if (Dialogs().ExecModal(dialog) != QDialog::Accepted)
        return;
    const int style = dialog.ReportStyle();
    // A style that cannot be stored is reported; the table is printed all the same.
    if (settings_)
        RunShowingErrors([&] { settings_->WriteInteger(kStyleSetting, style); }, this);
    RunShowingErrors([&] { ShowStatus(PrintTable(style == TfrmMPTRptOpt::kListWithFileNames)); },
                     this);
}

QString TfrmMPTEdit::PrintTable(bool listStyle) {
    grdMPT->CommitEdit();
    TBusyCursor busy;

    // The list's lines are looked up first: its widest line decides the font.
    std::vector<TListLine> list;
    int widest = TMptLayout::kColumns * kGridCellChars + ColumnChars;
    if (listStyle) {
        const THintFiles files(HintFolder);
        const int offset = grdMPT->RowOffsetsShown() ? 1 : 0;
        int fileChars = static_cast<int>(kFileHead.size());
        for (int entry = 0; entry < layout_.EntryCount(); ++entry) {
            const QString preset =
                grdMPT->Cells(TMptLayout::ColOf(entry), TMptLayout::RowOf(entry));
            list.push_back({entry + 1 - offset, preset, files.Find(preset)});
            fileChars = std::max(fileChars, static_cast<int>(list.back().File.size()));
        }
        widest = kListFileChars + fileChars;
    }

    BeginPrintJob(ReportFont(widest), windowTitle());
    TPrintJobGuard endsTheJob;
    PrintPageStart(listStyle);
    const auto pageCheck = [&] {
        if (!PageBottomReached())
            return;
        NewPrintPage();
        PrintPageStart(listStyle);
    };
    if (listStyle) {
        for (const TListLine& line : list) {
            pageCheck();
            PrintAt(LeftMargin, QString::number(line.Number));
            PrintAt(CharX(ColumnChars), ColumnSeparator);
            PrintAt(CharX(kListPresetChars), line.Preset);
            PrintAt(CharX(kListPresetChars + ColumnChars), ColumnSeparator);
            if (!line.File.isEmpty())
                PrintAt(CharX(kListFileChars), line.File);
            NextLine();
        }
    } else {
        // Underlined rows rule the table.
        Printer().SetFontStyle(fsUnderline);
        for (int row = 1; row <= layout_.DataRows(); ++row) {
            pageCheck();
            PrintAt(LeftMargin, grdMPT->Cells(0, row));
            int chars = ColumnChars;
            for (int col = 1; col <= TMptLayout::kColumns; ++col) {
                if (!layout_.HoldsEntry(col, row))
                    continue;
                PrintAt(CharX(chars), ColumnSeparator);
                PrintAt(CharX(chars + SeparatorChars), grdMPT->Cells(col, row));
                chars += kGridCellChars;
            }
            NextLine();
        }
    }
    return EndPrintJob();
}

void TfrmMPTEdit::PrintPageStart(bool listStyle) {
    // Every page's header looks like the first one's, whatever style the
    // rows before the break were printed in.
    TSavedFontStyle saved;
    Printer().SetFontStyle(fsNormal);
    PrintPageHeader(PageHeaderText());
    PrintHeading(kReportHeading);
    PrintColumnHeads(listStyle);
}

QString TfrmMPTEdit::PageHeaderText() const {
    const QString blanks(10, ' ');
    IPrinterCanvas& printer = Printer();
    const int room = printer.PageWidth() - LeftMargin - printer.TextWidth(ShortDate());
    if (printer.TextWidth(blanks + FileName) <= room)
        return blanks + FileName;
    // The file's own name matters most: a long folder gives way from the left.
    QString tail = FileName;
    while (!tail.isEmpty() && printer.TextWidth(blanks + "..." + tail) > room)
        tail.remove(0, 1);
    return blanks + "..." + tail;
}

void TfrmMPTEdit::PrintColumnHeads(bool listStyle) {
    TSavedFontStyle saved;
    Printer().SetFontStyle(fsBold | fsUnderline);
    PrintAt(LeftMargin, grdMPT->Cells(0, 0));
    if (listStyle) {
        PrintAt(CharX(ColumnChars), ColumnSeparator);
        PrintAt(CharX(kListPresetChars), kPresetHead);
        PrintAt(CharX(kListPresetChars + ColumnChars), ColumnSeparator);
        PrintAt(CharX(kListFileChars), kFileHead);
    } else {
        int chars = ColumnChars;
        for (int col = 1; col <= TMptLayout::kColumns; ++col) {
            PrintAt(CharX(chars), ColumnSeparator);
            PrintAt(CharX(chars + SeparatorChars), grdMPT->Cells(col, 0));
            chars += kGridCellChars;
        }
    }
    NextLine();
}

QFont TfrmMPTEdit::ReportFont(int chars) const {
    // A fixed-pitch font widens with its size.
    IPrinterCanvas& printer = Printer();
    return FontThatFits(grdMPT->font(), printer.PageWidth() - 2 * LeftMargin,
                        [&](const QFont&) { return chars * printer.TextWidth("A"); });
}

void TfrmMPTEdit::ShowStatus(const QString& text) {
    if (text.isEmpty())
        return;
    // A long path keeps its both ends in view; the hint holds all of it.
    lblLocation->setText(
        lblLocation->fontMetrics().elidedText(text, Qt::ElideMiddle, lblLocation->width()));
    lblLocation->setToolTip(text);
    if (StatusHandler)
        StatusHandler(text);
}
