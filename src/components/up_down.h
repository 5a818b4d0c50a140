// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An up-down control: a pair of arrow buttons, side by side when horizontal and stacked when vertical, that
// reports the direction of every click. It is no editable number: typing cannot step it, and its position,
// kept within its range, means nothing to the pages. On a horizontal one, up is the right arrow.

#include <QWidget>

class QToolButton;

class UpDown final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Qt::Orientation orientation READ orientation WRITE setOrientation)
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int position READ position WRITE setPosition)
public:
    explicit UpDown(QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return orientation_; }
    void setOrientation(Qt::Orientation orientation);
    int minimum() const { return minimum_; }
    void setMinimum(int minimum);
    int maximum() const { return maximum_; }
    void setMaximum(int maximum);
    int position() const { return position_; }
    void setPosition(int position);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    // Every click of an arrow, also at the end of the range, where the position stays.
    void changingEx(bool up);

private:
    void step(bool up);
    void arrange();

    QToolButton* up_;
    QToolButton* down_;
    Qt::Orientation orientation_ = Qt::Vertical;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};
