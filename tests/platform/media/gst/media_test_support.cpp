// SPDX-License-Identifier: GPL-2.0-or-later
#include "media_test_support.h"

#include <gst/gst.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

void UseFakeAudioOutput(const char* description) {
    qputenv("CORVANE_AUDIO_SINK", description);
}

bool RunToFile(const QString& description, const QString& path) {
    if (!gst_is_initialized()) {
        gst_init(nullptr, nullptr);
    }
    const QString launch = description + QStringLiteral(" ! filesink location=\"%1\"").arg(path);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(launch.toUtf8().constData(), &error);
    if (error) {
        g_error_free(error);
        if (pipeline) {
            gst_object_unref(pipeline);
        }
        return false;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool done = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) {
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return done && QFile::exists(path);
}

QString WriteAudioFile(const QString& path, double seconds) {
    const int buffers = int(seconds * 10);
    return RunToFile(QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=4410 ! "
                                    "audio/x-raw,rate=44100,channels=2,format=S16LE ! wavenc")
                         .arg(buffers),
                     path)
               ? path
               : QString();
}

QString WriteVideoFile(const QString& path, int width, int height, int frames, const QString& frameRate) {
    return RunToFile(
               QStringLiteral("videotestsrc num-buffers=%1 ! video/x-raw,width=%2,height=%3,framerate=%4 ! "
                              "jpegenc ! avimux")
                   .arg(frames)
                   .arg(width)
                   .arg(height)
                   .arg(frameRate),
               path)
               ? path
               : QString();
}

QString WriteVideoWithSoundFile(const QString& path, int width, int height, double seconds) {
    const QString description =
        QStringLiteral(
            "videotestsrc num-buffers=%1 ! video/x-raw,width=%2,height=%3,framerate=25/1 ! jpegenc ! "
            "avimux name=mux audiotestsrc num-buffers=%4 samplesperbuffer=4410 ! "
            "audio/x-raw,rate=44100,channels=2,format=S16LE ! mux. mux.")
            .arg(int(seconds * 25))
            .arg(width)
            .arg(height)
            .arg(int(seconds * 10));
    return RunToFile(description, path) ? path : QString();
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return condition();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}
