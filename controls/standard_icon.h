#pragma once
// The style's standard icons, loaded one size at a time. The style's own
// icon decodes every size it has (up to 128 px) when it is made, which costs
// milliseconds on the way to the first paint for icons shown at 16 px; this
// one reads the small pixmap when first painted and the full icon only when a
// larger size is asked for. The pixels are the style's in every case.
#include <QIcon>
#include <QStyle>

QIcon StandardIcon(QStyle::StandardPixmap which);
