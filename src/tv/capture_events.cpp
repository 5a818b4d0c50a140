// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_events.h"

#include "tuner_tools.h"

#include <cerrno>

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
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    while (tools.events && SUCCEEDED(tools.events->GetEvent(&code, &param1, &param2, 0))) {
        // The event's parameters are freed first; a lost device is held here so it can still be compared.
        RefPtr<IUnknown> lost;
        if (code == EC_DEVICE_LOST && param1) {
            lost = RefPtr<IUnknown>(reinterpret_cast<IUnknown*>(param1));
        }
        tools.events->FreeEventParams(code, param1, param2);
        if (code == EC_ERRORABORT) {
            tools.HaltCapture();
            aborted = true;
            busy = busy || static_cast<HRESULT>(param1) == kDeviceBusy;
        } else if (code == EC_DEVICE_LOST && param2 == 0) {
            if (lost && tools.videoCapture && SameObject(lost.get(), tools.videoCapture.get())) {
                tools.HaltCapture();
                tools.ShowGraphError("Stopping Capture/Preview (Device Lost). Select New Capture Device");
                return CaptureEventOutcome::DeviceLost;
            }
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
    return CaptureEventOutcome::None;
}
