// SPDX-License-Identifier: GPL-2.0-or-later
#include "win_ver_label.h"

#include "winutils.h"

TWinVerLabel::TWinVerLabel(QWidget* parent) : QLabel(parent) {
    setText(GetWindowsVersion());
}
