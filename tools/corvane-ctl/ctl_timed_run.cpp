// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_timed_run.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cmath>

namespace {

constexpr int kPollMs = 10;
constexpr int kNeverStarted = -1;

} // namespace

bool RunForAfterStart(double seconds, const std::function<bool()>& started, int startMs) {
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (started()) {
            poll.stop();
            if (seconds > 0) {
                // A coarse timer may fire 5 % early, which would cut the span short.
                QTimer::singleShot(static_cast<int>(std::lround(seconds * 1000)), Qt::PreciseTimer, qApp,
                                   [] { QCoreApplication::exit(0); });
            }
        } else if (waited.elapsed() > startMs) {
            QCoreApplication::exit(kNeverStarted);
        }
    });
    poll.start();
    return QCoreApplication::exec() != kNeverStarted;
}
