// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A label showing the running system's version line, set once when it is made.

#include <QLabel>

class TWinVerLabel : public QLabel {
    Q_OBJECT
public:
    explicit TWinVerLabel(QWidget* parent = nullptr);
};
