#include "controls/app_error_handler.h"

#include "controls/seams/dialog_service.h"

#include <QString>

void ShowException(const std::exception& e, QWidget* parent) {
    Dialogs().MessageBox(parent, QString::fromUtf8(e.what()), QApplication::applicationName(), mbOK,
                         TMsgDlgType::mtError);
}

TlvApplication::TlvApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TlvApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        Dialogs().MessageBox(nullptr, QStringLiteral("Unexpected error"),
                             QApplication::applicationName(), mbOK, TMsgDlgType::mtError);
    }
    return false;
}
