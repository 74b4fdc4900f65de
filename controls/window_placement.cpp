#include "controls/window_placement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect OnScreen(QRect client, QMargins frame, QRect screen) {
    const QRect room = screen.marginsRemoved(frame);
    QRect placed(client.topLeft(), client.size().boundedTo(room.size()).expandedTo(QSize(1, 1)));
    if (placed.right() > room.right())
        placed.moveRight(room.right());
    if (placed.bottom() > room.bottom())
        placed.moveBottom(room.bottom());
    if (placed.left() < room.left())
        placed.moveLeft(room.left());
    if (placed.top() < room.top())
        placed.moveTop(room.top());
    return placed;
}

QMargins TypicalFrameMargins() {
    for (const QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || top->windowType() == Qt::Popup)
            continue;
        const QRect frame = top->frameGeometry();
        const QRect inner = top->geometry();
        const QMargins m(inner.left() - frame.left(), inner.top() - frame.top(),
                         frame.right() - inner.right(), frame.bottom() - inner.bottom());
        if (m.top() > 0)
            return m;
    }
    return {4, 30, 4, 4};
}

QRect FreeScreenArea(const QWidget& window) {
    const QScreen* s = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void CascadeOverSiblings(QWidget& window, int step) {
    const QMargins frame = TypicalFrameMargins();
    const QRect room = FreeScreenArea(window).marginsRemoved(frame);
    const auto taken = [&window](QPoint at) {
        for (const QWidget* other : QApplication::topLevelWidgets())
            if (other != &window && other->isVisible() &&
                other->metaObject() == window.metaObject() && other->geometry().topLeft() == at)
                return true;
        return false;
    };
    const QRect screen = FreeScreenArea(window);
    QRect placed = OnScreen(window.geometry(), frame, screen);
    // Bounded: a screen full of windows leaves the last one where it came to.
    for (int n = 1; n < 64 && taken(placed.topLeft()); ++n) {
        QRect next = placed.translated(step, step);
        // No room further down: on from the top again, a step further right.
        if (OnScreen(next, frame, screen).topLeft() != next.topLeft())
            next.moveTopLeft(room.topLeft() + QPoint(step * (n % 8), step * (n / 8 % 4)));
        placed = OnScreen(next, frame, screen);
    }
    window.setGeometry(placed);
}
