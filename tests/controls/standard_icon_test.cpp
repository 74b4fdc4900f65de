// The style's standard icons loaded one size at a time give the same pixels as
// the style's own icons, in every mode and at every size and pixel ratio.
#include "controls/standard_icon.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

namespace {

QImage Pixels(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage Painted(const QIcon& icon, const QSize& size, QIcon::Mode mode) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, QRect(QPoint(0, 0), size), Qt::AlignCenter, mode);
    return image;
}

} // namespace

TEST(StandardIcon, MatchesTheStylesIconAtEverySizeModeAndRatio) {
    TestApp();
    for (QStyle::StandardPixmap which :
         {QStyle::SP_DirOpenIcon, QStyle::SP_FileDialogToParent, QStyle::SP_FileDialogDetailedView,
          QStyle::SP_DirIcon, QStyle::SP_FileIcon}) {
        SCOPED_TRACE(static_cast<int>(which));
        const QIcon mine = StandardIcon(which);
        const QIcon style = QApplication::style()->standardIcon(which);
        EXPECT_FALSE(mine.isNull());
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
            // Smaller than the small pixmap, equal to it, and larger (the full icon).
            for (int side : {12, 16, 24, 32, 64}) {
                const QSize size(side, side);
                EXPECT_EQ(Pixels(mine.pixmap(size, mode)), Pixels(style.pixmap(size, mode)))
                    << side << " px, mode " << mode;
                EXPECT_EQ(mine.actualSize(size, mode), style.actualSize(size, mode));
                EXPECT_EQ(Painted(mine, size, mode), Painted(style, size, mode));
            }
            // A high-density screen asks for twice the pixels.
            EXPECT_EQ(Pixels(mine.pixmap(QSize(16, 16), 2.0, mode)),
                      Pixels(style.pixmap(QSize(16, 16), 2.0, mode)));
        }
        EXPECT_EQ(mine.availableSizes(), style.availableSizes());
        // Copies share nothing that could go stale.
        const QIcon copy = mine;
        EXPECT_EQ(Pixels(copy.pixmap(16)), Pixels(style.pixmap(16)));
    }
}
