// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_graph_builder.h"

#include "avi_writer.h"
#include "capture_device.h"
#include "running_graphs.h"
#include "smart_tee_filter.h"

#include <deque>
#include <set>

namespace {

bool Matches(const GstPin& pin, const Guid* category, const Guid* type) {
    if (category && pin.category() != *category) {
        return false;
    }
    return !type || MajorTypeOf(pin.kind()) == *type;
}

// The interface on the filter itself or on one of its pins that match.
void* FindOn(GstFilter& filter, const Guid* category, const Guid* type, const Guid& iid, bool pinsToo) {
    void* found = nullptr;
    if (SUCCEEDED(filter.QueryInterface(iid, &found)) && found) {
        return found;
    }
    if (!pinsToo) {
        return nullptr;
    }
    for (const auto& pin : filter.pins()) {
        if (Matches(*pin, category, type) && SUCCEEDED(pin->QueryInterface(iid, &found)) && found) {
            return found;
        }
    }
    return nullptr;
}

// Breadth first through the filters connected on one side, nearest first; the start filter itself excluded.
void* FindAround(GstFilter& start, PIN_DIRECTION side, const Guid& iid) {
    std::set<GstFilter*> seen{&start};
    std::deque<GstFilter*> waiting{&start};
    while (!waiting.empty()) {
        GstFilter* filter = waiting.front();
        waiting.pop_front();
        for (const auto& pin : filter->pins()) {
            if (pin->direction() != side || !pin->peer()) {
                continue;
            }
            GstFilter* next = &pin->peer()->filter();
            if (!seen.insert(next).second) {
                continue;
            }
            if (void* found = FindOn(*next, nullptr, nullptr, iid, true)) {
                return found;
            }
            waiting.push_back(next);
        }
    }
    return nullptr;
}

GstPin* PinNamed(GstFilter& filter, const std::wstring& name) {
    for (const auto& pin : filter.pins()) {
        if (pin->name() == name) {
            return pin.get();
        }
    }
    return nullptr;
}

GstPin* FreePin(GstFilter& filter, PIN_DIRECTION direction, const GstPin* like) {
    for (const auto& pin : filter.pins()) {
        if (pin->direction() == direction && !pin->peer() && (!like || pin->kind() == like->kind())) {
            return pin.get();
        }
    }
    return nullptr;
}

} // namespace

HRESULT CaptureGraphBuilder::SetFiltergraph(IGraphBuilder* graph) {
    if (!graph) {
        return E_POINTER;
    }
    if (graph_) {
        return E_UNEXPECTED;
    }
    auto* engineGraph = dynamic_cast<FilterGraph*>(graph);
    if (!engineGraph) {
        return E_NOINTERFACE;
    }
    graph_ = RefPtr<IGraphBuilder>(graph);
    filterGraph_ = engineGraph;
    return S_OK;
}

HRESULT CaptureGraphBuilder::GetFiltergraph(IGraphBuilder** graph) {
    if (!graph) {
        return E_POINTER;
    }
    *graph = nullptr;
    return graph_ ? CopyOut<IGraphBuilder>(graph_.get(), graph) : E_UNEXPECTED;
}

HRESULT CaptureGraphBuilder::join(GstFilter& filter, const wchar_t* name) {
    if (filter.graph() == filterGraph_) {
        return S_OK;
    }
    return graph_->AddFilter(&filter, name);
}

HRESULT CaptureGraphBuilder::SetOutputFileName(const Guid* type, LPCOLESTR fileName, IBaseFilter** mux,
                                               IFileSinkFilter** sink) {
    if (mux) {
        *mux = nullptr;
    }
    if (sink) {
        *sink = nullptr;
    }
    if (!type || *type != MEDIASUBTYPE_Avi || !fileName || !*fileName) {
        return E_INVALIDARG;
    }
    if (!graph_) {
        return E_UNEXPECTED;
    }
    RefPtr<AviMuxFilter> muxFilter = MakeCom<AviMuxFilter>();
    RefPtr<FileWriterFilter> writer = MakeCom<FileWriterFilter>();
    if (!muxFilter->pins().size()) {
        return VFW_E_CANNOT_CONNECT;
    }
    HRESULT hr = writer->SetFileName(fileName, nullptr);
    if (SUCCEEDED(hr)) {
        hr = join(*muxFilter, L"AVI Mux");
    }
    if (SUCCEEDED(hr)) {
        hr = join(*writer, fileName);
    }
    if (SUCCEEDED(hr)) {
        hr = graph_->ConnectDirect(PinNamed(*muxFilter, L"AVI Out"), PinNamed(*writer, L"in"), nullptr);
    }
    if (FAILED(hr)) {
        graph_->RemoveFilter(writer.get());
        graph_->RemoveFilter(muxFilter.get());
        return hr;
    }
    if (mux) {
        *mux = static_cast<IBaseFilter*>(muxFilter.get());
        (*mux)->AddRef();
    }
    if (sink) {
        *sink = static_cast<IFileSinkFilter*>(writer.get());
        (*sink)->AddRef();
    }
    return S_OK;
}

void CaptureGraphBuilder::bringFrontEnd(GstFilter& filter) {
    RefPtr<ICaptureDevice> device = query<ICaptureDevice>(static_cast<IBaseFilter*>(&filter));
    if (!device || !filterGraph_ || filter.graph() != filterGraph_) {
        return;
    }
    for (const AnalogConnection& wire : device->analogFrontEnd()) {
        GstFilter* from = AsGstFilter(wire.from.get());
        GstFilter* to = AsGstFilter(wire.to.get());
        if (!from || !to || to->graph() != filterGraph_ || FAILED(join(*from, wire.fromName.c_str()))) {
            continue;
        }
        GstPin* output = PinNamed(*from, wire.fromPin);
        GstPin* input = PinNamed(*to, wire.toPin);
        if (output && input && !output->peer() && !input->peer()) {
            graph_->ConnectDirect(output, input, nullptr);
        }
    }
}

HRESULT CaptureGraphBuilder::FindInterface(const Guid* category, const Guid* type, IBaseFilter* filter,
                                           const Guid& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    GstFilter* start = AsGstFilter(filter);
    if (!start) {
        return E_POINTER;
    }
    if (category && *category == LOOK_UPSTREAM_ONLY) {
        *object = FindAround(*start, PINDIR_INPUT, iid);
    } else if (category && *category == LOOK_DOWNSTREAM_ONLY) {
        *object = FindAround(*start, PINDIR_OUTPUT, iid);
    } else {
        bringFrontEnd(*start);
        *object = FindOn(*start, category, type, iid, true);
        if (!*object) {
            *object = FindAround(*start, PINDIR_OUTPUT, iid);
        }
        if (!*object) {
            *object = FindAround(*start, PINDIR_INPUT, iid);
        }
    }
    return *object ? S_OK : E_NOINTERFACE;
}

GstPin* CaptureGraphBuilder::splitCapturePin(GstPin& capture, HRESULT* error) {
    if (capture.peer()) {
        auto* tee = dynamic_cast<SmartTeeFilter*>(&capture.peer()->filter());
        if (tee) {
            GstPin* preview = PinNamed(*tee, L"Preview");
            *error = preview && !preview->peer() ? S_OK : VFW_E_ALREADY_CONNECTED;
            return *error == S_OK ? preview : nullptr;
        }
    }
    RefPtr<SmartTeeFilter> tee = MakeCom<SmartTeeFilter>(capture.kind());
    if (FAILED(*error = join(*tee, SmartTeeName))) {
        return nullptr;
    }
    // A capture pin already rendered keeps its consumer, now behind the tee's capture output.
    GstPin* consumer = capture.peer();
    if (consumer) {
        graph_->Disconnect(&capture);
        graph_->Disconnect(consumer);
    }
    *error = graph_->ConnectDirect(&capture, PinNamed(*tee, L"Input"), nullptr);
    if (SUCCEEDED(*error) && consumer) {
        *error = graph_->ConnectDirect(PinNamed(*tee, L"Capture"), consumer, nullptr);
    }
    if (FAILED(*error)) {
        graph_->RemoveFilter(tee.get());
        return nullptr;
    }
    return PinNamed(*tee, L"Preview");
}

GstPin* CaptureGraphBuilder::sourcePin(GstFilter& filter, const Guid* category, const Guid* type, bool* split,
                                       HRESULT* error) {
    *split = false;
    *error = S_OK;
    bool categoryExists = false;
    for (const auto& pin : filter.pins()) {
        if (pin->direction() != PINDIR_OUTPUT || !Matches(*pin, category, type)) {
            continue;
        }
        categoryExists = true;
        if (!pin->peer()) {
            return pin.get();
        }
        // A capture pin split by a Smart Tee is rendered through the tee's own capture output.
        if (auto* tee = dynamic_cast<SmartTeeFilter*>(&pin->peer()->filter())) {
            GstPin* teeCapture = PinNamed(*tee, L"Capture");
            if (category && *category == PIN_CATEGORY_CAPTURE && teeCapture && !teeCapture->peer()) {
                return teeCapture;
            }
        }
    }
    if (!categoryExists && category && *category == PIN_CATEGORY_PREVIEW) {
        for (const auto& pin : filter.pins()) {
            if (pin->direction() == PINDIR_OUTPUT && Matches(*pin, &PIN_CATEGORY_CAPTURE, type)) {
                *split = true;
                return splitCapturePin(*pin, error);
            }
        }
    }
    *error = categoryExists ? VFW_E_ALREADY_CONNECTED : VFW_E_NOT_FOUND;
    return nullptr;
}

HRESULT CaptureGraphBuilder::connectInto(GstPin*& current, GstFilter& target, const Guid* type) {
    GstPin* input = nullptr;
    auto* mux = dynamic_cast<AviMuxFilter*>(&target);
    if (mux) {
        const bool video = type ? *type == MEDIATYPE_Video : current->kind() != PinKind::Audio;
        input = mux->addInput(current->kind(), video);
    } else {
        input = FreePin(target, PINDIR_INPUT, current);
    }
    if (!input) {
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    const HRESULT hr = graph_->ConnectDirect(current, input, nullptr);
    if (FAILED(hr)) {
        if (mux) {
            mux->dropInput(*input);
        }
        return hr;
    }
    current = FreePin(target, PINDIR_OUTPUT, nullptr);
    return S_OK;
}

HRESULT CaptureGraphBuilder::RenderStream(const Guid* category, const Guid* type, IUnknown* source,
                                          IBaseFilter* intermediate, IBaseFilter* sink) {
    if (!source) {
        return E_POINTER;
    }
    if (!graph_) {
        return E_UNEXPECTED;
    }
    GstPin* current = nullptr;
    bool split = false;
    HRESULT hr = S_OK;
    if (RefPtr<IPin> pin = query<IPin>(source)) {
        current = AsGstPin(pin.get());
        if (!current || current->direction() != PINDIR_OUTPUT || current->peer()) {
            return VFW_E_INVALID_DIRECTION;
        }
    } else if (RefPtr<IBaseFilter> filter = query<IBaseFilter>(source)) {
        GstFilter* own = AsGstFilter(filter.get());
        if (!own || own->graph() != filterGraph_) {
            return VFW_E_NOT_IN_GRAPH;
        }
        if (RefPtr<ICaptureDevice> device = query<ICaptureDevice>(filter)) {
            if (FAILED(hr = device->canRender(category ? *category : Guid{}))) {
                return hr;
            }
        }
        current = sourcePin(*own, category, type, &split, &hr);
        if (!current) {
            return hr;
        }
    } else {
        return E_NOINTERFACE;
    }
    if (GstFilter* step = AsGstFilter(intermediate)) {
        const bool audio = current->kind() == PinKind::Audio;
        if (FAILED(hr = join(*step, audio ? L"Audio Compressor" : L"Video Compressor")) ||
            FAILED(hr = connectInto(current, *step, type))) {
            return hr;
        }
        if (!current) {
            return VFW_E_CANNOT_CONNECT;
        }
    } else if (intermediate) {
        return E_NOINTERFACE;
    }
    if (GstFilter* end = AsGstFilter(sink)) {
        if (end->graph() != filterGraph_) {
            return VFW_E_NOT_IN_GRAPH;
        }
        hr = connectInto(current, *end, type);
    } else if (sink) {
        return E_NOINTERFACE;
    } else if (current->kind() == PinKind::Video || current->kind() == PinKind::Audio) {
        hr = graph_->Render(current);
    } else {
        hr = VFW_E_CANNOT_RENDER;
    }
    if (FAILED(hr)) {
        return hr;
    }
    return split ? VFW_S_NOPREVIEWPIN : S_OK;
}

HRESULT CaptureGraphBuilder::ControlStream(const Guid* category, const Guid* type, IBaseFilter* filter,
                                           REFERENCE_TIME* start, REFERENCE_TIME* stop, WORD startCookie,
                                           WORD stopCookie) {
    if (!graph_) {
        return E_UNEXPECTED;
    }
    std::vector<GstFilter*> devices;
    if (filter) {
        if (GstFilter* own = AsGstFilter(filter)) {
            devices.push_back(own);
        }
    } else {
        // Every capture device in the graph: its sources, not the tees and compressors behind them.
        RefPtr<IEnumFilters> filters;
        graph_->EnumFilters(filters.put());
        RefPtr<IBaseFilter> next;
        while (filters && filters->Next(1, next.put(), nullptr) == S_OK) {
            GstFilter* own = AsGstFilter(next.get());
            if (own && own->role() == FilterRole::Source) {
                devices.push_back(own);
            }
        }
    }
    std::vector<RefPtr<IAMStreamControl>> controls;
    bool uncontrolled = false;
    for (GstFilter* device : devices) {
        for (const auto& pin : device->pins()) {
            if (pin->direction() != PINDIR_OUTPUT || !Matches(*pin, category, type) ||
                pin->category().isNull()) {
                continue;
            }
            if (RefPtr<IAMStreamControl> control = query<IAMStreamControl>(static_cast<IPin*>(pin.get()))) {
                controls.push_back(control);
            } else {
                uncontrolled = true;
            }
        }
    }
    // All or none: a stream left idle while the others start would hold the whole recording back.
    if (uncontrolled) {
        return E_NOTIMPL;
    }
    if (controls.empty()) {
        return E_FAIL;
    }
    for (const auto& control : controls) {
        control->StartAt(start, startCookie);
        control->StopAt(stop, FALSE, stopCookie);
    }
    DumpRunningGraphs();
    return S_OK;
}
