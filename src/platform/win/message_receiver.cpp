// SPDX-License-Identifier: GPL-2.0-or-later
#include "message_receiver.h"

bool MessageReceiver::event(QEvent* event) {
    if (event->type() != WindowMessageEvent::eventType()) {
        return QObject::event(event);
    }
    if (handler_) {
        handler_(*static_cast<WindowMessageEvent*>(event));
    }
    return true;
}
