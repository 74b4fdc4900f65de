#pragma once
// The application's default error handler: an exception that escapes an
// event handler is shown in a message box with its text, under the
// application title, and the program carries on.
#include <QApplication>
#include <exception>

class QWidget;

// Shows the error text of e the way the default handler does.
void ShowException(const std::exception& e, QWidget* parent = nullptr);

class TlvApplication : public QApplication {
    Q_OBJECT
public:
    TlvApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs action; an exception it throws is shown by ShowException instead of
// leaving the caller. Returns false when an exception was shown.
template <typename Action> bool RunShowingErrors(Action&& action, QWidget* parent = nullptr) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        ShowException(e, parent);
    }
    return false;
}
