#pragma once
// Process-wide setup of the media engine: GStreamer itself and the choice of audio output.

#include <gst/gst.h>

// Initialises GStreamer once; safe to call from anywhere on the GUI thread.
void EnsureGstInitialised();

// The audio output element: CORVANE_AUDIO_SINK (an element or a pipeline description such as
// "fakesink sync=true") when set, otherwise the system's default output, which falls back to a clocked fake
// sink where no sound device exists.
GstElement* MakeAudioSink();
