#include "controls/first_paint_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class TFirstPaintProbe : public QObject {
public:
    explicit TFirstPaintProbe(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // After this paint has reached the screen.
            QTimer::singleShot(0, [] {
                std::printf("%s\n", kFirstPaintLine);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget& window_;
    bool seen_ = false;
};

} // namespace

void ExitAtFirstPaintIfAsked(QWidget& window) {
    if (qEnvironmentVariableIsSet(kExitAtFirstPaintVariable))
        new TFirstPaintProbe(window);
}
