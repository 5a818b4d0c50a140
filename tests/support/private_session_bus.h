// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A session bus of the test's own (dbus-daemon), made the process's session bus before anything connects to
// one. The address is empty where dbus-daemon is missing.

#include <QProcess>
#include <QString>

class PrivateSessionBus {
public:
    PrivateSessionBus() {
        daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--print-address=1")});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000)) {
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
            qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
        }
    }
    ~PrivateSessionBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};
