#include "controls/screen_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void CenterInFreeArea(QWidget& window, QSize preferred) {
    constexpr int kFrameAllowance = 40;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size(std::min(preferred.width(), free.width()),
                     std::min(preferred.height(), free.height() - kFrameAllowance));
    window.resize(size);
    window.move(free.x() + (free.width() - size.width()) / 2,
                free.y() + std::max(0, (free.height() - kFrameAllowance - size.height()) / 2));
}
