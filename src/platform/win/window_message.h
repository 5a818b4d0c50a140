// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Window messages over the Qt event loop: post queues the message behind pending events, send delivers it
// before returning. A window's message handler is its event() override.

#include <QEvent>

#include <cstdint>

class QObject;

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE's low word of wParam.
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

class WindowMessageEvent final : public QEvent {
public:
    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam);

    static QEvent::Type eventType();

    UINT message() const { return message_; }
    WPARAM wParam() const { return wParam_; }
    LPARAM lParam() const { return lParam_; }

    // What the receiver answers to a sent message.
    LRESULT result() const { return result_; }
    void setResult(LRESULT result) { result_ = result; }

private:
    UINT message_;
    WPARAM wParam_;
    LPARAM lParam_;
    LRESULT result_ = 0;
};

// Queues the message for the receiver's thread; safe from any thread. False when there is no receiver.
bool PostMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam);
// Delivers the message now, on the calling (GUI) thread, and returns the receiver's answer.
LRESULT SendMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam);
