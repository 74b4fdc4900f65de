#include "library_window/frm_library.h"

#include "controls/seams/dialog_service.h"
#include "library/library_query.h"
#include "library/unit_recorder.h"
#include "library_window/frm_library_restore.h"
#include "library_window/library_table_model.h"
#include "model/stream.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int SearchDelayMs = 150;
constexpr int ReportLines = 20;

QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

QString When(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString("yyyy-MM-dd hh:mm:ss");
}

} // namespace

TfrmLibrary::TfrmLibrary(TPresetLibrary& library, TLibraryHost host, QWidget* parent)
    : QWidget(parent, Qt::Window), library_(library), host_(std::move(host)) {
    setObjectName("TfrmLibrary");
    setWindowTitle("Library");
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);

    edtSearch = new QLineEdit(this);
    edtSearch->setObjectName("edtSearch");
    edtSearch->setPlaceholderText("Search: title words, effect:Reverb, Reverb Decay > 5 s, "
                                  "Compressor Drive at least 50%, cc:11, duplicate");
    edtSearch->setToolTip(QString::fromStdString(LibraryQueryHelp()));
    edtSearch->setClearButtonEnabled(true);
    layout->addWidget(edtSearch);
    lblQueryError = new QLabel(this);
    lblQueryError->setObjectName("lblQueryError");
    lblQueryError->setStyleSheet("color: #b00000");
    lblQueryError->hide();
    layout->addWidget(lblQueryError);

    model_ = new TLibraryTableModel(library_, this);
    grdPresets = new QTableView(this);
    grdPresets->setObjectName("grdPresets");
    grdPresets->setModel(model_);
    grdPresets->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPresets->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdPresets->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPresets->setWordWrap(false);
    grdPresets->verticalHeader()->hide();
    // Fixed row heights and column widths: nothing is measured over all rows.
    grdPresets->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdPresets->verticalHeader()->setDefaultSectionSize(grdPresets->fontMetrics().height() + 6);
    grdPresets->horizontalHeader()->setStretchLastSection(true);
    const int ch = grdPresets->fontMetrics().horizontalAdvance('M');
    grdPresets->setColumnWidth(TLibraryTableModel::ColTitle, 14 * ch);
    grdPresets->setColumnWidth(TLibraryTableModel::ColGroup, 5 * ch);
    grdPresets->setColumnWidth(TLibraryTableModel::ColEffects, 26 * ch);
    grdPresets->setColumnWidth(TLibraryTableModel::ColLocations, 16 * ch);
    layout->addWidget(grdPresets, 1);

    auto* actions = new QHBoxLayout;
    btnOpen =
        Button(this, "btnOpen", "&Open in editor", "Open the selected preset in a preset editor");
    btnSend =
        Button(this, "btnSend", "S&end", "Send the selected preset to the unit's edit buffer");
    btnStore = Button(this, "btnStore", "S&tore...",
                      "Store the selected preset at a location of the unit");
    btnExport = Button(this, "btnExport", "E&xport .syx...",
                       "Write the selected presets into one .syx file");
    btnLocations = Button(this, "btnLocations", "&Locations...",
                          "Every file and unit location that held the selected preset");
    for (auto* b : {btnOpen, btnSend, btnStore, btnExport, btnLocations})
        actions->addWidget(b);
    actions->addStretch();
    btnAdd = Button(this, "btnAdd", "&Add folder...",
                    "Add the presets of a folder (or drop files and folders here)");
    btnHistory =
        Button(this, "btnHistory", "&History...", "What the unit held at a location over time");
    btnRestore =
        Button(this, "btnRestore", "&Restore bank...", "Store a bank back as it was on a date");
    for (auto* b : {btnAdd, btnHistory, btnRestore})
        actions->addWidget(b);
    layout->addLayout(actions);

    auto* status = new QHBoxLayout;
    lblCount = new QLabel(this);
    lblCount->setObjectName("lblCount");
    status->addWidget(lblCount, 1);
    prgAdd = new QProgressBar(this);
    prgAdd->setObjectName("prgAdd");
    prgAdd->hide();
    status->addWidget(prgAdd, 1);
    btnCancel = Button(this, "btnCancel", "Cancel", "Stop adding (what was added so far stays)");
    btnCancel->hide();
    status->addWidget(btnCancel);
    layout->addLayout(status);

    searchDelay_ = new QTimer(this);
    searchDelay_->setSingleShot(true);
    searchDelay_->setInterval(SearchDelayMs);
    connect(searchDelay_, &QTimer::timeout, this, &TfrmLibrary::RunSearch);
    connect(edtSearch, &QLineEdit::textChanged, searchDelay_, qOverload<>(&QTimer::start));
    connect(edtSearch, &QLineEdit::returnPressed, this, &TfrmLibrary::RunSearch);
    connect(grdPresets, &QTableView::doubleClicked, this, &TfrmLibrary::OpenSelected);
    connect(btnOpen, &QPushButton::clicked, this, &TfrmLibrary::OpenSelected);
    connect(btnSend, &QPushButton::clicked, this, &TfrmLibrary::SendSelected);
    connect(btnStore, &QPushButton::clicked, this, &TfrmLibrary::StoreSelected);
    connect(btnExport, &QPushButton::clicked, this, &TfrmLibrary::ExportSelected);
    connect(btnLocations, &QPushButton::clicked, this, &TfrmLibrary::ShowLocations);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmLibrary::ChooseFolderToAdd);
    connect(btnHistory, &QPushButton::clicked, this, &TfrmLibrary::ShowHistory);
    connect(btnRestore, &QPushButton::clicked, this, &TfrmLibrary::RestoreBank);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        cancel_ = true;
        btnCancel->setEnabled(false);
    });
    connect(grdPresets->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmLibrary::UpdateButtons);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        connect(grdPresets->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &TfrmLibrary::UpdateButtons, Qt::UniqueConnection);
        UpdateButtons();
    });
    resize(1000, 600);
    RunSearch();
}

TfrmLibrary::~TfrmLibrary() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void TfrmLibrary::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ShowNotices();
}

void TfrmLibrary::ShowNotices() {
    const std::string notice = UnitRecorder::TakeNotice();
    if (!notice.empty())
        ShowMessage(this, QString::fromStdString(notice), "Library");
}

void TfrmLibrary::RunSearch() {
    searchDelay_->stop();
    try {
        model_->SetIds(library_.Search(edtSearch->text().toStdString()));
        lblQueryError->hide();
    } catch (const ELibraryQueryError& e) {
        // The list keeps the last good result while the query is being typed.
        lblQueryError->setText(QString::fromStdString(e.what()));
        lblQueryError->show();
    }
    const auto shown = model_->Ids().size();
    const auto all = library_.PresetCount();
    lblCount->setText(edtSearch->text().trimmed().isEmpty()
                          ? QString("%1 presets in the library").arg(all)
                          : QString("%1 of %2 presets").arg(shown).arg(all));
    UpdateButtons();
}

std::vector<std::int64_t> TfrmLibrary::SelectedIds() const {
    std::vector<std::int64_t> ids;
    if (!grdPresets->selectionModel())
        return ids;
    auto rows = grdPresets->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const auto& r : rows)
        ids.push_back(model_->IdAt(r.row()));
    return ids;
}

void TfrmLibrary::UpdateButtons() {
    const auto n = SelectedIds().size();
    btnOpen->setEnabled(n >= 1);
    btnSend->setEnabled(n == 1 && host_.Send);
    btnStore->setEnabled(n == 1 && host_.Store);
    btnExport->setEnabled(n >= 1);
    btnLocations->setEnabled(n == 1);
    btnRestore->setEnabled(static_cast<bool>(host_.RestoreBank));
    btnAdd->setEnabled(!Adding());
}

void TfrmLibrary::OpenSelected() {
    if (!host_.OpenInEditor)
        return;
    for (const auto id : SelectedIds()) {
        const auto rows = library_.Rows(std::span(&id, 1));
        host_.OpenInEditor(library_.Dump(id),
                           rows.empty() ? QString() : QString::fromStdString(rows[0].Title));
    }
}

void TfrmLibrary::SendSelected() {
    const auto ids = SelectedIds();
    if (ids.size() == 1 && host_.Send)
        host_.Send(library_.Dump(ids[0]));
}

void TfrmLibrary::StoreSelected() {
    const auto ids = SelectedIds();
    if (ids.size() == 1 && host_.Store) {
        host_.Store(library_.Dump(ids[0]));
        RunSearch(); // its locations now name the unit's
    }
}

void TfrmLibrary::ExportSelected() {
    const auto ids = SelectedIds();
    if (ids.empty())
        return;
    const QString path =
        Dialogs().SaveFileName(this, "Export presets", "library.syx", "SysEx files (*.syx)");
    if (path.isEmpty())
        return;
    std::vector<std::uint8_t> bytes;
    for (const auto id : ids) {
        const auto dump = library_.Dump(id);
        bytes.insert(bytes.end(), dump.begin(), dump.end());
    }
    WriteFileAtomically(path.toStdString(), bytes.data(), bytes.size());
    lblCount->setText(QString("%1 preset(s) written to %2").arg(ids.size()).arg(path));
}

void TfrmLibrary::ShowLocations() {
    const auto ids = SelectedIds();
    if (ids.size() != 1)
        return;
    QStringList lines;
    for (const auto& l : library_.Locations(ids[0])) {
        const QString where =
            l.Number > 0 ? QString::fromStdString(UnitLocationText(l.Bank, l.Number)) : QString();
        if (l.FromUnit)
            lines << "Unit " + (where.isEmpty() ? QString("(location not known)") : where) + ", " +
                         When(l.Time) + " (" + QString::fromStdString(l.Source) + ")";
        else
            lines << QString::fromStdString(l.Path) +
                         (l.Offset > 0 ? QString(" at offset %1").arg(l.Offset) : QString()) +
                         (where.isEmpty() ? QString() : " (" + where + ")") +
                         (l.State == "ok" ? QString() : " - " + QString::fromStdString(l.State));
    }
    if (lines.isEmpty())
        lines << "No file holds this preset any more.";
    ShowMessage(this, lines.join("\n"), "Where this preset is");
}

void TfrmLibrary::ShowHistory() {
    QDialog prompt(this);
    prompt.setObjectName("TfrmLocationPrompt");
    prompt.setWindowTitle("History of a location");
    auto* form = new QFormLayout(&prompt);
    auto* edit = new QLineEdit(&prompt);
    edit->setObjectName("edtLocation");
    const bool pre = host_.PreExpress && host_.PreExpress();
    edit->setPlaceholderText(pre ? "001 .. 200" : "A-001 .. D-200");
    form->addRow("Location:", edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &prompt);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &prompt, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &prompt, &QDialog::reject);
    if (Dialogs().ExecModal(prompt) != QDialog::Accepted)
        return;
    int bank = -1, number = 0;
    if (!ParseUnitLocation(edit->text().trimmed().toStdString(), bank, number) ||
        (bank < 0 && !pre)) {
        ShowMessage(this, "\"" + edit->text() + "\" is not a location (A-001 .. D-200)",
                    "Invalid entry");
        return;
    }
    if (pre)
        bank = -1;
    const auto history = library_.History(bank, number);
    QStringList lines;
    for (const auto& h : history)
        lines << When(h.Time) + "  " + QString::fromStdString(h.Title) + "  (" +
                     QString::fromStdString(h.Source) + ")";
    if (lines.isEmpty())
        lines << "Nothing was recorded from the unit at this location.";
    ShowMessage(this, lines.join("\n"),
                "History of " + QString::fromStdString(UnitLocationText(bank, number)));
}

void TfrmLibrary::RestoreBank() {
    if (!host_.RestoreBank)
        return;
    TfrmLibraryRestore dialog(library_, host_.PreExpress && host_.PreExpress(), this);
    if (Dialogs().ExecModal(dialog) != QDialog::Accepted || dialog.Plan().empty())
        return;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> items;
    for (const auto& step : dialog.Plan())
        items.emplace_back(step.Number, step.Dump);
    const QStringList report = host_.RestoreBank(dialog.Bank(), items);
    ShowMessage(this, report.join("\n"), "Restore bank");
    RunSearch();
}

void TfrmLibrary::ChooseFolderToAdd() {
    const QString folder = Dialogs().FolderName(this, "Add the presets of a folder:", QString());
    if (!folder.isEmpty())
        AddPaths({folder});
}

void TfrmLibrary::AddPaths(const QStringList& paths) {
    if (Adding() || paths.isEmpty())
        return;
    std::vector<std::string> list;
    for (const auto& p : paths)
        list.push_back(p.toStdString());
    cancel_ = false;
    prgAdd->setRange(0, 0);
    prgAdd->show();
    btnCancel->setEnabled(true);
    btnCancel->show();
    btnAdd->setEnabled(false);
    // The add has its own connection: the window keeps searching while it runs.
    worker_ = std::thread([this, list, path = library_.Path()] {
        TAddReport report;
        QString failure;
        try {
            TPresetLibrary writer(path);
            report = writer.Add(
                list,
                [this](const TAddProgress& p) {
                    QMetaObject::invokeMethod(
                        this,
                        [this, p] {
                            prgAdd->setRange(0, std::max(1, p.Total));
                            prgAdd->setValue(p.Done);
                            prgAdd->setFormat(QString("%v of %m files"));
                        },
                        Qt::QueuedConnection);
                },
                &cancel_);
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        }
        QMetaObject::invokeMethod(
            this, [this, report, failure] { AddDone(report, failure); }, Qt::QueuedConnection);
    });
}

void TfrmLibrary::AddDone(const TAddReport& report, const QString& failure) {
    if (worker_.joinable())
        worker_.join();
    prgAdd->hide();
    btnCancel->hide();
    RunSearch();
    QStringList lines;
    if (!failure.isEmpty()) {
        lines << failure;
    } else {
        lines << QString("%1 file(s): %2 read, %3 unchanged; %4 preset(s), %5 new.")
                     .arg(report.Files)
                     .arg(report.Read)
                     .arg(report.Unchanged)
                     .arg(report.Presets)
                     .arg(report.NewPresets);
        if (report.Cancelled)
            lines << "Cancelled: what was added before stays in the library.";
        const auto list = [&](const QString& heading, const std::vector<std::string>& paths) {
            if (paths.empty())
                return;
            lines << heading;
            for (std::size_t i = 0; i < paths.size() && i < ReportLines; ++i)
                lines << "  " + QString::fromStdString(paths[i]);
            if (paths.size() > ReportLines)
                lines << QString("  ... and %1 more").arg(paths.size() - ReportLines);
        };
        std::vector<std::string> skipped;
        for (const auto& s : report.Skipped)
            skipped.push_back(s.Path + ": " + s.Reason);
        list("Skipped:", skipped);
        list("Changed since the last add:", report.Changed);
        list("Gone since the last add:", report.Vanished);
    }
    ShowMessage(this, lines.join("\n"), "Add to library");
    UpdateButtons();
    emit AddFinished();
}

void TfrmLibrary::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !Adding())
        event->acceptProposedAction();
}

void TfrmLibrary::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const auto& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        AddPaths(paths);
    }
}
