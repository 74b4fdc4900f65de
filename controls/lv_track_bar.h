#pragma once
// A slider bound to one integer of a record: binding loads it from the integer,
// and a user move writes the integer before the change is reported, so the owner
// needs no copy code of its own.
#include <QSlider>

class TlvTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TlvTrackBar(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

    // Loads the slider from slot (nullptr unbinds) and reports one change, also when
    // the position already matched, so that value labels are refreshed.
    void Bind(int* slot);
    int* BoundSlot() const { return slot_; }

    // When set, the position is Max - value (value 0 sits at the Max end).
    bool Reversed() const { return reversed_; }
    void SetReversed(bool reversed);

    // Changes the range without writing the bound slot (the position is clamped
    // silently); rebind afterwards to show the slot in the new range.
    void SetRange(int min, int max);

    // The value the current position stands for.
    int Value() const;
    // Moves the slider to value as the user would.
    void SetValue(int value);

signals:
    // Binding, or a user move that changed the bound slot (any move when unbound).
    void OnChange();

private:
    void PositionChanged(int position);
    int ValueAt(int position) const { return reversed_ ? maximum() - position : position; }

    int* slot_ = nullptr;
    bool reversed_ = false;
    bool quiet_ = false;
};
