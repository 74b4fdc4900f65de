#include "controls/fixed_font.h"

QFont FixedPitchFont(int pointSize) {
    QFont font(QStringLiteral("Courier New"), pointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}
