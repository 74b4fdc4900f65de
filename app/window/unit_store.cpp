#include "app/window/unit_store.h"

#include "model/unit_location.h"

QString LocationText(int bank, int number) {
    return QString::fromStdString(PresetLocationText(bank, number));
}
