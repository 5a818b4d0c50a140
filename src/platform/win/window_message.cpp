// SPDX-License-Identifier: GPL-2.0-or-later
#include "window_message.h"

#include <QCoreApplication>
#include <QObject>

WindowMessageEvent::WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
    : QEvent(eventType()), message_(message), wParam_(wParam), lParam_(lParam) {}

QEvent::Type WindowMessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool PostMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!receiver) {
        return false;
    }
    QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

LRESULT SendMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!receiver) {
        return 0;
    }
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &event);
    return event.result();
}
