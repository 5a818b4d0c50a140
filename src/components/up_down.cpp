// SPDX-License-Identifier: GPL-2.0-or-later
#include "up_down.h"

#include <QBoxLayout>
#include <QToolButton>

#include <algorithm>

UpDown::UpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    for (QToolButton* button : {up_, down_}) {
        // Held down, an arrow repeats like the platform's up-down.
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    connect(up_, &QToolButton::clicked, this, [this] { step(true); });
    connect(down_, &QToolButton::clicked, this, [this] { step(false); });
    arrange();
}

void UpDown::setOrientation(Qt::Orientation orientation) {
    orientation_ = orientation;
    arrange();
}

void UpDown::setMinimum(int minimum) {
    minimum_ = minimum;
    maximum_ = std::max(maximum_, minimum_);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDown::setMaximum(int maximum) {
    maximum_ = maximum;
    minimum_ = std::min(minimum_, maximum_);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::step(bool up) {
    setPosition(position_ + (up ? 1 : -1));
    emit changingEx(up);
}

void UpDown::arrange() {
    delete layout();
    const bool horizontal = orientation_ == Qt::Horizontal;
    up_->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
    down_->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
    auto* box = new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    // Reading order: left before right, up above down.
    box->addWidget(horizontal ? down_ : up_);
    box->addWidget(horizontal ? up_ : down_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}
