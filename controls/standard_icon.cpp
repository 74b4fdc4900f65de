#include "controls/standard_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyleOption>
#include <array>
#include <optional>

namespace {

class TStandardIconEngine : public QIconEngine {
public:
    explicit TStandardIconEngine(QStyle::StandardPixmap which) : which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const QPaintDevice* device = painter->device();
        const qreal ratio = device ? device->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (!SmallCovers(size))
            return Full().pixmap(size, mode, state);
        const QPixmap& small = SmallPixmap(QIcon::Normal);
        if (size == small.size())
            return SmallPixmap(mode);
        // As the style's icon does: the nearest size above, scaled down, then
        // drawn in the mode.
        const QPixmap scaled = small.scaled(small.size().scaled(size, Qt::KeepAspectRatio),
                                            Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return mode == QIcon::Normal ? scaled : InMode(mode, scaled);
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (!SmallCovers(size))
            return Full().actualSize(size, mode, state);
        return SmallPixmap(QIcon::Normal).size().scaled(size, Qt::KeepAspectRatio);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Full().availableSizes(mode, state);
    }

    QIconEngine* clone() const override { return new TStandardIconEngine(*this); }

    QString key() const override { return QStringLiteral("TStandardIconEngine"); }

private:
    // Sizes up to the small pixmap's come from it; larger ones from the full icon.
    bool SmallCovers(const QSize& size) {
        const QPixmap& small = SmallPixmap(QIcon::Normal);
        return !small.isNull() && size.width() <= small.width() && size.height() <= small.height();
    }

    const QPixmap& SmallPixmap(QIcon::Mode mode) {
        auto& slot = small_[static_cast<std::size_t>(mode)];
        if (!slot) {
            if (mode == QIcon::Normal) {
                slot = QApplication::style()->standardPixmap(which_);
            } else {
                slot = InMode(mode, SmallPixmap(QIcon::Normal));
            }
        }
        return *slot;
    }

    static QPixmap InMode(QIcon::Mode mode, const QPixmap& normal) {
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, normal, &option);
    }

    QIcon& Full() {
        if (!full_)
            full_ = QApplication::style()->standardIcon(which_);
        return *full_;
    }

    QStyle::StandardPixmap which_;
    // Normal, Disabled, Active, Selected
    std::array<std::optional<QPixmap>, 4> small_;
    std::optional<QIcon> full_;
};

} // namespace

QIcon StandardIcon(QStyle::StandardPixmap which) {
    return QIcon(new TStandardIconEngine(which));
}
