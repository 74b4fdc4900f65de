#include "controls/lv_track_bar.h"

TlvTrackBar::TlvTrackBar(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
    // A vertical bar has its minimum at the top, as the unit's editors always had.
    if (orientation == Qt::Vertical) {
        setInvertedAppearance(true);
        setInvertedControls(true);
    }
    setPageStep(4);
    connect(this, &QSlider::valueChanged, this, &TlvTrackBar::PositionChanged);
}

void TlvTrackBar::Bind(int* slot) {
    slot_ = slot;
    if (slot_) {
        const int position = reversed_ ? maximum() - *slot_ : *slot_;
        if (position != value()) {
            quiet_ = true;
            setValue(position);
            quiet_ = false;
            update();
        }
    }
    emit OnChange();
}

void TlvTrackBar::SetReversed(bool reversed) {
    reversed_ = reversed;
}

void TlvTrackBar::SetRange(int min, int max) {
    quiet_ = true;
    setRange(min, max);
    quiet_ = false;
}

int TlvTrackBar::Value() const {
    return ValueAt(value());
}

void TlvTrackBar::SetValue(int value) {
    setValue(reversed_ ? maximum() - value : value);
}

void TlvTrackBar::PositionChanged(int position) {
    if (quiet_)
        return;
    const int v = ValueAt(position);
    if (slot_) {
        if (*slot_ == v)
            return;
        *slot_ = v;
    }
    emit OnChange();
}
