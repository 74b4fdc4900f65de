#pragma once
// An up-down pair of arrow buttons that steps the whole number shown in its
// buddy edit between two bounds, as the system's up-down control does.
#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QLineEdit* buddy, QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    // The buddy's number (the last position when its text is no number),
    // moved by delta and kept within the bounds.
    void Step(int delta);

    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;

private:
    QLineEdit* buddy_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};
