#pragma once
// One seam for everything that asks the user through a system dialog: message
// boxes and file, folder, font and printer dialogs. The program installs the Qt
// implementation; tests install TScriptedDialogService, which answers from a
// script and records what was asked.
#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;
class QDialog;

// Buttons of a message box (combine with |).
enum TMsgDlgBtn : unsigned {
    mbYes = 0x001,
    mbNo = 0x002,
    mbOK = 0x004,
    mbCancel = 0x008,
    mbAbort = 0x010,
    mbRetry = 0x020,
    mbIgnore = 0x040,
    mbAll = 0x080,
    mbNoToAll = 0x100,
    mbYesToAll = 0x200,
};

// What a dialog returns.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

class IDialogService {
public:
    virtual ~IDialogService() = default;

    // Shows text under caption with the given buttons; returns the button pressed
    // (mrCancel when the box is closed without a choice, mrOk for a plain OK box).
    virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                           unsigned buttons = mbOK,
                           TMsgDlgType type = TMsgDlgType::mtInformation) = 0;
    // File dialogs return the chosen path, or an empty string when cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
    virtual QStringList OpenFileNames(QWidget* parent, const QString& caption,
                                      const QString& folder, const QString& filter) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter) = 0;
    virtual QString FolderName(QWidget* parent, const QString& prompt, const QString& folder) = 0;
    // Font and printer dialogs change their argument and return true on OK.
    // fixedPitchOnly offers fixed-pitch fonts only.
    virtual bool ChooseFont(QWidget* parent, QFont& font, bool fixedPitchOnly = false) = 0;
    virtual bool PrinterSetup(QWidget* parent, QPrinter& printer) = 0;
    // Runs one of the system's own modal dialogs (store prompt, backup options,
    // pick list, report options...) and returns its modal result.
    virtual int ExecModal(QDialog& dialog) = 0;
};

// The installed service (the Qt one unless a test installed another).
IDialogService& Dialogs();
// Installs a service (not owned); nullptr restores the Qt one.
void SetDialogService(IDialogService* service);

// Shorthand for the common one-button message box with a caption.
inline int ShowMessage(QWidget* parent, const QString& text, const QString& caption) {
    return Dialogs().MessageBox(parent, text, caption, mbOK, TMsgDlgType::mtInformation);
}
