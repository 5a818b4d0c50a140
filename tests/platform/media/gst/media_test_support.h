// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Media files made for the tests by GStreamer itself, and bounded waits that keep the Qt event loop running.

#include <QString>
#include <QTemporaryDir>

#include <functional>

// Plays tests' sound into a clocked fake sink, so playback runs at real speed without a sound device.
void UseFakeAudioOutput(const char* description = "fakeaudiosink");

struct GeneratedMedia {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

// Each returns the file's path, or an empty string when the encoder chain is not installed.
QString WriteAudioFile(const QString& path, double seconds); // WAV, 44.1 kHz stereo
QString WriteVideoFile(const QString& path, int width, int height, int frames, const QString& frameRate);
QString WriteVideoWithSoundFile(const QString& path, int width, int height, double seconds); // AVI, 25 fps
// Runs "DESCRIPTION ! filesink location=PATH" to its end.
bool RunToFile(const QString& description, const QString& path);

// Processes events until the condition holds or the time runs out; returns the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
