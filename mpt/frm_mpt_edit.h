#pragma once
// The program table editor: one MIDI program table as a grid of three-digit
// preset numbers, ten program changes to a row. The grid is the working copy;
// the table is brought up to date from it before every save and send. The
// window frees itself when it closes.
#include "mpt/mpt_layout.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class TMptGrid;
class TStream;
class TlvRegUtil;
class Tmpt;

class TfrmMPTEdit : public QWidget {
    Q_OBJECT
public:
    // Sends a whole dump held in a stream; sets a status text.
    using TSendHandler = std::function<void(TStream& stream, QString& statusText)>;
    // Shows a text in the program's status bar.
    using TStatusHandler = std::function<void(const QString& text)>;

    static constexpr const char* kCaption = "Velmor HRZ2000 MPT Editor";
    static constexpr const char* kFileFilter = "HRZ2000 mpt table (*.mpt)";
    static constexpr const char* kReportHeading = "Velmor HRZ2000 MPT Table";

    // A new table of the current model (Pre-Express or not), which the window
    // keeps whatever the mode is switched to later. settings may be null.
    explicit TfrmMPTEdit(TlvRegUtil* settings, QWidget* parent = nullptr);
    ~TfrmMPTEdit() override;

    void SetSendHandler(TSendHandler handler) { SendHandler = std::move(handler); }
    void SetStatusHandler(TStatusHandler handler) { StatusHandler = std::move(handler); }
    // Where the first save dialog starts when the table has no file yet.
    void SetSaveFolder(const QString& folder);
    // Reads one dump from the stream's start into the table and the grid.
    void LoadTable(TStream& stream);
    void FillGrid();
    // The file last saved; shown in the caption.
    void SetFileName(const QString& path);

    // Checks every cell in entry order, rewriting valid ones as three digits.
    // The first invalid one is reported and made current; then false.
    bool ValidateGrid();
    // Copies the grid into the table; only after ValidateGrid succeeded.
    void GridToTable();
    // Asks for a file and writes the table to it; false when cancelled.
    bool SaveToFile();

    // ---- Report (what the grid shows now, checked or not) ----
    // One line per program change with its preset number and preset file, or
    // the grid's rows. Returns where the printout went.
    QString PrintTable(bool listStyle);
    // The bold underlined heads of the report's columns, then the next line.
    void PrintColumnHeads(bool listStyle);

    // ---- Commands (buttons, menu, keys) ----
    void btnSaveAsClick();
    void btnSendOutClick();
    void btnPrintClick();
    void btnPrtSetupClick();
    void btnFontClick();
    void SetDefaultPresets();
    void InsertCell(TShiftMode mode);
    void DeleteCell(TShiftMode mode);
    void SelectHintFolder();
    // The hint of the cell at HintCol, HintRow.
    void UpdateCellHint();

    const TMptLayout& Layout() const { return layout_; }
    const Tmpt& TableData() const { return *Table; }
    // The dump the table writes now (the grid is not consulted).
    std::vector<std::uint8_t> TableBytes() const;

    // ---- State ----
    std::unique_ptr<Tmpt> Table;
    bool Modified = true;
    QString FileName;
    QString HintFolder;
    int HintRow = 0;
    int HintCol = 0;
    TSendHandler SendHandler;
    TStatusHandler StatusHandler;

    // ---- Controls ----
    QPushButton* btnSaveAs = nullptr;
    QPushButton* btnSendOut = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnPrtSetup = nullptr;
    QPushButton* btnFont = nullptr;
    QPushButton* btnExit = nullptr;
    TMptGrid* grdMPT = nullptr;
    QLabel* lblLocation = nullptr;
    QMenu* popMPTgrid = nullptr;
    QAction* pmiShowRowRanges = nullptr;
    QAction* pmiShowRowOffsets = nullptr;
    QAction* pmiSetDefaults = nullptr;
    QAction* pmiHintFolder = nullptr;
    QMenu* pmiInsertCell = nullptr;
    QAction* pmiInsertShiftRow = nullptr;
    QAction* pmiInsertShiftAll = nullptr;
    QMenu* pmiDeleteCell = nullptr;
    QAction* pmiDeleteShiftRow = nullptr;
    QAction* pmiDeleteShiftAll = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Inserts or deletes the cell at the cursor, shifting the values after it.
    void ShiftCells(TShiftMode mode, bool insert);
    void CreateControls();
    QPushButton* AddButton(const QString& name, const QString& caption, const QString& hint,
                           std::function<void()> click);
    void CreatePopup();
    void ReadSettings();
    // Size that shows the whole grid with the buttons and the location line.
    QSize NaturalSize() const;
    // Makes the window large enough for every cell, as far as the screen allows.
    void GrowToShowGrid();
    // Centred on the free screen area, all of it on the screen.
    QRect FirstPlacement() const;
    // First cell (data-area index) that fails the check, with its message;
    // -1 when all pass. Valid cells before it are rewritten as three digits.
    int FindInvalidCell(QString& message);
    bool grdMPTSelectCell(int col, int row);
    void grdMPTCellEdited();
    void grdMPTMouseOver(int col, int row);
    void ShowLocation(int col, int row);
    bool FormCloseQuery();
    // Page header, heading and column heads at the top of each page.
    void PrintPageStart(bool listStyle);
    // Ten blanks and the file name, shortened from the left to fit the page.
    QString PageHeaderText() const;
    // The grid's font, made smaller when a line of chars characters would
    // not fit across the page in it.
    QFont ReportFont(int chars) const;
    void ShowStatus(const QString& text);
    void FormClose();

    TMptLayout layout_;
    TlvRegUtil* settings_;
    QActionGroup* rowLabelGroup_ = nullptr;
    // The folder the save dialog proposes: that of its last file.
    QString saveFolder_;
};
