// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine_setup.h"

#include <cstdlib>
#include <mutex>

bool EnsureGstInitialised() {
    static std::once_flag once;
    static bool initialised = false;
    std::call_once(once,
                   [] { initialised = gst_is_initialized() || gst_init_check(nullptr, nullptr, nullptr); });
    return initialised;
}

namespace {

GstElement* ClockedFakeSink() {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (sink) {
        g_object_set(sink, "sync", TRUE, nullptr);
    }
    return sink;
}

} // namespace

GstElement* MakeAudioSink() {
    EnsureGstInitialised();
    const char* chosen = std::getenv("CORVANE_AUDIO_SINK");
    const char* description = chosen && *chosen ? chosen : "autoaudiosink";
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description_full(description, TRUE, nullptr,
                                                           GST_PARSE_FLAG_NO_SINGLE_ELEMENT_BINS, &error);
    if (error) {
        g_error_free(error);
    }
    return sink ? sink : ClockedFakeSink();
}
