#pragma once
// Where a window of our own opens when it has no stored placement.
#include <QSize>

class QWidget;

// Sizes the window to preferred (smaller on a small screen) and centres it on the
// screen's free area, title bar and frame included, so that nothing hangs below
// the bottom of the screen.
void CenterInFreeArea(QWidget& window, QSize preferred);
