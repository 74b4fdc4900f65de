#pragma once
// A group of radio buttons, one per line of Items, bound to one integer of a
// record: the integer holds ItemIndex + DataAddend. Buttons are laid out in
// columns, filling each column top to bottom before the next.
#include <QGroupBox>
#include <QStringList>

#include <vector>

class QRadioButton;

class TlvRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int MaxColumns = 16;

    explicit TlvRadioGroup(QWidget* parent = nullptr);

    const QStringList& Items() const { return items_; }
    // Rebuilds the buttons. A selection beyond the new last line moves to the last
    // line and writes it to the bound slot.
    void SetItems(const QStringList& items);

    int ItemIndex() const { return itemIndex_; }
    // Clamps to -1..count-1, checks the button, writes the slot and fires OnClick.
    void SetItemIndex(int index);

    int Columns() const { return columns_; }
    void SetColumns(int columns); // clamped to 1..16

    int DataAddend() const { return dataAddend_; }
    void SetDataAddend(int addend) { dataAddend_ = addend; }

    // Shows slot - DataAddend as the selection (nullptr unbinds) and fires OnChange
    // and OnClick. A value outside the items shows no selection; the slot keeps it.
    void Bind(int* slot);
    int* BoundSlot() const { return slot_; }

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Button(int i) const { return buttons_.at(static_cast<std::size_t>(i)); }
    // The selected line's text, empty when none.
    QString SelectedText() const;

    // Height of the caption band above the buttons.
    int CaptionHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void OnChange();
    // Binding, a click or a selection set in code.
    void OnClick();
    // A user click that changed the bound value.
    void UserChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ButtonClicked(int i);
    // Checks the selected button without firing anything.
    void ShowSelection();
    void ArrangeButtons();
    void WriteSlot();

    QStringList items_;
    std::vector<QRadioButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    int dataAddend_ = 0;
    int* slot_ = nullptr;
};
