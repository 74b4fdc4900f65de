#pragma once
// A painted level meter of square pips, optionally bound to one integer of a
// record. It keeps the pip states it wants, last computed and last painted, so a
// change of position repaints only the pips whose state changed.
#include <QColor>
#include <QWidget>

#include <vector>

enum class TLCDOrientation { lcdHorizontal, lcdVertical };

class TlvLCDmeter : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxPipsAlong = 256;
    static constexpr int MaxPipsAcross = 10;

    explicit TlvLCDmeter(QWidget* parent = nullptr);

    int Position() const { return position_; }
    // Clamps to Min..Max; a change writes the bound slot and fires OnChange.
    void SetPosition(int position);
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMin(int min) { SetRange(position_, min, max_); }
    void SetMax(int max) { SetRange(position_, min_, max); }
    // Throws EHrzError "Property Out Of Range" when max < min, keeping the old range.
    void SetRange(int position, int min, int max);

    int PipSize() const { return pipSize_; }
    void SetPipSize(int size); // below 2 counts as 2
    TLCDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TLCDOrientation orientation);

    QColor BrightColor() const { return bright_; }
    QColor DimColor() const { return dim_; }
    QColor Color() const { return background_; }
    void SetBrightColor(const QColor& color);
    void SetDimColor(const QColor& color);
    void SetColor(const QColor& color);

    // Shows the slot's value (clamped) without writing it; nullptr unbinds.
    void Bind(int* slot);
    int* BoundSlot() const { return slot_; }

    int PipsAlong() const;
    int PipsAcross() const;
    // Pips lit along the meter for the current position.
    int LitCount() const;
    // Whether pip i along the meter (0 = top or left) is lit.
    bool PipLit(int i) const;
    // Pips painted by the last paint (for checking partial repaints).
    int PipsPaintedLastTime() const { return paintedLastTime_; }

    QSize sizeHint() const override;

signals:
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    enum TPip : unsigned char { Dim = 0, Lit = 1, Unknown = 2 };

    // Recomputes the wanted states and asks to repaint the pips that differ from
    // the screen (all of them when everything must be redrawn).
    void Recompute(bool redrawAll);
    QRect PipRect(int along, int across) const;
    void PositionFromMouse(const QPoint& point);

    int position_ = 0;
    int min_ = 0;
    int max_ = 10;
    int pipSize_ = 3;
    TLCDOrientation orientation_ = TLCDOrientation::lcdVertical;
    QColor bright_{0, 255, 255};
    QColor dim_{0, 0, 128};
    QColor background_{0, 0, 0};
    int* slot_ = nullptr;

    // Pip states along the meter (every pip across a row shares its state).
    std::vector<TPip> wanted_;
    std::vector<TPip> computed_;
    std::vector<TPip> onScreen_;
    int paintedLastTime_ = 0;
};
