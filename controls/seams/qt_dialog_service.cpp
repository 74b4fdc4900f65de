#include "controls/seams/qt_dialog_service.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>

namespace {

IDialogService* g_installed = nullptr;

struct ButtonMap {
    unsigned ours;
    QMessageBox::StandardButton qt;
    int result;
};

const ButtonMap kButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort},
    {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore},
    {mbNoToAll, QMessageBox::NoToAll, mrNoToAll},
    {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
};

} // namespace

IDialogService& Dialogs() {
    static TQtDialogService qtService;
    return g_installed ? *g_installed : qtService;
}

void SetDialogService(IDialogService* service) {
    g_installed = service;
}

int TQtDialogService::CaptionWidth(const QString& caption) {
    // Title bars commonly use a bold face of the application's font, and
    // hold an icon and three buttons beside the caption.
    QFont font = QApplication::font();
    font.setBold(true);
    const int titleBar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QFontMetrics(font).horizontalAdvance(caption) + 5 * titleBar;
}

void TQtDialogService::PrepareMessageBox(QMessageBox& box, const QString& text,
                                         const QString& caption, unsigned buttons,
                                         TMsgDlgType type) {
    box.setWindowTitle(caption);
    box.setText(text);
    switch (type) {
    case TMsgDlgType::mtWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMsgDlgType::mtError:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMsgDlgType::mtConfirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case TMsgDlgType::mtInformation:
        box.setIcon(QMessageBox::Information);
        break;
    case TMsgDlgType::mtCustom:
        break;
    }
    QMessageBox::StandardButtons qtButtons;
    for (const auto& b : kButtons)
        if (buttons & b.ours)
            qtButtons |= b.qt;
    if (!qtButtons)
        qtButtons = QMessageBox::Ok;
    box.setStandardButtons(qtButtons);
    // The box sizes itself to its text; a spacer keeps it as wide as its caption.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(
            new QSpacerItem(CaptionWidth(caption), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
}

int TQtDialogService::MessageBox(QWidget* parent, const QString& text, const QString& caption,
                                 unsigned buttons, TMsgDlgType type) {
    QMessageBox box(parent);
    PrepareMessageBox(box, text, caption, buttons, type);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const auto& b : kButtons)
        if ((buttons & b.ours) && b.qt == pressed)
            return b.result;
    return pressed == QMessageBox::Ok ? mrOk : mrCancel;
}

QString TQtDialogService::OpenFileName(QWidget* parent, const QString& caption,
                                       const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QStringList TQtDialogService::OpenFileNames(QWidget* parent, const QString& caption,
                                            const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, caption, folder, filter);
}

QString TQtDialogService::SaveFileName(QWidget* parent, const QString& caption,
                                       const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString TQtDialogService::FolderName(QWidget* parent, const QString& prompt,
                                     const QString& folder) {
    return QFileDialog::getExistingDirectory(parent, prompt, folder);
}

bool TQtDialogService::ChooseFont(QWidget* parent, QFont& font, bool fixedPitchOnly) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent, QString(),
                                              fixedPitchOnly ? QFontDialog::MonospacedFonts
                                                             : QFontDialog::FontDialogOptions());
    if (ok)
        font = chosen;
    return ok;
}

bool TQtDialogService::PrinterSetup(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    // The choice is kept for later printouts; nothing prints on OK.
    dialog.setWindowTitle("Printer setup");
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText("OK");
    return dialog.exec() == QDialog::Accepted;
}

int TQtDialogService::ExecModal(QDialog& dialog) {
    return dialog.exec();
}
