// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the owner of a TTunerTools does when the graph posts CaptureNotifyMessage: drain the graph's events,
// stop a recording that failed, and say why. The TV page and corvane-ctl both handle the message with this.

#include "platform/media/gst/control_interfaces.h"

#include <string>

class TTunerTools;

enum class CaptureEventOutcome {
    // Nothing that stops the graph.
    None,
    // An error aborted the graph: the recording was halted and "ERROR during capture/preview" shown, or,
    // when the device refused to stream because another program holds it (EC_ERRORABORT carrying
    // HResultFromErrno(EBUSY)), "Cannot start capture/preview" with the device-busy text. The owner restores
    // its idle state (the page's stop handler).
    Aborted,
    // The video capture device went away: the recording was halted and the device-lost message shown.
    DeviceLost,
    // The sound device failed or went away. It stops nothing: the picture and a recording go on, and one
    // line on standard error says so. Only who listens to the sound alone ends on it.
    SoundStopped,
};

// The words for EC_STREAM_ERROR_STOPPED: the source's own (param2), else the result code's text (param1).
// Empty for a later event of the same failure, which carries no words: the failure was told already.
std::string StreamErrorWords(LONG_PTR param1, LONG_PTR param2);

CaptureEventOutcome DrainCaptureEvents(TTunerTools& tools);

// Whether the outcome stopped the graph: the sound device stopping leaves it running.
constexpr bool StopsTheGraph(CaptureEventOutcome outcome) {
    return outcome == CaptureEventOutcome::Aborted || outcome == CaptureEventOutcome::DeviceLost;
}
