#pragma once
// The fixed-pitch font of hex texts and listings.
#include <QFont>

// "Courier New" (resolved to a metric-compatible mono face where it is not installed).
QFont FixedPitchFont(int pointSize = 10);
