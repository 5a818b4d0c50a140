// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The capture graph builder over the engine's filter graph: finds a device's interfaces on it, its pins and
// the filters around it (bringing a card's front end into the graph), renders capture and preview streams,
// makes the AVI multiplexer and file writer, and schedules the capture streams.

#include "filter_graph.h"

class CaptureGraphBuilder final : public ComObject<ICaptureGraphBuilder2> {
public:
    HRESULT SetFiltergraph(IGraphBuilder* graph) override;
    HRESULT GetFiltergraph(IGraphBuilder** graph) override;
    HRESULT SetOutputFileName(const Guid* type, LPCOLESTR fileName, IBaseFilter** mux,
                              IFileSinkFilter** sink) override;
    HRESULT FindInterface(const Guid* category, const Guid* type, IBaseFilter* filter, const Guid& iid,
                          void** object) override;
    HRESULT RenderStream(const Guid* category, const Guid* type, IUnknown* source, IBaseFilter* intermediate,
                         IBaseFilter* sink) override;
    HRESULT ControlStream(const Guid* category, const Guid* type, IBaseFilter* filter, REFERENCE_TIME* start,
                          REFERENCE_TIME* stop, WORD startCookie, WORD stopCookie) override;

private:
    void bringFrontEnd(GstFilter& filter);
    // The source pin of a stream: the filter's free output of the category and type, through a Smart Tee
    // when a preview is asked of a device that has none (split set then).
    GstPin* sourcePin(GstFilter& filter, const Guid* category, const Guid* type, bool* split, HRESULT* error);
    GstPin* splitCapturePin(GstPin& capture, HRESULT* error);
    HRESULT join(GstFilter& filter, const wchar_t* name);
    HRESULT connectInto(GstPin*& current, GstFilter& target, const Guid* type);

    RefPtr<IGraphBuilder> graph_;
    FilterGraph* filterGraph_ = nullptr;
};
