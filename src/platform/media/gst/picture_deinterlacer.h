#pragma once
// The deinterlacer in front of every video renderer: GStreamer's deinterlace in its automatic mode, which
// passes progressive pictures through untouched and deinterlaces only what the caps say is interlaced.

#include <gst/gst.h>

#include <string>

class VideoRenderer;

// A new deinterlace element set to the program's current choice (DefaultDeinterlace) that follows every
// choice later put to the renderer. The renderer must outlive the element's use of it.
GstElement* MakeDeinterlacer(VideoRenderer& renderer);
// Sets an element to a choice: "off" runs it in passthrough, a method's nick selects that method.
void ApplyDeinterlace(GstElement* deinterlace, const std::string& choice);
