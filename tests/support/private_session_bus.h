// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A session bus of the test's own (dbus-daemon), made the process's session bus before anything connects to
// one. The address is empty where dbus-daemon is missing.

#include <gtest/gtest.h>

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

// A test suite on a private session bus of its own, started once for the suite; every test is skipped where
// dbus-daemon is missing. address is the bus's address.
class PrivateSessionBusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus = new PrivateSessionBus;
        address = bus->address();
    }
    static void TearDownTestSuite() {
        delete bus;
        bus = nullptr;
    }
    void SetUp() override {
        if (address.isEmpty()) {
            GTEST_SKIP() << "no dbus-daemon to run a private session bus (Debian package dbus)";
        }
    }

    static inline PrivateSessionBus* bus = nullptr;
    static inline QString address;
};
