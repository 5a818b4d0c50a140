// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the capture graph builder asks of a capture device's filter beyond the public interfaces: the card's
// analog front end (crossbars, tuner, TV audio) to bring in front of it, and whether a stream may be
// rendered.

#include "gst_filter.h"

#include <string>
#include <vector>

// One wire of a card's front end: output pin fromPin of filter from into input pin toPin of filter to.
struct AnalogConnection {
    RefPtr<IBaseFilter> from;
    std::wstring fromName; // the name under which from joins the graph
    std::wstring fromPin;
    RefPtr<IBaseFilter> to;
    std::wstring toPin;
};

struct ICaptureDevice : IUnknown {
    static constexpr Guid IID = Guid::of("{4E3C2B1A-7D6F-4A58-9B2C-1F0E3D4C5B6A}");

    // The wires that put the card's front end in front of this filter, nearest the filter first; empty when
    // the device has none. The filters are the same objects on every call.
    virtual std::vector<AnalogConnection> analogFrontEnd() = 0;
    // S_OK when a stream of the pin category may be rendered; the device's refusal otherwise.
    virtual HRESULT canRender(const Guid& category) = 0;
};

// Announces from any thread that the device behind filter is gone: the graph holding element queues
// EC_DEVICE_LOST with the filter as first parameter (a reference the event's FreeEventParams releases).
void PostDeviceLost(GstElement* element, IBaseFilter* filter);
