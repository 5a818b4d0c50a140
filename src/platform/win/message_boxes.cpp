// SPDX-License-Identifier: GPL-2.0-or-later
#include "message_boxes.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

MessageResult QtMessageBoxes::show(QWidget* owner, const QString& text, const QString& caption,
                                   MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(toQtIcon(icon), caption, text, toQtButtons(buttons), owner);
    // Task-modal, like the platform's boxes: the rest of the program waits for the answer.
    box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return MessageResult::Cancel;
    case QMessageBox::Yes:
        return MessageResult::Yes;
    case QMessageBox::No:
        return MessageResult::No;
    default:
        return MessageResult::Ok;
    }
}

MessageResult RecordingMessageBoxes::show(QWidget*, const QString& text, const QString& caption,
                                          MessageIcon icon, MessageButtons buttons) {
    shown_.push_back({text, caption, icon});
    if (buttons == MessageButtons::YesNo && answer_ == MessageResult::Ok) {
        return MessageResult::Yes;
    }
    return answer_;
}
