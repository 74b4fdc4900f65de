#include "controls/lv_lcd_meter.h"

#include "model/errors.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TlvLCDmeter::TlvLCDmeter(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    Recompute(true);
}

void TlvLCDmeter::SetPosition(int position) {
    const int clamped = std::clamp(position, min_, max_);
    if (clamped == position_)
        return;
    position_ = clamped;
    if (slot_)
        *slot_ = position_;
    Recompute(false);
    emit OnChange();
}

void TlvLCDmeter::SetRange(int position, int min, int max) {
    if (max < min)
        throw EHrzError("Property Out Of Range");
    min_ = min;
    max_ = max;
    const int clamped = std::clamp(position, min_, max_);
    const bool changed = clamped != position_;
    position_ = clamped;
    Recompute(false);
    if (changed) {
        if (slot_)
            *slot_ = position_;
        emit OnChange();
    }
}

void TlvLCDmeter::SetPipSize(int size) {
    pipSize_ = std::max(size, 2);
    Recompute(true);
}

void TlvLCDmeter::SetOrientation(TLCDOrientation orientation) {
    orientation_ = orientation;
    Recompute(true);
}

void TlvLCDmeter::SetBrightColor(const QColor& color) {
    bright_ = color;
    Recompute(true);
}

void TlvLCDmeter::SetDimColor(const QColor& color) {
    dim_ = color;
    Recompute(true);
}

void TlvLCDmeter::SetColor(const QColor& color) {
    background_ = color;
    Recompute(true);
}

void TlvLCDmeter::Bind(int* slot) {
    slot_ = slot;
    if (slot_) {
        position_ = std::clamp(*slot_, min_, max_);
        Recompute(false);
    }
}

int TlvLCDmeter::PipsAlong() const {
    const int length = orientation_ == TLCDOrientation::lcdVertical ? height() : width();
    return std::clamp(length / pipSize_, 0, MaxPipsAlong);
}

int TlvLCDmeter::PipsAcross() const {
    const int breadth = orientation_ == TLCDOrientation::lcdVertical ? width() : height();
    return std::clamp(breadth / pipSize_, 0, MaxPipsAcross);
}

int TlvLCDmeter::LitCount() const {
    // An empty range lights nothing rather than dividing by zero.
    if (max_ == min_)
        return 0;
    return static_cast<int>(static_cast<long long>(position_ - min_) * PipsAlong() /
                            (static_cast<long long>(max_) - min_));
}

bool TlvLCDmeter::PipLit(int i) const {
    return i >= 0 && i < static_cast<int>(wanted_.size()) &&
           wanted_[static_cast<std::size_t>(i)] == Lit;
}

QRect TlvLCDmeter::PipRect(int along, int across) const {
    // The drawn square leaves one pixel of background between pips.
    const int side = pipSize_ - 1;
    if (orientation_ == TLCDOrientation::lcdVertical)
        return {across * pipSize_, along * pipSize_, side, side};
    return {along * pipSize_, across * pipSize_, side, side};
}

void TlvLCDmeter::Recompute(bool redrawAll) {
    const int along = PipsAlong();
    const int lit = LitCount();
    wanted_.assign(static_cast<std::size_t>(along), Dim);
    for (int i = 0; i < along; ++i) {
        // Vertical meters grow from the bottom, horizontal ones from the left.
        const bool isLit =
            orientation_ == TLCDOrientation::lcdVertical ? i >= along - lit : i < lit;
        wanted_[static_cast<std::size_t>(i)] = isLit ? Lit : Dim;
    }
    if (redrawAll || onScreen_.size() != wanted_.size()) {
        onScreen_.assign(wanted_.size(), Unknown);
        computed_ = wanted_;
        update();
        return;
    }
    if (computed_ == wanted_)
        return;
    computed_ = wanted_;
    QRegion dirty;
    for (int i = 0; i < along; ++i)
        if (wanted_[static_cast<std::size_t>(i)] != onScreen_[static_cast<std::size_t>(i)])
            dirty += PipRect(i, 0).united(PipRect(i, std::max(PipsAcross() - 1, 0)));
    if (!dirty.isEmpty())
        update(dirty);
}

void TlvLCDmeter::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const int along = static_cast<int>(wanted_.size());
    const int across = PipsAcross();
    paintedLastTime_ = 0;
    // Exposed areas need the background; a partial repaint only touches its pips.
    const bool full = event->region().boundingRect().contains(rect());
    if (full) {
        painter.fillRect(rect(), background_);
        std::fill(onScreen_.begin(), onScreen_.end(), Unknown);
    }
    for (int i = 0; i < along; ++i) {
        const QRect row = PipRect(i, 0).united(PipRect(i, std::max(across - 1, 0)));
        if (!event->region().intersects(row))
            continue;
        const auto state = wanted_[static_cast<std::size_t>(i)];
        if (!full && onScreen_[static_cast<std::size_t>(i)] == state)
            continue;
        QColor color = state == Lit ? bright_ : dim_;
        if (!isEnabled())
            color = QColor::fromHsv(color.hsvHue(), color.hsvSaturation() / 4, color.value());
        for (int j = 0; j < across; ++j)
            painter.fillRect(PipRect(i, j), color);
        onScreen_[static_cast<std::size_t>(i)] = state;
        ++paintedLastTime_;
    }
}

void TlvLCDmeter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Recompute(true);
}

void TlvLCDmeter::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        Recompute(true);
}

QSize TlvLCDmeter::sizeHint() const {
    const int across = 5 * pipSize_;
    const int along = 40 * pipSize_;
    return orientation_ == TLCDOrientation::lcdVertical ? QSize(across, along)
                                                        : QSize(along, across);
}

void TlvLCDmeter::PositionFromMouse(const QPoint& point) {
    const int along = PipsAlong();
    if (along <= 0 || !isEnabled())
        return;
    const int pip =
        (orientation_ == TLCDOrientation::lcdVertical ? point.y() : point.x()) / pipSize_;
    // Pips counted from where the bar grows, the one under the pointer included.
    const int lit = orientation_ == TLCDOrientation::lcdVertical ? along - pip : pip + 1;
    const int clampedLit = std::clamp(lit, 0, along);
    const long long span = static_cast<long long>(max_) - min_;
    SetPosition(min_ + static_cast<int>((clampedLit * span + along / 2) / along));
}

void TlvLCDmeter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        PositionFromMouse(event->position().toPoint());
}

void TlvLCDmeter::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        PositionFromMouse(event->position().toPoint());
}
