// SPDX-License-Identifier: GPL-2.0-or-later
#include "dropped_files.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace {

// Containers whose type is not filed under audio/ or video/.
constexpr const char* kMediaContainers[] = {"application/ogg", "application/vnd.ms-asf", "application/mxf",
                                            "application/vnd.rn-realmedia"};

bool IsMediaType(const QString& name) {
    if (name.startsWith(QLatin1String("audio/")) || name.startsWith(QLatin1String("video/"))) {
        return true;
    }
    for (const char* container : kMediaContainers) {
        if (name == QLatin1String(container)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsMediaFile(const QString& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (IsMediaType(type.name())) {
        return true;
    }
    const QStringList ancestors = type.allAncestors();
    return std::any_of(ancestors.begin(), ancestors.end(), IsMediaType);
}

DroppedFiles SortDroppedFiles(const QList<QUrl>& urls) {
    DroppedFiles dropped;
    for (const QUrl& url : urls) {
        const QString path =
            url.isLocalFile() ? QFileInfo(url.toLocalFile()).absoluteFilePath() : url.toString();
        const QFileInfo info(path);
        if (url.isLocalFile() && info.isDir()) {
            dropped.folders << path;
        } else if (url.isLocalFile() && info.isFile() && IsMediaFile(path)) {
            dropped.media << path;
        } else {
            dropped.others << path;
        }
    }
    return dropped;
}

QString LeftOutNote(const DroppedFiles& dropped) {
    const qsizetype leftOut = dropped.folders.size() + dropped.others.size();
    if (leftOut == 0) {
        return {};
    }
    if (leftOut > 1) {
        return QStringLiteral("%1 dropped items left out: folders and files that are not media").arg(leftOut);
    }
    if (!dropped.folders.isEmpty()) {
        return QStringLiteral("Folder left out: %1").arg(QFileInfo(dropped.folders.first()).fileName());
    }
    return QStringLiteral("Not a media file, left out: %1").arg(QFileInfo(dropped.others.first()).fileName());
}
