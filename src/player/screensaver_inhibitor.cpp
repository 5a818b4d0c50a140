// SPDX-License-Identifier: GPL-2.0-or-later
#include "screensaver_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

// A service that does not answer by then counts as missing.
constexpr int kReplyTimeoutMs = 2000;

QDBusMessage screenSaverCall(const char* method) {
    return QDBusMessage::createMethodCall(QString::fromLatin1(ScreenSaverInhibitor::ServiceName),
                                          QString::fromLatin1(ScreenSaverInhibitor::ObjectPath),
                                          QString::fromLatin1(ScreenSaverInhibitor::Interface),
                                          QString::fromLatin1(method));
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, QString applicationName, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), applicationName_(std::move(applicationName)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    // An answer still on its way is not waited for: the desktop drops the inhibitions of a client that leaves
    // the bus, and closing must not hang on a slow service.
    release();
}

void ScreenSaverInhibitor::setInhibited(bool inhibited, const QString& reason) {
    wanted_ = inhibited;
    if (!inhibited) {
        release();
        return;
    }
    if (held() || pending() || !bus_.isConnected()) {
        return;
    }
    QDBusMessage call = screenSaverCall("Inhibit");
    call << applicationName_ << reason;
    pending_ = new QDBusPendingCallWatcher(bus_.asyncCall(call, kReplyTimeoutMs), this);
    connect(pending_, &QDBusPendingCallWatcher::finished, this, &ScreenSaverInhibitor::inhibitAnswered);
}

void ScreenSaverInhibitor::inhibitAnswered(QDBusPendingCallWatcher* watcher) {
    pending_ = nullptr;
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        return; // no screensaver service: the program goes on without one
    }
    cookie_ = reply.value();
    // Given up while the answer was on its way.
    if (!wanted_) {
        release();
    }
}

void ScreenSaverInhibitor::release() {
    if (!cookie_) {
        return;
    }
    QDBusMessage call = screenSaverCall("UnInhibit");
    call << *cookie_;
    cookie_.reset();
    bus_.call(call, QDBus::NoBlock);
}
