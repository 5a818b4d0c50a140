// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Keeps the desktop's screensaver off while a picture is watched, through org.freedesktop.ScreenSaver on the
// session bus. Calls never wait: a slow service cannot hold up the window, and where there is no service (or
// no bus) nothing happens and nothing is said.

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;

class ScreenSaverInhibitor final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ServiceName = "org.freedesktop.ScreenSaver";
    static constexpr const char* ObjectPath = "/org/freedesktop/ScreenSaver";
    static constexpr const char* Interface = "org.freedesktop.ScreenSaver";

    explicit ScreenSaverInhibitor(QDBusConnection bus, QString applicationName, QObject* parent = nullptr);
    // An inhibition still held is released.
    ~ScreenSaverInhibitor() override;

    // Asks for the inhibition (with the reason the desktop may show) or gives it up. Asking again while it is
    // held or asked for changes nothing.
    void setInhibited(bool inhibited, const QString& reason = {});
    // The service granted an inhibition that is not released yet.
    bool held() const { return cookie_.has_value(); }
    // A request is on its way and not answered yet.
    bool pending() const { return pending_ != nullptr; }

private:
    void inhibitAnswered(QDBusPendingCallWatcher* watcher);
    void release();

    QDBusConnection bus_;
    QString applicationName_;
    bool wanted_ = false;
    QDBusPendingCallWatcher* pending_ = nullptr;
    std::optional<uint> cookie_;
};
