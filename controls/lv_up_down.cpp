#include "controls/lv_up_down.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(QLineEdit* buddy, QWidget* parent) : QWidget(parent), buddy_(buddy) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    btnUp = new QToolButton(this);
    btnUp->setObjectName("btnUp");
    btnUp->setArrowType(Qt::UpArrow);
    btnDown = new QToolButton(this);
    btnDown->setObjectName("btnDown");
    btnDown->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {btnUp, btnDown}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
        layout->addWidget(button);
    }
    connect(btnUp, &QToolButton::clicked, this, [this] { Step(1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
}

void TUpDown::Step(int delta) {
    bool ok = false;
    const int shown = buddy_->text().toInt(&ok);
    if (ok)
        position_ = shown;
    position_ =
        static_cast<int>(std::clamp(static_cast<long long>(position_) + delta,
                                    static_cast<long long>(min_), static_cast<long long>(max_)));
    buddy_->setText(QString::number(position_));
}
