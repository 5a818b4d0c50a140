// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Process-wide setup of the media engine: GStreamer itself and the choice of audio output.

#include <gst/gst.h>

// Initialises GStreamer once; safe to call from any thread. False when GStreamer cannot start (no plug-in
// registry can be built, for instance), so callers list no devices instead of aborting.
bool EnsureGstInitialised();

// The audio output element: CORVANE_AUDIO_SINK (an element or a pipeline description such as
// "fakesink sync=true") when set, otherwise the system's default output, which falls back to a clocked fake
// sink where no sound device exists.
GstElement* MakeAudioSink();
