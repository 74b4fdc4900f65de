#pragma once
// The Library window: every preset the user has had, searched as typed, with what
// to do with a selection (open, send, store, export, where it is), folders and
// files added by dropping them, and a bank put back as it was on a date.
#include "library/preset_library.h"

#include <QStringList>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class TLibraryTableModel;

// What the window asks of the main window.
struct TLibraryHost {
    std::function<void(const std::vector<std::uint8_t>& dump, const QString& title)> OpenInEditor;
    std::function<void(const std::vector<std::uint8_t>& dump)> Send;
    // Asks where with the store dialog, then stores.
    std::function<void(const std::vector<std::uint8_t>& dump)> Store;
    // Stores each (number 1..200, dump) in bank (-1: the single bank) through the
    // verified store; one line per location saying how it went.
    std::function<QStringList(int bank,
                              const std::vector<std::pair<int, std::vector<std::uint8_t>>>&)>
        RestoreBank;
    std::function<bool()> PreExpress;
};

class TfrmLibrary : public QWidget {
    Q_OBJECT
public:
    TfrmLibrary(TPresetLibrary& library, TLibraryHost host, QWidget* parent = nullptr);
    ~TfrmLibrary() override;

    // Runs the search in the box now (typing runs it after a short pause).
    void RunSearch();
    // Adds files and folders in the background, with the progress bar and Cancel.
    void AddPaths(const QStringList& paths);
    bool Adding() const { return worker_.joinable(); }
    // The selected presets' ids, in list order.
    std::vector<std::int64_t> SelectedIds() const;

    void OpenSelected();
    void SendSelected();
    void StoreSelected();
    void ExportSelected();
    void ShowLocations();
    void ShowHistory();
    void RestoreBank();
    void ChooseFolderToAdd();

    QLineEdit* edtSearch = nullptr;
    QLabel* lblQueryError = nullptr;
    QLabel* lblCount = nullptr;
    QTableView* grdPresets = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnSend = nullptr;
    QPushButton* btnStore = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnLocations = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnHistory = nullptr;
    QPushButton* btnRestore = nullptr;
    QProgressBar* prgAdd = nullptr;
    QPushButton* btnCancel = nullptr;
    TLibraryTableModel* Model() const { return model_; }

signals:
    // An add has ended (completed or cancelled) and its report was shown.
    void AddFinished();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void UpdateButtons();
    void AddDone(const TAddReport& report, const QString& failure);
    void ShowNotices();

    TPresetLibrary& library_;
    TLibraryHost host_;
    TLibraryTableModel* model_ = nullptr;
    QTimer* searchDelay_ = nullptr;
    std::thread worker_;
    std::atomic<bool> cancel_ = false;
};
