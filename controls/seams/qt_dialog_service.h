#pragma once
// The real dialogs, through Qt.
#include "controls/seams/dialog_service.h"

class QMessageBox;

class TQtDialogService : public IDialogService {
public:
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

    // Sets up the box MessageBox shows.
    static void PrepareMessageBox(QMessageBox& box, const QString& text, const QString& caption,
                                  unsigned buttons, TMsgDlgType type);
    // The width a window needs for caption in its title bar.
    static int CaptionWidth(const QString& caption);
};
