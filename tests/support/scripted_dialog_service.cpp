#include "tests/support/scripted_dialog_service.h"

std::vector<TScriptedDialogService::Asked> TScriptedDialogService::Messages() const {
    std::vector<Asked> out;
    for (const auto& a : history_)
        if (a.kind == "message")
            out.push_back(a);
    return out;
}

int TScriptedDialogService::MessageBox(QWidget*, const QString& text, const QString& caption,
                                       unsigned buttons, TMsgDlgType) {
    history_.push_back({"message", caption, text, buttons});
    if (!results_.empty()) {
        const int r = results_.front();
        results_.pop_front();
        return r;
    }
    if (buttons & mbOK)
        return mrOk;
    if (buttons & mbYes)
        return mrYes;
    return mrOk;
}

QString TScriptedDialogService::NextPath() {
    if (paths_.empty())
        return {};
    QString p = paths_.front();
    paths_.pop_front();
    return p;
}

QString TScriptedDialogService::OpenFileName(QWidget*, const QString& caption,
                                             const QString& folder, const QString&) {
    history_.push_back({"open", caption, folder, 0});
    return NextPath();
}

QStringList TScriptedDialogService::OpenFileNames(QWidget*, const QString& caption,
                                                  const QString& folder, const QString&) {
    history_.push_back({"openMany", caption, folder, 0});
    if (pathLists_.empty())
        return {};
    QStringList p = pathLists_.front();
    pathLists_.pop_front();
    return p;
}

QString TScriptedDialogService::SaveFileName(QWidget*, const QString& caption,
                                             const QString& suggested, const QString&) {
    history_.push_back({"save", caption, suggested, 0});
    return NextPath();
}

QString TScriptedDialogService::FolderName(QWidget*, const QString& prompt, const QString& folder) {
    history_.push_back({"folder", prompt, folder, 0});
    return NextPath();
}

bool TScriptedDialogService::ChooseFont(QWidget*, QFont& font, bool fixedPitchOnly) {
    history_.push_back({"font", fixedPitchOnly ? "fixed pitch" : "", font.family(), 0});
    if (fonts_.empty())
        return false;
    auto [accept, chosen] = fonts_.front();
    fonts_.pop_front();
    if (accept)
        font = chosen;
    return accept;
}

bool TScriptedDialogService::PrinterSetup(QWidget*, QPrinter&) {
    history_.push_back({"printer", {}, {}, 0});
    if (printers_.empty())
        return false;
    const bool accept = printers_.front();
    printers_.pop_front();
    return accept;
}

int TScriptedDialogService::ExecModal(QDialog& dialog) {
    history_.push_back({"modal", dialog.windowTitle(), dialog.metaObject()->className(), 0});
    if (modals_.empty())
        return mrCancel;
    auto handler = std::move(modals_.front());
    modals_.pop_front();
    const int result = handler(dialog);
    dialog.setResult(result);
    return result;
}
