// SPDX-License-Identifier: GPL-2.0-or-later
#include "window_system_choice.h"

#include <QtGlobal>

namespace {
// Qt tries the platforms of a list in turn: without a working XWayland it still starts on Wayland.
constexpr const char* kXcbFirst = "xcb;wayland";
} // namespace

std::optional<QByteArray> PreferredQtPlatform(const QByteArray& qpaPlatform, const QByteArray& waylandDisplay,
                                              const QByteArray& display) {
    if (!qpaPlatform.isEmpty() || waylandDisplay.isEmpty() || display.isEmpty()) {
        return std::nullopt;
    }
    return QByteArray(kXcbFirst);
}

void PreferXcbInWaylandSession() {
    const auto platform =
        PreferredQtPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    if (platform) {
        qputenv("QT_QPA_PLATFORM", *platform);
    }
}
