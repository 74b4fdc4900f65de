#pragma once
// Where a window of our own goes on the screen: all of it, the frame the
// window system draws around it included, so that its title bar can always be
// reached and nothing hangs off an edge.
#include <QMargins>
#include <QRect>

class QWidget;

// The window's own area (client) moved, and made smaller where the screen is,
// so that with frame around it, it lies inside screen.
QRect OnScreen(QRect client, QMargins frame, QRect screen);

// The frame around a shown top-level window of this program, as the window
// system drew it; a usual title bar and border before any window is shown.
QMargins TypicalFrameMargins();

// The free area of the screen window is on (or the primary screen).
QRect FreeScreenArea(const QWidget& window);

// Moves window down and right in steps while another shown window of the same
// kind (same class) lies exactly where it is, back to the top left of the
// screen when a step would leave it; so new windows never hide each other.
void CascadeOverSiblings(QWidget& window, int step = 28);
