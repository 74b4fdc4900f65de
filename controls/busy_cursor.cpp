#include "controls/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

TBusyCursor::TBusyCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TBusyCursor::~TBusyCursor() {
    QGuiApplication::restoreOverrideCursor();
}
