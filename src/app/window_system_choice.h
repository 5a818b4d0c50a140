// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window and the video window are placed side by side and the main window stays on top. Wayland
// lets no client place its windows or keep them above others; XWayland does. So in a Wayland session that
// also runs an X server the program asks Qt for XCB first, and for Wayland only when XCB cannot start. A
// platform the user chose is kept.

#include <QByteArray>

#include <optional>

// The value for QT_QPA_PLATFORM given the session's variables (empty when unset), or nothing to leave Qt's
// own choice.
std::optional<QByteArray> PreferredQtPlatform(const QByteArray& qpaPlatform, const QByteArray& waylandDisplay,
                                              const QByteArray& display);

// Applies PreferredQtPlatform to this process's environment. Runs before the application object exists.
void PreferXcbInWaylandSession();
