#include "mpt/frm_mpt_edit.h"

#include "controls/window_placement.h"

#include "controls/app_error_handler.h"
#include "controls/browse_folder.h"
#include "controls/busy_cursor.h"
#include "controls/model_path.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/install_paths.h"
#include "controls/seams/printer_canvas.h"
#include "model/device_globals.h"
#include "model/mpt.h"
#include "model/stream.h"
#include "mpt/mpt_grid.h"
#include "mpt/mpt_hints.h"
#include "settings/lv_reg_util.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

const QString kErrorCaption = QStringLiteral("Error found");
const QString kConfirmCaption = QStringLiteral("Confirm");
const QString kConfirmSend =
    QStringLiteral("Please confirm MPT update. This will replace all previous program mapping "
                   "assignments. Do you want to proceed?");
const QString kAskSave = QStringLiteral("Do you want to save your changes?");
const QString kHintFolderPrompt = QStringLiteral("Choose a folder below:");

} // namespace

TfrmMPTEdit::TfrmMPTEdit(TlvRegUtil* settings, QWidget* parent)
    : QWidget(parent, Qt::Window), layout_(PreExpressMode), settings_(settings) {
    setObjectName("frmMPTEdit");
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while an editor is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(kCaption);
    Table = std::make_unique<Tmpt>();
    Modified = true;
    CreateControls();
    CreatePopup();
    resize(NaturalSize());
    ReadSettings();
    FillGrid();
    grdMPT->SetCurrentCell(1, 1);
    grdMPT->setFocus();
}

TfrmMPTEdit::~TfrmMPTEdit() = default;

// ---- Controls ----

QPushButton* TfrmMPTEdit::AddButton(const QString& name, const QString& caption,
                                    const QString& hint, std::function<void()> click) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setToolTip(hint);
    // Like toolbar buttons: the grid keeps the focus (and any open edit is
    // taken by the command itself).
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [click = std::move(click)] { click(); });
    return button;
}

void TfrmMPTEdit::CreateControls() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    btnSaveAs =
        AddButton("btnSaveAs", "&Save...", "Save this MPT to a file", [this] { btnSaveAsClick(); });
    btnSendOut = AddButton("btnSendOut", "Sen&d", "Send MPT to MIDI out (F9)",
                           [this] { btnSendOutClick(); });
    btnPrint = AddButton("btnPrint", "&Print", "Print the MPT", [this] { btnPrintClick(); });
    btnPrtSetup = AddButton("btnPrtSetup", "Set&up", "Printer selection/configuration",
                            [this] { btnPrtSetupClick(); });
    btnFont = AddButton("btnFont", "&Font", "Font selection", [this] { btnFontClick(); });
    btnExit = AddButton("btnExit", "&Exit", "Close", [this] { close(); });
    for (QPushButton* b : {btnSaveAs, btnSendOut, btnPrint, btnPrtSetup, btnFont, btnExit})
        buttons->addWidget(b);
    buttons->addStretch();
    column->addLayout(buttons);

    grdMPT = new TMptGrid(layout_, this);
    grdMPT->SelectCell = [this](int col, int row) { return grdMPTSelectCell(col, row); };
    connect(grdMPT, &TMptGrid::CellEdited, this, [this] { grdMPTCellEdited(); });
    connect(grdMPT, &TMptGrid::CellsPasted, this, [this] { ValidateGrid(); });
    connect(grdMPT, &TMptGrid::MouseOverCell, this,
            [this](int col, int row) { grdMPTMouseOver(col, row); });
    connect(grdMPT, &TMptGrid::CurrentCellChanged, this,
            [this](int col, int row) { ShowLocation(col, row); });
    column->addWidget(grdMPT, 1);

    lblLocation = new QLabel(this);
    lblLocation->setObjectName("lblLocation");
    // A long line is cut at the window's edge; it never widens the window.
    lblLocation->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(lblLocation);

    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(f9, &QShortcut::activated, this, [this] { btnSendOutClick(); });
}

void TfrmMPTEdit::CreatePopup() {
    popMPTgrid = new QMenu(this);
    popMPTgrid->setObjectName("popMPTgrid");
    rowLabelGroup_ = new QActionGroup(this);
    pmiShowRowRanges = popMPTgrid->addAction("Show row ranges");
    pmiShowRowRanges->setObjectName("pmiShowRowRanges");
    pmiShowRowOffsets = popMPTgrid->addAction("Show row offsets");
    pmiShowRowOffsets->setObjectName("pmiShowRowOffsets");
    for (QAction* item : {pmiShowRowRanges, pmiShowRowOffsets}) {
        item->setCheckable(true);
        rowLabelGroup_->addAction(item);
    }
    pmiShowRowRanges->setChecked(true);
    connect(pmiShowRowRanges, &QAction::triggered, this,
            [this] { grdMPT->SetRowLabelStyle(false); });
    connect(pmiShowRowOffsets, &QAction::triggered, this,
            [this] { grdMPT->SetRowLabelStyle(true); });
    popMPTgrid->addSeparator();
    pmiSetDefaults = popMPTgrid->addAction("Set to default presets");
    pmiSetDefaults->setObjectName("pmiSetDefaults");
    connect(pmiSetDefaults, &QAction::triggered, this, [this] { SetDefaultPresets(); });
    pmiHintFolder = popMPTgrid->addAction("Select folder for file name hints...");
    pmiHintFolder->setObjectName("pmiHintFolder");
    connect(pmiHintFolder, &QAction::triggered, this, [this] { SelectHintFolder(); });

    pmiInsertCell = popMPTgrid->addMenu("Insert cell");
    pmiInsertCell->setObjectName("pmiInsertCell");
    pmiInsertShiftRow = pmiInsertCell->addAction("Shift to end of row");
    pmiInsertShiftRow->setObjectName("pmiInsertShiftRow");
    pmiInsertShiftAll = pmiInsertCell->addAction("Shift all");
    pmiInsertShiftAll->setObjectName("pmiInsertShiftAll");
    pmiDeleteCell = popMPTgrid->addMenu("Delete cell");
    pmiDeleteCell->setObjectName("pmiDeleteCell");
    pmiDeleteShiftRow = pmiDeleteCell->addAction("Shift to end of row");
    pmiDeleteShiftRow->setObjectName("pmiDeleteShiftRow");
    pmiDeleteShiftAll = pmiDeleteCell->addAction("Shift all");
    pmiDeleteShiftAll->setObjectName("pmiDeleteShiftAll");
    connect(pmiInsertShiftRow, &QAction::triggered, this,
            [this] { InsertCell(TShiftMode::ToEndOfRow); });
    connect(pmiInsertShiftAll, &QAction::triggered, this, [this] { InsertCell(TShiftMode::All); });
    connect(pmiDeleteShiftRow, &QAction::triggered, this,
            [this] { DeleteCell(TShiftMode::ToEndOfRow); });
    connect(pmiDeleteShiftAll, &QAction::triggered, this, [this] { DeleteCell(TShiftMode::All); });

    connect(grdMPT, &TMptGrid::PopupRequested, this, [this](const QPoint& at) {
        grdMPT->CommitEdit();
        popMPTgrid->popup(at);
    });
}

QSize TfrmMPTEdit::NaturalSize() const {
    const QMargins margins = layout()->contentsMargins();
    const int spacing = layout()->spacing();
    const QSize buttons = layout()->itemAt(0)->sizeHint();
    const QSize grid = grdMPT->FullSize();
    const int width = std::max(buttons.width(), grid.width()) + margins.left() + margins.right();
    const int height = buttons.height() + grid.height() + lblLocation->sizeHint().height() +
                       2 * spacing + margins.top() + margins.bottom();
    return {width, height};
}

void TfrmMPTEdit::ReadSettings() {
    QString folder;
    if (settings_) {
        folder = settings_->ReadString("MPT_HINT_DIR", true);
        // The window's own area is stored, not its frame: the frame is known
        // only once the window is shown, so a frame position restored before
        // would move the window by the title bar's height at every open.
        const QString name = objectName();
        if (settings_->ReadInteger(name + ".Width", true, -1) >= 0) {
            setGeometry(settings_->ReadInteger(name + ".Left", true, x()),
                        settings_->ReadInteger(name + ".Top", true, y()),
                        settings_->ReadInteger(name + ".Width", true, width()),
                        settings_->ReadInteger(name + ".Height", true, height()));
            // On the screen as it is now, and a size kept from the other
            // model's shorter grid must not hide rows.
            GrowToShowGrid();
        } else {
            setGeometry(FirstPlacement());
        }
    } else {
        setGeometry(FirstPlacement());
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = DefaultUserFolder();
    HintFolder = NativeFolder(folder);
}

void TfrmMPTEdit::SetSaveFolder(const QString& folder) {
    saveFolder_ = folder;
}

// ---- Table and grid ----

void TfrmMPTEdit::LoadTable(TStream& stream) {
    Table->LoadFromStream(stream, layout_.PreExpress());
    FillGrid();
    Modified = false;
}

void TfrmMPTEdit::FillGrid() {
    for (int entry = 0; entry < layout_.EntryCount(); ++entry)
        grdMPT->SetCells(TMptLayout::ColOf(entry), TMptLayout::RowOf(entry),
                         TMptLayout::PresetText(Table->Entries[static_cast<std::size_t>(entry)]));
    HintRow = HintCol = 0;
    ShowLocation(grdMPT->Col(), grdMPT->Row());
}

void TfrmMPTEdit::SetFileName(const QString& path) {
    FileName = path;
    setWindowTitle(path.isEmpty() ? QString(kCaption) : QString(kCaption) + " - " + path);
}

std::vector<std::uint8_t> TfrmMPTEdit::TableBytes() const {
    TMemoryStream stream;
    Table->SaveToStream(stream, layout_.PreExpress());
    return stream.Bytes();
}

int TfrmMPTEdit::FindInvalidCell(QString& message) {
    for (int entry = 0; entry < layout_.EntryCount(); ++entry) {
        const int col = TMptLayout::ColOf(entry);
        const int row = TMptLayout::RowOf(entry);
        const QString text = grdMPT->Cells(col, row).trimmed();
        bool isNumber = false;
        const int value = text.toInt(&isNumber, 10);
        const QString where = " at location " + QString::number(entry + 1);
        if (!isNumber) {
            message = "Invalid preset number: " + text + where;
            return entry;
        }
        if (value < 1 || value > Tmpt::MaxEntries) {
            message = "Invalid preset number: " + text + where + " (should be 001 thru 200)";
            return entry;
        }
        grdMPT->SetCells(col, row, TMptLayout::PresetText(value - 1));
    }
    return -1;
}

bool TfrmMPTEdit::ValidateGrid() {
    grdMPT->CommitEdit();
    QString message;
    const int bad = FindInvalidCell(message);
    if (bad < 0)
        return true;
    grdMPT->SetCurrentCell(TMptLayout::ColOf(bad), TMptLayout::RowOf(bad));
    Dialogs().MessageBox(this, message, kErrorCaption, mbOK, TMsgDlgType::mtError);
    return false;
}

bool TfrmMPTEdit::grdMPTSelectCell(int col, int row) {
    QString message;
    const int bad = FindInvalidCell(message);
    // Going to the cell that needs a number is always allowed.
    if (bad < 0 || bad == TMptLayout::CellOf(col, row))
        return true;
    grdMPT->SetCurrentCell(TMptLayout::ColOf(bad), TMptLayout::RowOf(bad));
    Dialogs().MessageBox(this, message, kErrorCaption, mbOK, TMsgDlgType::mtError);
    return false;
}

void TfrmMPTEdit::GridToTable() {
    for (int entry = 0; entry < layout_.EntryCount(); ++entry)
        Table->Entries[static_cast<std::size_t>(entry)] =
            grdMPT->Cells(TMptLayout::ColOf(entry), TMptLayout::RowOf(entry)).trimmed().toInt() - 1;
}

void TfrmMPTEdit::grdMPTCellEdited() {
    Modified = true;
    // The hint and the location line follow the new number.
    HintRow = HintCol = 0;
    ShowLocation(grdMPT->Col(), grdMPT->Row());
}

void TfrmMPTEdit::SetDefaultPresets() {
    grdMPT->CommitEdit();
    for (int entry = 0; entry < layout_.EntryCount(); ++entry)
        grdMPT->SetCells(TMptLayout::ColOf(entry), TMptLayout::RowOf(entry),
                         TMptLayout::PresetText(entry));
    grdMPTCellEdited();
}

void TfrmMPTEdit::InsertCell(TShiftMode mode) {
    ShiftCells(mode, true);
}

void TfrmMPTEdit::DeleteCell(TShiftMode mode) {
    ShiftCells(mode, false);
}

void TfrmMPTEdit::ShiftCells(TShiftMode mode, bool insert) {
    grdMPT->CommitEdit();
    const int col = grdMPT->Col();
    const int row = grdMPT->Row();
    if (!layout_.HoldsEntry(col, row))
        return;
    QStringList texts = grdMPT->DataTexts();
    if (insert)
        layout_.InsertCell(texts, TMptLayout::CellOf(col, row), mode);
    else
        layout_.DeleteCell(texts, TMptLayout::CellOf(col, row), mode);
    grdMPT->SetDataTexts(texts);
    grdMPTCellEdited();
}

// ---- Hints ----

void TfrmMPTEdit::grdMPTMouseOver(int col, int row) {
    if (col == HintCol && row == HintRow)
        return;
    QToolTip::hideText();
    if (col == 0 || row == 0)
        return;
    HintCol = col;
    HintRow = row;
    UpdateCellHint();
}

void TfrmMPTEdit::UpdateCellHint() {
    if (HintCol == 0 || HintRow == 0)
        return;
    grdMPT->SetHint(CellHintText(HintFolder, grdMPT->Cells(HintCol, HintRow)));
}

void TfrmMPTEdit::SelectHintFolder() {
    grdMPT->CommitEdit();
    const QString chosen = BrowseFolder(this, kHintFolderPrompt, HintFolder);
    if (chosen.isEmpty())
        return;
    HintFolder = chosen;
    HintRow = HintCol = 0;
    ShowLocation(grdMPT->Col(), grdMPT->Row());
}

void TfrmMPTEdit::ShowLocation(int col, int row) {
    lblLocation->setToolTip({});
    if (!layout_.HoldsEntry(col, row)) {
        lblLocation->clear();
        return;
    }
    QString line = QString("Location %1").arg(TMptLayout::CellOf(col, row) + 1);
    const QString text = grdMPT->Cells(col, row);
    if (!text.isEmpty()) {
        line += ": preset " + text;
        const QString file = FindHintFile(HintFolder, text);
        if (!file.isEmpty())
            line += "  (" + file + ")";
    }
    lblLocation->setText(line);
}

// ---- Commands ----

bool TfrmMPTEdit::SaveToFile() {
    QString proposed = FileName;
    if (proposed.isEmpty()) {
        if (!saveFolder_.isEmpty())
            proposed = NativeFolder(saveFolder_);
        proposed += QCoreApplication::applicationName() + "_" +
                    QDate::currentDate().toString("yyyyMMdd") + ".mpt";
    }
    const QString chosen = Dialogs().SaveFileName(this, "Save As", proposed, kFileFilter);
    if (chosen.isEmpty())
        return false;
    saveFolder_ = QFileInfo(chosen).path();
    TBusyCursor busy;
    TMemoryStream dump;
    Table->SaveToStream(dump, layout_.PreExpress());
    // Written atomically: a failed save leaves the old file as it was.
    dump.SaveToFile(ModelPath(chosen));
    SetFileName(chosen);
    return true;
}

void TfrmMPTEdit::btnSaveAsClick() {
    if (!ValidateGrid())
        return;
    GridToTable();
    RunShowingErrors(
        [this] {
            if (SaveToFile())
                Modified = false;
        },
        this);
}

void TfrmMPTEdit::btnSendOutClick() {
    if (!ValidateGrid())
        return;
    GridToTable();
    if (Dialogs().MessageBox(this, kConfirmSend, kConfirmCaption, mbYes | mbNo,
                             TMsgDlgType::mtConfirmation) != mrYes)
        return;
    RunShowingErrors(
        [this] {
            TBusyCursor busy;
            TMemoryStream dump;
            Table->SaveToStream(dump, layout_.PreExpress());
            if (SendHandler) {
                QString status;
                SendHandler(dump, status);
                // After its confirmation the send says what went out.
                ShowStatus(QString("MPT sent to MIDI Out: %1 entries, %2 bytes")
                               .arg(Tmpt::MptEntryCount(layout_.PreExpress()))
                               .arg(dump.Size()));
            }
        },
        this);
}

void TfrmMPTEdit::btnPrtSetupClick() {
    grdMPT->CommitEdit();
    PrinterSetup(this);
}

void TfrmMPTEdit::btnFontClick() {
    grdMPT->CommitEdit();
    QFont font = grdMPT->font();
    // Start from the face actually shown (Courier New may stand for another).
    font.setFamily(QFontInfo(font).family());
    if (!Dialogs().ChooseFont(this, font, true))
        return;
    grdMPT->ApplyFont(font);
    GrowToShowGrid();
}

void TfrmMPTEdit::GrowToShowGrid() {
    // As much as the screen holds, and all of the window on it, frame included.
    setGeometry(OnScreen(QRect(geometry().topLeft(), size().expandedTo(NaturalSize())),
                         TypicalFrameMargins(), FreeScreenArea(*this)));
}

QRect TfrmMPTEdit::FirstPlacement() const {
    const QRect room = FreeScreenArea(*this);
    const QMargins frame = TypicalFrameMargins();
    const QSize size = NaturalSize().boundedTo(room.marginsRemoved(frame).size());
    const QPoint centred(room.x() + frame.left() +
                             (room.width() - frame.left() - frame.right() - size.width()) / 2,
                         room.y() + frame.top() +
                             (room.height() - frame.top() - frame.bottom() - size.height()) / 2);
    return OnScreen(QRect(centred, size), frame, room);
}

// ---- Closing ----

bool TfrmMPTEdit::FormCloseQuery() {
    if (!Modified)
        return true;
    switch (Dialogs().MessageBox(this, kAskSave, kConfirmCaption, mbYes | mbNo | mbCancel,
                                 TMsgDlgType::mtConfirmation)) {
    case mrYes: {
        if (!ValidateGrid())
            return false;
        GridToTable();
        bool saved = false;
        RunShowingErrors([&] { saved = SaveToFile(); }, this);
        return saved;
    }
    case mrNo:
        return true;
    default:
        return false;
    }
}

void TfrmMPTEdit::FormClose() {
    if (!settings_)
        return;
    settings_->WriteString("MPT_HINT_DIR", HintFolder);
    const QString name = objectName();
    const QRect own = geometry();
    settings_->WriteInteger(name + ".Top", own.y());
    settings_->WriteInteger(name + ".Left", own.x());
    settings_->WriteInteger(name + ".Height", own.height());
    settings_->WriteInteger(name + ".Width", own.width());
}

void TfrmMPTEdit::closeEvent(QCloseEvent* event) {
    grdMPT->CommitEdit();
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // A settings failure is reported; the window closes all the same.
    RunShowingErrors([this] { FormClose(); }, this);
    event->accept();
}
