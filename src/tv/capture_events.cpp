// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_events.h"

#include "tuner_tools.h"

#include <cerrno>
#include <cstdio>

namespace {

constexpr HRESULT kDeviceBusy = HResultFromErrno(EBUSY);

bool SameObject(IUnknown* a, IUnknown* b) {
    const RefPtr<IUnknown> left = query<IUnknown>(a);
    const RefPtr<IUnknown> right = query<IUnknown>(b);
    return left && left == right;
}

} // namespace

CaptureEventOutcome DrainCaptureEvents(TTunerTools& tools) {
    if (!tools.events) {
        return CaptureEventOutcome::None;
    }
    bool aborted = false;
    bool busy = false;
    bool soundStopped = false;
    bool soundLost = false;
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    while (tools.events && SUCCEEDED(tools.events->GetEvent(&code, &param1, &param2, 0))) {
        // The event's parameters are freed first; a lost device is held here so it can still be compared.
        RefPtr<IUnknown> lost;
        if (code == EC_DEVICE_LOST && param1) {
            lost = RefPtr<IUnknown>(reinterpret_cast<IUnknown*>(param1));
        }
        // The sound device failed: the picture, and a recording, go on without it; no box, as nothing
        // needs the user's answer, and the graph reports it once.
        if (code == EC_STREAM_ERROR_STOPPED) {
            soundStopped = true;
            // The later events of a failing device carry no words; they ask for the run again.
            if (const std::string words = StreamErrorWords(param1, param2); !words.empty()) {
                std::fprintf(stderr, "corvane: the TV sound stopped, the picture goes on: %s\n",
                             words.c_str());
            }
        }
        tools.events->FreeEventParams(code, param1, param2);
        if (code == EC_ERRORABORT) {
            // The whole graph stops, also when the recording ran beside the preview: the preview starts
            // afresh after an error, as it does after a recording in a graph of its own.
            if (tools.captureBesidePreview) {
                tools.HaltPreview();
            }
            tools.HaltCapture();
            aborted = true;
            busy = busy || static_cast<HRESULT>(param1) == kDeviceBusy;
        } else if (code == EC_DEVICE_LOST && param2 == 0) {
            if (lost && tools.audioCapture && SameObject(lost.get(), tools.audioCapture.get())) {
                std::fprintf(stderr, "corvane: the TV sound device went away, the picture goes on\n");
                soundLost = true;
            }
            if (lost && tools.videoCapture && SameObject(lost.get(), tools.videoCapture.get())) {
                tools.HaltCapture();
                tools.ShowGraphError("Stopping Capture/Preview (Device Lost). Select New Capture Device");
                return CaptureEventOutcome::DeviceLost;
            }
        }
    }
    // An error cuts short a change of state under way (the graph was still starting): the running graph
    // is asked for again, so the picture goes on.
    if (soundStopped && !aborted && (tools.previewRunning || tools.captureRunning)) {
        if (const RefPtr<IMediaControl> control = query<IMediaControl>(tools.graph)) {
            control->Run();
        }
    }
    if (busy) {
        // Another program took the device between binding and streaming: say so, not just that it failed.
        tools.ShowGraphErrorCode(kDeviceBusy, "Cannot start capture/preview");
        return CaptureEventOutcome::Aborted;
    }
    if (aborted) {
        tools.ShowGraphError("ERROR during capture/preview");
        return CaptureEventOutcome::Aborted;
    }
    return soundStopped || soundLost ? CaptureEventOutcome::SoundStopped : CaptureEventOutcome::None;
}

std::string StreamErrorWords(LONG_PTR param1, LONG_PTR param2) {
    const char* words = reinterpret_cast<const char*>(param2);
    if (!words) {
        return {};
    }
    return *words ? words : FormatMessage(static_cast<HRESULT>(param1));
}
