// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A receiver of posted window messages that is no window: a library without widgets gets a graph's
// notifications on its own thread, as a window would, instead of looking for them on a timer.

#include "window_message.h"

#include <QObject>

#include <functional>

class MessageReceiver final : public QObject {
public:
    using Handler = std::function<void(const WindowMessageEvent& message)>;

    explicit MessageReceiver(Handler handler) : handler_(std::move(handler)) {}

protected:
    bool event(QEvent* event) override;

private:
    Handler handler_;
};
