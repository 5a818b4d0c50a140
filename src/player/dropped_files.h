// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Files dragged onto the program: which of them the Player can open, and what the status line says of the
// rest (folders, and files of no media type).

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

struct DroppedFiles {
    QStringList media;   // local media files, in the order dropped
    QStringList folders; // left out
    QStringList others;  // left out: not local, missing, or of no media type
};

DroppedFiles SortDroppedFiles(const QList<QUrl>& urls);
// Whether a file's type, by its name and its content, is sound or video.
bool IsMediaFile(const QString& path);
// The status line's note on what was left out; empty when nothing was.
QString LeftOutNote(const DroppedFiles& dropped);
