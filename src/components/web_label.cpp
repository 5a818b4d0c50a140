// SPDX-License-Identifier: GPL-2.0-or-later
#include "web_label.h"

#include "platform/win/shell.h"

#include <QMouseEvent>

TWebLabel::TWebLabel(Shell& shell, QWidget* parent) : QLabel(parent), shell_(shell) {
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    setPalette(linkPalette);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setText(QString::fromLatin1(kContactAddress));
    file_ = QStringLiteral("mailto:") + QString::fromLatin1(kContactAddress);
}

void TWebLabel::OnLabelClick() {
    shell_.open(file_);
}

void TWebLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        OnLabelClick();
    }
}
