#include "app/window/frm_compare.h"

#include "controls/app_error_handler.h"
#include "controls/busy_cursor.h"
#include "controls/model_path.h"
#include "controls/screen_placement.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/printer_canvas.h"
#include "editor/print_helpers.h"
#include "model/errors.h"
#include "model/file_path.h"
#include "model/preset_diff.h"
#include "model/stream.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

enum TColumn { colLocation, colUnitTitle, colFolderTitle, colState, colCount };

constexpr int kRowRole = Qt::UserRole;

// Print columns, in characters from the left margin.
constexpr int kUnitTitleChars = 8 + SeparatorChars;
constexpr int kFolderTitleChars = kUnitTitleChars + 16 + SeparatorChars;
constexpr int kStateChars = kFolderTitleChars + 16 + SeparatorChars;
constexpr int kLineChars = kStateChars + 18;
// A difference: its label under the unit's title, the two values after it.
constexpr int kValueChars = kUnitTitleChars + 30;
constexpr int kDiffChars = kValueChars + 36;

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What a side shows as its title.
QString SideTitle(const TCompareSide& side, bool unit) {
    if (!side.Problem.empty())
        return ShownPath(side.Name) + " (" + Utf8(side.Problem) + ")";
    if (!side.Present)
        return unit && !side.Dump.empty() ? QString("(untitled)") : QString();
    return Latin1(side.Title).isEmpty() ? QString("(untitled)") : Latin1(side.Title);
}

QString CsvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

int CharX(int chars) {
    return LeftMargin + chars * CharWidth;
}

} // namespace

QString StateText(TCompareState state) {
    return QString::fromStdString(
        CompareStateText(state, "only on the unit", "only in the folder"));
}

TfrmCompare::TfrmCompare(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmCompare");
    setWindowTitle("Compare with folder");
    BuildWindow();
    UpdateActions();
}

QToolButton* TfrmCompare::AddButton(QWidget* bar, const char* name, const QString& caption,
                                    const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->layout()->addWidget(button);
    return button;
}

void TfrmCompare::BuildWindow() {
    auto* main = new QVBoxLayout(this);

    auto* bar = new QWidget(this);
    bar->setObjectName("tlbCompare");
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    btnSaveToFolder = AddButton(bar, "btnSaveToFolder", "&Save to folder",
                                "Save the unit's version of the selected presets into the folder");
    btnStoreInUnit = AddButton(bar, "btnStoreInUnit", "S&tore in unit...",
                               "Store the folder's version of the selected presets in the unit");
    btnOpenUnit = AddButton(bar, "btnOpenUnit", "Edit &unit's",
                            "Open the unit's version in the preset editor");
    btnOpenFolder = AddButton(bar, "btnOpenFolder", "Edit &folder's",
                              "Open the folder's version in the preset editor");
    barLayout->addSpacing(12);
    btnSaveCsv = AddButton(bar, "btnSaveCsv", "Save as &CSV...",
                           "Save the comparison as a file for a spreadsheet");
    btnPrint = AddButton(bar, "btnPrint", "&Print", "Print the comparison");
    btnPrtSetup = AddButton(bar, "btnPrtSetup", "Set&up", "Printer selection/configuration");
    barLayout->addStretch();
    btnClose = AddButton(bar, "btnClose", "&Close", "Close this window");
    main->addWidget(bar);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName("lblSummary");
    lblSummary->setWordWrap(true);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    main->addWidget(lblSummary);

    chkOnlyDifferences = new QCheckBox("Show &only the locations that are not the same", this);
    chkOnlyDifferences->setObjectName("chkOnlyDifferences");
    main->addWidget(chkOnlyDifferences);

    tvwCompare = new QTreeWidget(this);
    tvwCompare->setObjectName("tvwCompare");
    tvwCompare->setColumnCount(colCount);
    tvwCompare->setHeaderLabels({"Location", "Title on the unit", "Title in the folder", "State"});
    tvwCompare->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvwCompare->setAlternatingRowColors(true);
    tvwCompare->setUniformRowHeights(true);
    tvwCompare->setContextMenuPolicy(Qt::CustomContextMenu);
    tvwCompare->setToolTip("A row that differs opens its parameter differences");
    connect(tvwCompare, &QTreeWidget::itemExpanded, this, [this] { FitColumns(); });
    main->addWidget(tvwCompare, 1);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName("lblStatus");
    QFont italic = lblStatus->font();
    italic.setItalic(true);
    lblStatus->setFont(italic);
    main->addWidget(lblStatus);

    popCompare = new QMenu(this);
    popCompare->setObjectName("popCompare");
    const auto mirror = [this](QToolButton* button, const char* name) {
        QAction* item = popCompare->addAction(button->text());
        item->setObjectName(name);
        connect(item, &QAction::triggered, button, &QToolButton::click);
        return item;
    };
    const std::vector<std::pair<QToolButton*, const char*>> mirrored{
        {btnSaveToFolder, "pmiSaveToFolder"},
        {btnStoreInUnit, "pmiStoreInUnit"},
        {btnOpenUnit, "pmiOpenUnit"},
        {btnOpenFolder, "pmiOpenFolder"}};
    for (const auto& [button, name] : mirrored)
        mirror(button, name);
    connect(popCompare, &QMenu::aboutToShow, this, [this, mirrored] {
        const auto items = popCompare->actions();
        for (std::size_t i = 0; i < mirrored.size(); ++i)
            items[static_cast<qsizetype>(i)]->setEnabled(mirrored[i].first->isEnabled());
    });
    connect(tvwCompare, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popCompare->popup(tvwCompare->viewport()->mapToGlobal(at));
    });

    connect(btnSaveToFolder, &QToolButton::clicked, this,
            [this] { RunShowingErrors([this] { SaveUnitVersions(); }, this); });
    connect(btnStoreInUnit, &QToolButton::clicked, this,
            [this] { RunShowingErrors([this] { StoreFolderVersions(); }, this); });
    connect(btnOpenUnit, &QToolButton::clicked, this,
            [this] { RunShowingErrors([this] { OpenUnitVersion(); }, this); });
    connect(btnOpenFolder, &QToolButton::clicked, this,
            [this] { RunShowingErrors([this] { OpenFolderVersion(); }, this); });
    connect(btnSaveCsv, &QToolButton::clicked, this,
            [this] { RunShowingErrors([this] { SaveCsv(); }, this); });
    connect(btnPrint, &QToolButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnPrtSetup, &QToolButton::clicked, this, [this] { PrinterSetup(this); });
    connect(btnClose, &QToolButton::clicked, this, &QWidget::close);
    connect(chkOnlyDifferences, &QCheckBox::toggled, this, [this] { ApplyFilter(); });
    connect(tvwCompare, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateActions(); });
    connect(tvwCompare, &QTreeWidget::currentItemChanged, this, [this] { UpdateActions(); });
}

void TfrmCompare::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_) {
        placed_ = true;
        CenterInFreeArea(*this, QSize(kDefaultWidth, kDefaultHeight));
    }
}

// ---- Showing ----

void TfrmCompare::SetComparison(const QString& folder, const QString& untitledName,
                                std::vector<TCompareRow> rows) {
    folder_ = folder;
    untitledName_ = untitledName;
    rows_ = std::move(rows);
    setWindowTitle("Compare with folder - " + QDir::toNativeSeparators(folder_));
    SetStatus({});
    FillTree();
}

void TfrmCompare::FitColumns() {
    // Only rows in view count for a column's width: an opened row's details
    // widen the columns they need, so no detail is cut while room is left.
    for (int c = 0; c < colCount; ++c) {
        const int before = tvwCompare->columnWidth(c);
        tvwCompare->resizeColumnToContents(c);
        if (c == colLocation)
            tvwCompare->setColumnWidth(c, tvwCompare->columnWidth(c) + 24);
        tvwCompare->setColumnWidth(c, std::max(before, tvwCompare->columnWidth(c)));
    }
}

void TfrmCompare::FillTree() {
    TBusyCursor busy;
    tvwCompare->setUpdatesEnabled(false);
    tvwCompare->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        auto* item = new QTreeWidgetItem;
        item->setData(colLocation, kRowRole, static_cast<int>(i));
        ShowRow(item, rows_[i]);
        items.append(item);
    }
    tvwCompare->addTopLevelItems(items);
    FitColumns();
    ApplyFilter();
    // The first row that is not the same is where the user looks first.
    for (QTreeWidgetItem* item : items)
        if (!item->isHidden() &&
            rows_[static_cast<std::size_t>(RowOfItem(item))].State != TCompareState::Same) {
            tvwCompare->setCurrentItem(item);
            tvwCompare->scrollToItem(item);
            break;
        }
    tvwCompare->setUpdatesEnabled(true);
    ShowSummary();
    UpdateActions();
}

void TfrmCompare::ShowRow(QTreeWidgetItem* item, const TCompareRow& row) {
    item->setText(colLocation, LocationText(row.Bank, row.Number));
    item->setText(colUnitTitle, SideTitle(row.A, true));
    item->setText(colFolderTitle, SideTitle(row.B, false));
    item->setToolTip(colFolderTitle, ShownPath(row.B.Path));
    item->setText(colState, StateText(row.State));
    QFont font = tvwCompare->font();
    font.setBold(row.State != TCompareState::Same);
    item->setFont(colState, font);
    item->setFont(colLocation, font);
    qDeleteAll(item->takeChildren());
    if (row.State != TCompareState::Differs)
        return;
    for (const TDiffItem& diff : RowDifferences(row)) {
        auto* child = new QTreeWidgetItem(item);
        child->setText(colLocation, Utf8(diff.Label));
        child->setText(colUnitTitle, Utf8(diff.A));
        child->setText(colFolderTitle, Utf8(diff.B));
        child->setToolTip(colLocation, Utf8(diff.Label));
        child->setFlags(child->flags() & ~Qt::ItemIsSelectable);
    }
}

void TfrmCompare::ShowSummary() {
    const TCompareCounts counts = CountStates(rows_);
    QStringList parts;
    const auto add = [&](TCompareState state, const QString& text) {
        const int n = counts.ByState[static_cast<std::size_t>(state)];
        if (n > 0)
            parts << QString("%1 %2").arg(n).arg(text);
    };
    add(TCompareState::Differs, counts.ByState[1] == 1 ? "differs" : "differ");
    add(TCompareState::OnlyInA, "only on the unit");
    add(TCompareState::OnlyInB, "only in the folder");
    add(TCompareState::Same, "the same");
    QString text = QString("%1 locations compared with %2")
                       .arg(counts.Total())
                       .arg(QDir::toNativeSeparators(folder_));
    if (!parts.isEmpty())
        text += ": " + parts.join(", ");
    lblSummary->setText(text);
}

void TfrmCompare::ApplyFilter() {
    const bool onlyDifferences = chkOnlyDifferences->isChecked();
    for (int i = 0; i < tvwCompare->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tvwCompare->topLevelItem(i);
        const int row = RowOfItem(item);
        item->setHidden(onlyDifferences && row >= 0 &&
                        rows_[static_cast<std::size_t>(row)].State == TCompareState::Same);
    }
    UpdateActions();
}

QTreeWidgetItem* TfrmCompare::ItemOfRow(int row) const {
    return row >= 0 && row < tvwCompare->topLevelItemCount() ? tvwCompare->topLevelItem(row)
                                                             : nullptr;
}

int TfrmCompare::RowOfItem(const QTreeWidgetItem* item) const {
    if (!item)
        return -1;
    while (item->parent())
        item = item->parent();
    bool ok = false;
    const int row = item->data(colLocation, kRowRole).toInt(&ok);
    return ok ? row : -1;
}

std::vector<int> TfrmCompare::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < tvwCompare->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tvwCompare->topLevelItem(i);
        if (!item->isHidden() && item->isSelected())
            rows.push_back(RowOfItem(item));
    }
    return rows;
}

int TfrmCompare::CurrentRow() const {
    return RowOfItem(tvwCompare->currentItem());
}

bool TfrmCompare::CanSave(const TCompareRow& row) const {
    return row.State != TCompareState::Same && !row.A.Dump.empty() &&
           (row.A.Present || !untitledName_.isEmpty());
}

bool TfrmCompare::CanStore(const TCompareRow& row) {
    return row.State != TCompareState::Same && row.B.Present && row.B.Problem.empty();
}

void TfrmCompare::UpdateActions() {
    bool save = false;
    bool store = false;
    for (int row : SelectedRows()) {
        save = save || CanSave(rows_[static_cast<std::size_t>(row)]);
        store = store || CanStore(rows_[static_cast<std::size_t>(row)]);
    }
    btnSaveToFolder->setEnabled(save);
    btnStoreInUnit->setEnabled(store);
    const int current = CurrentRow();
    const TCompareRow* row = current >= 0 ? &rows_[static_cast<std::size_t>(current)] : nullptr;
    btnOpenUnit->setEnabled(row && !row->A.Dump.empty());
    btnOpenFolder->setEnabled(row && row->B.Present && row->B.Problem.empty());
    const bool any = !rows_.empty();
    btnSaveCsv->setEnabled(any);
    btnPrint->setEnabled(any);
}

void TfrmCompare::SetStatus(const QString& text) {
    lblStatus->setText(
        lblStatus->fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(200, width() - 20)));
    lblStatus->setToolTip(text);
}

QString TfrmCompare::StatusText() const {
    return lblStatus->toolTip();
}

QString TfrmCompare::LocationsText(const std::vector<int>& rows) const {
    QStringList names;
    for (std::size_t i = 0; i < rows.size() && i < static_cast<std::size_t>(kNamedLocations); ++i) {
        const TCompareRow& row = rows_[static_cast<std::size_t>(rows[i])];
        names << LocationText(row.Bank, row.Number);
    }
    if (rows.size() > static_cast<std::size_t>(kNamedLocations))
        return names.join(", ") +
               QString(" and %1 more").arg(rows.size() - static_cast<std::size_t>(kNamedLocations));
    if (names.size() == 1)
        return names.front();
    const QString last = names.takeLast();
    return names.join(", ") + " and " + last;
}

// ---- Actions ----

void TfrmCompare::SaveUnitVersions() {
    std::vector<int> rows;
    for (int row : SelectedRows())
        if (CanSave(rows_[static_cast<std::size_t>(row)]))
            rows.push_back(row);
    if (rows.empty())
        return;
    TBusyCursor busy;
    std::vector<int> saved;
    // Each row shows what it is as soon as it is written, also when a later one fails.
    const auto show = [&] {
        for (int r : saved)
            ShowRow(ItemOfRow(r), rows_[static_cast<std::size_t>(r)]);
        ShowSummary();
        ApplyFilter();
        if (!saved.empty())
            SetStatus("Saved the unit's version of " + LocationsText(saved) + " into the folder");
    };
    try {
        for (int r : rows) {
            TCompareRow& row = rows_[static_cast<std::size_t>(r)];
            namespace fs = std::filesystem;
            const fs::path bankFolder =
                PathFromUtf8(BackupFolder::BankPath(ModelPath(folder_), row.Bank));
            std::error_code ec;
            fs::create_directories(bankFolder, ec);
            TFolderPreset file;
            file.Name =
                BackupFolder::PresetFileName(row.A.Title, row.Number, untitledName_.toStdString());
            file.Path = Utf8FromPath(bankFolder / PathFromUtf8(file.Name));
            file.Dump = row.A.Dump;
            WriteFileAtomically(file.Path, file.Dump.data(), file.Dump.size());
            // The file of another name that held this location is replaced by the new one.
            if (row.B.Present && !row.B.Path.empty() &&
                PathFromUtf8(row.B.Path) != PathFromUtf8(file.Path))
                fs::remove(PathFromUtf8(row.B.Path), ec);
            row.B = FolderSide(file);
            row.State = CompareSides(row.A, row.B);
            saved.push_back(r);
        }
    } catch (...) {
        show();
        throw;
    }
    show();
}

void TfrmCompare::StoreFolderVersions() {
    std::vector<int> rows;
    for (int row : SelectedRows())
        if (CanStore(rows_[static_cast<std::size_t>(row)]))
            rows.push_back(row);
    if (rows.empty() || !handlers_.StoreInUnit)
        return;
    const QString question = "Store the folder's version of " + LocationsText(rows) +
                             " in the unit?\n\nWhat the unit holds there now is replaced.";
    if (Dialogs().MessageBox(this, question, "Confirm", mbYes | mbNo,
                             TMsgDlgType::mtConfirmation) != mrYes)
        return;
    std::vector<TRestoreItem> items;
    for (int r : rows) {
        const TCompareRow& row = rows_[static_cast<std::size_t>(r)];
        items.push_back({row.Bank, row.Number, row.B.Dump});
    }
    const std::vector<TRestoreResult> results = handlers_.StoreInUnit(items);
    if (results.empty())
        return;

    using TOutcome = TStoreReport::TOutcome;
    QStringList problems;
    std::vector<int> verified;
    std::vector<int> unchecked;
    for (std::size_t i = 0; i < results.size() && i < rows.size(); ++i) {
        const TRestoreResult& result = results[i];
        TCompareRow& row = rows_[static_cast<std::size_t>(rows[i])];
        const std::string untitled = untitledName_.toStdString();
        if (result.ReadBack)
            row.A = UnitSide(*result.ReadBack, untitled);
        else if (result.Report.Outcome == TOutcome::NotChecked)
            row.A = UnitSide(items[i].Dump, untitled);
        row.State = CompareSides(row.A, row.B);
        ShowRow(ItemOfRow(rows[i]), row);
        switch (result.Report.Outcome) {
        case TOutcome::Verified:
            verified.push_back(rows[i]);
            break;
        case TOutcome::NotChecked:
            unchecked.push_back(rows[i]);
            break;
        default:
            problems << result.Report.Text;
            break;
        }
    }
    ShowSummary();
    ApplyFilter();
    QStringList status;
    if (!verified.empty())
        status << "Stored and verified: " + LocationsText(verified);
    if (!unchecked.empty())
        status << "Stored, not verified: " + LocationsText(unchecked);
    if (!problems.isEmpty())
        status << QString("%1 not verified").arg(problems.size());
    SetStatus(status.join("; "));
    if (handlers_.ShowStatus)
        handlers_.ShowStatus(StatusText());
    if (!problems.isEmpty())
        Dialogs().MessageBox(this, problems.join("\n\n"), "Store not verified", mbOK,
                             TMsgDlgType::mtWarning);
}

void TfrmCompare::OpenUnitVersion() {
    const int current = CurrentRow();
    if (current < 0 || !handlers_.OpenInEditor)
        return;
    const TCompareRow& row = rows_[static_cast<std::size_t>(current)];
    if (!row.A.Dump.empty())
        handlers_.OpenInEditor(row.A.Dump, QString());
}

void TfrmCompare::OpenFolderVersion() {
    const int current = CurrentRow();
    if (current < 0 || !handlers_.OpenInEditor)
        return;
    const TCompareRow& row = rows_[static_cast<std::size_t>(current)];
    if (row.B.Present && row.B.Problem.empty())
        handlers_.OpenInEditor(row.B.Dump, ShownPath(row.B.Path));
}

// ---- CSV ----

QString TfrmCompare::CsvText() const {
    QString text = "Location,Title on the unit,Title in the folder,State,Parameter,"
                   "Unit's value,Folder's value\r\n";
    for (int i = 0; i < tvwCompare->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tvwCompare->topLevelItem(i);
        if (item->isHidden())
            continue;
        const QString head =
            CsvField(item->text(colLocation)) + "," + CsvField(item->text(colUnitTitle)) + "," +
            CsvField(item->text(colFolderTitle)) + "," + CsvField(item->text(colState));
        text += head + ",,,\r\n";
        for (int c = 0; c < item->childCount(); ++c) {
            const QTreeWidgetItem* diff = item->child(c);
            text += head + "," + CsvField(diff->text(colLocation)) + "," +
                    CsvField(diff->text(colUnitTitle)) + "," +
                    CsvField(diff->text(colFolderTitle)) + "\r\n";
        }
    }
    return text;
}

void TfrmCompare::SaveCsv() {
    const QString suggested = QDir(folder_).filePath("Comparison.csv");
    const QString path =
        Dialogs().SaveFileName(this, "Save comparison as", suggested, "CSV files (*.csv)|*.csv");
    if (path.isEmpty())
        return;
    // With the byte order mark spreadsheets read the titles' accents right.
    const QByteArray bytes = "\xEF\xBB\xBF" + CsvText().toUtf8();
    WriteFileAtomically(ModelPath(path), reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size()));
    SetStatus("Saved the comparison as " + QDir::toNativeSeparators(path));
}

// ---- Printing ----

void TfrmCompare::btnPrintClick() {
    RunShowingErrors(
        [this] {
            const QString where = PrintComparison();
            if (where.isEmpty())
                return;
            SetStatus(where);
            if (handlers_.ShowStatus)
                handlers_.ShowStatus(where);
        },
        this);
}

void TfrmCompare::PrintPageStart() {
    TSavedFontStyle saved;
    Printer().SetFontStyle(fsNormal);
    PrintPageHeader(QString(10, ' ') + QDir::toNativeSeparators(folder_));
    PrintHeading("Comparison of the unit with " + QDir::toNativeSeparators(folder_));
    Printer().SetFontStyle(fsBold | fsUnderline);
    PrintAt(LeftMargin, "Location");
    PrintAt(CharX(kUnitTitleChars - SeparatorChars), ColumnSeparator);
    PrintAt(CharX(kUnitTitleChars), "Title on the unit");
    PrintAt(CharX(kFolderTitleChars - SeparatorChars), ColumnSeparator);
    PrintAt(CharX(kFolderTitleChars), "Title in the folder");
    PrintAt(CharX(kStateChars - SeparatorChars), ColumnSeparator);
    PrintAt(CharX(kStateChars), "State");
    NextLine();
}

QString TfrmCompare::PrintComparison() {
    TBusyCursor busy;
    // The widest line decides the font, as in the other reports.
    QFont font = this->font();
    IPrinterCanvas& printer = Printer();
    const QFont before = printer.Font();
    const int room = printer.PageWidth() - 2 * LeftMargin;
    const int chars = std::max(kLineChars, kDiffChars);
    const auto width = [&] {
        printer.SetFont(font);
        return chars * printer.TextWidth("A");
    };
    if (const int first = width(); first > room && first > 0)
        font.setPointSizeF(font.pointSizeF() * room / first);
    while (width() > room && font.pointSizeF() > 1)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    printer.SetFont(before);

    BeginPrintJob(font, windowTitle());
    TPrintJobGuard endsTheJob;
    PrintPageStart();
    const auto pageCheck = [this] {
        if (!PageBottomReached())
            return;
        NewPrintPage();
        PrintPageStart();
    };
    for (int i = 0; i < tvwCompare->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tvwCompare->topLevelItem(i);
        if (item->isHidden())
            continue;
        pageCheck();
        PrintAt(LeftMargin, item->text(colLocation));
        PrintAt(CharX(kUnitTitleChars - SeparatorChars), ColumnSeparator);
        PrintAt(CharX(kUnitTitleChars), item->text(colUnitTitle));
        PrintAt(CharX(kFolderTitleChars - SeparatorChars), ColumnSeparator);
        PrintAt(CharX(kFolderTitleChars), item->text(colFolderTitle));
        PrintAt(CharX(kStateChars - SeparatorChars), ColumnSeparator);
        PrintAt(CharX(kStateChars), item->text(colState));
        NextLine();
        for (int c = 0; c < item->childCount(); ++c) {
            const QTreeWidgetItem* diff = item->child(c);
            pageCheck();
            PrintAt(CharX(kUnitTitleChars), diff->text(colLocation));
            PrintAt(CharX(kValueChars), diff->text(colUnitTitle));
            PrintAt(CharX(kValueChars + 16), "|  " + diff->text(colFolderTitle));
            NextLine();
        }
    }
    return EndPrintJob();
}
