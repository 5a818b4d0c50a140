#include "win_ver_label.h"

#include "winutils.h"

TWinVerLabel::TWinVerLabel(QWidget* parent) : QLabel(parent) {
    setText(GetWindowsVersion());
}
