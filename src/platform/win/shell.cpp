// SPDX-License-Identifier: GPL-2.0-or-later
#include "shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool DesktopShell::open(const QString& target) {
    // A bare address or a path is turned into a URL the desktop understands; full URLs pass unchanged.
    QUrl url(target, QUrl::StrictMode);
    if (url.scheme().isEmpty()) {
        url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}
