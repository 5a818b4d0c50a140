// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the owner of a TTunerTools does when the graph posts CaptureNotifyMessage: drain the graph's events,
// stop a recording that failed, and say why. The TV page and corvane-ctl both handle the message with this.

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
    // (The sound device's failure or loss stops nothing: one line on standard error says so.)
    DeviceLost,
};

CaptureEventOutcome DrainCaptureEvents(TTunerTools& tools);
