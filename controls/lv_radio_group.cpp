#include "controls/lv_radio_group.h"

#include <QEvent>
#include <QRadioButton>

#include <algorithm>

TlvRadioGroup::TlvRadioGroup(QWidget* parent) : QGroupBox(parent) {
    // Sized to its buttons: a wider group would only spread them apart.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TlvRadioGroup::SetItems(const QStringList& items) {
    items_ = items;
    for (QRadioButton* b : buttons_)
        delete b;
    buttons_.clear();
    for (int i = 0; i < items_.size(); ++i) {
        auto* button = new QRadioButton(items_[i], this);
        connect(button, &QRadioButton::clicked, this, [this, i] { ButtonClicked(i); });
        buttons_.push_back(button);
        button->show();
    }
    if (itemIndex_ >= ButtonCount()) {
        itemIndex_ = ButtonCount() - 1;
        WriteSlot();
    }
    ShowSelection();
    ArrangeButtons();
    updateGeometry();
}

void TlvRadioGroup::SetItemIndex(int index) {
    itemIndex_ = std::clamp(index, -1, ButtonCount() - 1);
    ShowSelection();
    WriteSlot();
    emit OnClick();
}

void TlvRadioGroup::SetColumns(int columns) {
    columns_ = std::clamp(columns, 1, MaxColumns);
    ArrangeButtons();
    updateGeometry();
}

void TlvRadioGroup::Bind(int* slot) {
    slot_ = slot;
    if (slot_) {
        const long long index = static_cast<long long>(*slot_) - dataAddend_;
        itemIndex_ = index >= 0 && index < ButtonCount() ? static_cast<int>(index) : -1;
    }
    ShowSelection();
    emit OnChange();
    emit OnClick();
}

QString TlvRadioGroup::SelectedText() const {
    return itemIndex_ >= 0 ? items_[itemIndex_] : QString();
}

void TlvRadioGroup::ButtonClicked(int i) {
    const int before = slot_ ? *slot_ : 0;
    itemIndex_ = i;
    ShowSelection();
    WriteSlot();
    emit OnClick();
    if (!slot_ || *slot_ != before)
        emit UserChanged();
}

void TlvRadioGroup::ShowSelection() {
    for (int i = 0; i < ButtonCount(); ++i) {
        QRadioButton* b = buttons_[static_cast<std::size_t>(i)];
        if (i == itemIndex_) {
            b->setChecked(true);
        } else if (b->isChecked()) {
            // Exclusive buttons refuse to be unchecked while they are the checked one.
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
    }
}

void TlvRadioGroup::WriteSlot() {
    // No selection stores nothing: the record keeps a value the items cannot show.
    if (slot_ && itemIndex_ >= 0)
        *slot_ = itemIndex_ + dataAddend_;
}

int TlvRadioGroup::CaptionHeight() const {
    // The caption's band at the top as the style draws it (at least the text).
    return std::max(contentsRect().top() - 1, fontMetrics().height());
}

void TlvRadioGroup::ArrangeButtons() {
    const int n = ButtonCount();
    if (n == 0)
        return;
    const int rows = (n + columns_ - 1) / columns_;
    const int textHeight = CaptionHeight();
    const int inner = height() - textHeight - 5;
    const int buttonWidth = (width() - 10) / columns_;
    const int rowHeight = std::max(inner / rows, 1);
    const int top = (inner % rows) / 2 + textHeight + 1;
    for (int i = 0; i < n; ++i) {
        const int column = i / rows;
        const int row = i % rows;
        buttons_[static_cast<std::size_t>(i)]->setGeometry(
            column * buttonWidth + 8, row * rowHeight + top, buttonWidth, rowHeight);
    }
}

QSize TlvRadioGroup::sizeHint() const {
    const int n = std::max(ButtonCount(), 1);
    const int rows = (n + columns_ - 1) / columns_;
    int widest = fontMetrics().horizontalAdvance(title()) + 10;
    int buttonHeight = fontMetrics().height() + 4;
    for (QRadioButton* b : buttons_) {
        widest = std::max(widest, b->sizeHint().width() + 4);
        buttonHeight = std::max(buttonHeight, b->sizeHint().height());
    }
    return {columns_ * widest + 12, CaptionHeight() + 8 + rows * buttonHeight};
}

void TlvRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    ArrangeButtons();
}

void TlvRadioGroup::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        ArrangeButtons();
        updateGeometry();
    }
}
