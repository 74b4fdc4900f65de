#include "app/unit_store.h"

QString LocationText(int bank, int number) {
    const QString digits = QString("%1").arg(number, 3, 10, QChar('0'));
    if (bank < 0 || bank > 3)
        return digits;
    return QString(QChar('A' + bank)) + " " + digits;
}
