// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What TTunerTools asks of the platform beyond the objects it holds: creating the capture graph builder and
// the filter graph, the running object table, and the process id. The program uses the media engine's
// (MakeEngineTunerPlatform); tests hand in their own to make these fail.

#include "platform/media/capture_interfaces.h"

#include <memory>

class TunerPlatform {
public:
    virtual ~TunerPlatform() = default;
    // CoCreateInstance of CLSID_CaptureGraphBuilder2 and CLSID_FilterGraph, in-process.
    virtual HRESULT CreateCaptureGraphBuilder(ICaptureGraphBuilder2** builder) = 0;
    virtual HRESULT CreateFilterGraph(IGraphBuilder** graph) = 0;
    virtual HRESULT GetRunningObjectTable(IRunningObjectTable** table) = 0;
    virtual HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, IMoniker** moniker) = 0;
    virtual DWORD GetCurrentProcessId() = 0;
};

// The media engine's platform (defined in the engine-bound library corvane_tv_platform).
std::unique_ptr<TunerPlatform> MakeEngineTunerPlatform();
