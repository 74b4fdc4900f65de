#pragma once
// The unit and a backup folder side by side: one row per location with the two
// titles and whether they are the same; a row that differs opens its parameter
// differences. Selected rows can be saved from the unit into the folder, stored
// from the folder into the unit, or opened in the editor; the comparison can be
// saved as CSV and printed.
#include "app/window/unit_store.h"
#include "model/library_compare.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QMenu;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

struct TCompareHandlers {
    // Stores the dumps at their locations in the unit; one result per item.
    std::function<std::vector<TRestoreResult>(const std::vector<TRestoreItem>&)> StoreInUnit;
    // An editor for a dump and the file it came from ("" for the unit's).
    std::function<void(const std::vector<std::uint8_t>& dump, const QString& fileName)>
        OpenInEditor;
    // The program's status bar.
    std::function<void(const QString& text)> ShowStatus;
};

// "same", "differs", "only on the unit", "only in the folder".
QString StateText(TCompareState state);

class TfrmCompare : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 900;
    static constexpr int kDefaultHeight = 600;
    // Locations named in one confirmation before "and N more".
    static constexpr int kNamedLocations = 12;

    explicit TfrmCompare(QWidget* parent = nullptr);

    void SetHandlers(TCompareHandlers handlers) { handlers_ = std::move(handlers); }
    // Shows a finished comparison; folder ends with a separator.
    void SetComparison(const QString& folder, const QString& untitledName,
                       std::vector<TCompareRow> rows);
    const std::vector<TCompareRow>& Rows() const { return rows_; }
    const QString& Folder() const { return folder_; }

    // ---- Actions on the selected rows ----
    // The unit's version written into the folder, named as the backup run names it;
    // the folder's file it replaces goes.
    void SaveUnitVersions();
    // The folder's version stored in the unit after one confirmation.
    void StoreFolderVersions();
    // The current row's version in the preset editor.
    void OpenUnitVersion();
    void OpenFolderVersion();

    // ---- The comparison as a whole (the rows shown) ----
    void SaveCsv();
    QString CsvText() const;
    void btnPrintClick();
    // Prints the rows shown and returns where the printout went.
    QString PrintComparison();

    // Top-level tree item of a row, and the row of an item (-1: none).
    QTreeWidgetItem* ItemOfRow(int row) const;
    int RowOfItem(const QTreeWidgetItem* item) const;
    // Rows selected (a selected difference counts as its row), in list order.
    std::vector<int> SelectedRows() const;
    QString StatusText() const;

    // ---- Controls ----
    QToolButton* btnSaveToFolder = nullptr;
    QToolButton* btnStoreInUnit = nullptr;
    QToolButton* btnOpenUnit = nullptr;
    QToolButton* btnOpenFolder = nullptr;
    QToolButton* btnSaveCsv = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* btnPrtSetup = nullptr;
    QToolButton* btnClose = nullptr;
    QLabel* lblSummary = nullptr;
    QCheckBox* chkOnlyDifferences = nullptr;
    QTreeWidget* tvwCompare = nullptr;
    QLabel* lblStatus = nullptr;
    QMenu* popCompare = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWindow();
    QToolButton* AddButton(QWidget* bar, const char* name, const QString& caption,
                           const QString& hint);
    void FillTree();
    void FitColumns();
    // The tree item of a row, its differences below it.
    void ShowRow(QTreeWidgetItem* item, const TCompareRow& row);
    void ShowSummary();
    void ApplyFilter();
    void UpdateActions();
    void SetStatus(const QString& text);
    // The current row (of the current item), -1 when none.
    int CurrentRow() const;
    QString LocationsText(const std::vector<int>& rows) const;
    bool CanSave(const TCompareRow& row) const;
    static bool CanStore(const TCompareRow& row);
    void PrintPageStart();

    TCompareHandlers handlers_;
    QString folder_;
    QString untitledName_;
    std::vector<TCompareRow> rows_;
    bool placed_ = false;
};
