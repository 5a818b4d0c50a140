// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_event_window.h"

#include "platform/win/window_message.h"
#include "tv/tuner_tools.h"

#include <QCoreApplication>
#include <QEvent>

bool CaptureEventWindow::event(QEvent* event) {
    if (event->type() == WindowMessageEvent::eventType() &&
        static_cast<WindowMessageEvent*>(event)->message() == CaptureNotifyMessage) {
        if (tools_) {
            const CaptureEventOutcome result = DrainCaptureEvents(*tools_);
            const bool ends =
                StopsTheGraph(result) || (result == CaptureEventOutcome::SoundStopped && endsWhenSoundStops);
            if (ends) {
                outcome = result;
                QCoreApplication::exit(1);
            }
        }
        return true;
    }
    if (event->type() == QEvent::Close) {
        interrupted = true;
        QCoreApplication::exit(0);
        return true;
    }
    return QWidget::event(event);
}
