#pragma once
// Test double of the dialog seam: answers come from a script, in order; every
// question is recorded so tests can check captions and texts.
#include "controls/seams/dialog_service.h"

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

class TScriptedDialogService : public IDialogService {
public:
    struct Asked {
        QString kind; // "message", "open", "openMany", "save", "folder", "font", "printer", "modal"
        QString caption; // for a font dialog: "fixed pitch" when limited to such fonts
        QString text;    // message text, prompt, folder or dialog class name
        unsigned buttons = 0;
    };

    // Answer for the next message box (default when none is scripted: mrOk,
    // or mrYes when the box has a Yes button but no OK button).
    void QueueResult(int modalResult) { results_.push_back(modalResult); }
    // Answer for the next file or folder dialog ("" = cancelled).
    void QueuePath(const QString& path) { paths_.push_back(path); }
    void QueuePaths(const QStringList& paths) { pathLists_.push_back(paths); }
    void QueueFontChoice(bool accept, const QFont& font = QFont()) {
        fonts_.push_back({accept, font});
    }
    void QueuePrinterSetup(bool accept) { printers_.push_back(accept); }
    // Handler for the next modal system dialog: it may fill the dialog and
    // returns the modal result. Without one, the dialog is cancelled.
    void QueueModal(std::function<int(QDialog&)> handler) { modals_.push_back(std::move(handler)); }

    const std::vector<Asked>& History() const { return history_; }
    const Asked& Last() const { return history_.back(); }
    // Message boxes only, in order.
    std::vector<Asked> Messages() const;
    void ClearHistory() { history_.clear(); }

    int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned buttons,
                   TMsgDlgType type) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) override;
    QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                              const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter) override;
    QString FolderName(QWidget* parent, const QString& prompt, const QString& folder) override;
    bool ChooseFont(QWidget* parent, QFont& font, bool fixedPitchOnly) override;
    bool PrinterSetup(QWidget* parent, QPrinter& printer) override;
    int ExecModal(QDialog& dialog) override;

private:
    QString NextPath();

    std::deque<int> results_;
    std::deque<QString> paths_;
    std::deque<QStringList> pathLists_;
    std::deque<std::pair<bool, QFont>> fonts_;
    std::deque<bool> printers_;
    std::deque<std::function<int(QDialog&)>> modals_;
    std::vector<Asked> history_;
};

// Installs a scripted service for the lifetime of the guard.
class TScopedDialogService {
public:
    TScopedDialogService() { SetDialogService(&service); }
    ~TScopedDialogService() { SetDialogService(nullptr); }
    TScopedDialogService(const TScopedDialogService&) = delete;
    TScopedDialogService& operator=(const TScopedDialogService&) = delete;
    TScriptedDialogService service;
};
