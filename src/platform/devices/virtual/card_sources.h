#pragma once
// The virtual card's live sources as GStreamer elements of their own, registered with GStreamer like any
// source plug-in, so the card's filters hold a source element as a real card's filter holds v4l2src:
//   corvanetvpicture  videotestsrc (live) ! capsfilter ! corvanefieldsampler ! textoverlay ! videobalance
//                     children "source", "caps", "fields", "overlay" (absent without the text renderer),
//                     "balance"
//   corvanetvsound    audiotestsrc (live) ! capsfilter                                children "source",
//   "caps"
// Both stamp their data with the pipeline clock's running time.

#include <gst/gst.h>

extern const char* const kCardPictureElement;
extern const char* const kCardSoundElement;

// Registers both elements once; false when GStreamer cannot start.
bool RegisterCardSources();

// A child of a card source by its name (a new reference), or null.
GstElement* CardSourcePart(GstElement* source, const char* part);
