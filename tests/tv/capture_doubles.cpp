// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_doubles.h"

#include <algorithm>

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::string StreamName(const Guid* category, const Guid* type) {
    const std::string pin = category && *category == PIN_CATEGORY_PREVIEW ? "preview" : "capture";
    const std::string media = type && *type == MEDIATYPE_Audio ? "audio" : "video";
    return pin + " " + media;
}

} // namespace

HRESULT FakePin::ConnectedTo(IPin** pin) {
    if (!peer) {
        *pin = nullptr;
        return VFW_E_NOT_CONNECTED;
    }
    return CopyOut(static_cast<IPin*>(peer), pin);
}

HRESULT FakePin::QueryPinInfo(PIN_INFO* info) {
    info->pFilter = owner_;
    owner_->AddRef();
    info->dir = direction_;
    return S_OK;
}

HRESULT FakePin::Get(const Guid& set, DWORD id, void*, DWORD, void* data, DWORD length, DWORD* returned) {
    if (set != AMPROPSETID_Pin || id != AMPROPERTY_PIN_CATEGORY || length < sizeof(Guid) ||
        category_.isNull()) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *static_cast<Guid*>(data) = category_;
    *returned = sizeof(Guid);
    return S_OK;
}

void Link(FakePin* output, FakePin* input) {
    output->peer = input;
    input->peer = output;
}

FakeCrossbar::FakeCrossbar(std::string name, std::vector<PinSpec> inputs, std::vector<PinSpec> outputs,
                           CallLog& log)
    : FakeFilterOf(std::move(name)), inputs_(std::move(inputs)), outputs_(std::move(outputs)), log_(log) {
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
        addPin(PINDIR_INPUT);
    }
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        addPin(PINDIR_OUTPUT);
    }
}

HRESULT FakeCrossbar::get_PinCounts(LONG* outputs, LONG* inputs) {
    *outputs = static_cast<LONG>(outputs_.size());
    *inputs = static_cast<LONG>(inputs_.size());
    return S_OK;
}

HRESULT FakeCrossbar::CanRoute(LONG output, LONG input) {
    if (output < 0 || input < 0 || output >= static_cast<LONG>(outputs_.size()) ||
        input >= static_cast<LONG>(inputs_.size())) {
        return E_INVALIDARG;
    }
    return std::find(refused.begin(), refused.end(), std::make_pair(output, input)) == refused.end()
               ? S_OK
               : S_FALSE;
}

HRESULT FakeCrossbar::Route(LONG output, LONG input) {
    log_.push_back(name + " Route " + std::to_string(output) + " " + std::to_string(input));
    return CanRoute(output, input) == S_OK ? S_OK : VFW_E_CANNOT_CONNECT;
}

HRESULT FakeCrossbar::get_CrossbarPinInfo(BOOL isInput, LONG index, LONG* related, LONG* physicalType) {
    const auto& list = isInput ? inputs_ : outputs_;
    if (index < 0 || index >= static_cast<LONG>(list.size())) {
        return E_INVALIDARG;
    }
    *related = list[static_cast<std::size_t>(index)].related;
    *physicalType = list[static_cast<std::size_t>(index)].type;
    return S_OK;
}

FakeStreamConfig::FakeStreamConfig(std::string name, CallLog& log, LONG width, LONG height, Guid major)
    : name_(std::move(name)), log_(log) {
    format.majortype = major;
    format.formattype = FORMAT_VideoInfo;
    format.formatBlock.resize(sizeof(VIDEOINFOHEADER));
    VIDEOINFOHEADER header;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;
    header.bmiHeader.biBitCount = 24;
    header.AvgTimePerFrame = 333333;
    std::memcpy(format.formatBlock.data(), &header, sizeof header);
}

HRESULT FakeStreamConfig::GetFormat(AM_MEDIA_TYPE** type) {
    log_.push_back(name_ + " GetFormat");
    if (FAILED(getResult)) {
        *type = nullptr;
        return getResult;
    }
    *type = new AM_MEDIA_TYPE(format);
    return getResult;
}

HRESULT FakeStreamConfig::SetFormat(AM_MEDIA_TYPE* type) {
    log_.push_back(name_ + " SetFormat");
    const VIDEOINFOHEADER* wanted = VideoInfoOf(type);
    if (FAILED(setResult) || !wanted || !accepts(wanted->bmiHeader.biWidth, wanted->bmiHeader.biHeight)) {
        return FAILED(setResult) ? setResult : VFW_E_INVALIDMEDIATYPE;
    }
    format = *type;
    return S_OK;
}

HRESULT FakeGraph::AddFilter(IBaseFilter* filter, LPCWSTR) {
    const auto found = addResults.find(adds_++);
    const HRESULT result = found == addResults.end() ? S_OK : found->second;
    log_.push_back("AddFilter");
    if (SUCCEEDED(result)) {
        filters.emplace_back(filter);
    }
    return result;
}

HRESULT FakeGraph::RemoveFilter(IBaseFilter* filter) {
    log_.push_back("RemoveFilter");
    const auto found = std::find(filters.begin(), filters.end(), RefPtr<IBaseFilter>(filter));
    if (found == filters.end()) {
        return VFW_E_NOT_FOUND;
    }
    filters.erase(found);
    return S_OK;
}

HRESULT FakeGraph::Disconnect(IPin* pin) {
    log_.push_back("Disconnect");
    auto* fake = static_cast<FakePin*>(pin);
    if (!fake->peer) {
        return S_FALSE;
    }
    // Only this end: the other end is disconnected by its own call.
    fake->peer = nullptr;
    return S_OK;
}

HRESULT FakeGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG) {
    if (events.empty()) {
        return E_ABORT;
    }
    *code = events.front().code;
    *param1 = events.front().param1;
    *param2 = events.front().param2;
    events.erase(events.begin());
    return S_OK;
}

bool FakeGraph::contains(IBaseFilter* filter) const {
    return std::find(filters.begin(), filters.end(), RefPtr<IBaseFilter>(filter)) != filters.end();
}

HRESULT FakeBuilder::SetFiltergraph(IGraphBuilder* graph) {
    log_.push_back("SetFiltergraph");
    graph_ = RefPtr<IGraphBuilder>(graph);
    return setGraphResult;
}

HRESULT FakeBuilder::SetOutputFileName(const Guid* type, LPCOLESTR fileName, IBaseFilter** mux,
                                       IFileSinkFilter** sink) {
    log_.push_back("SetOutputFileName " + Narrow(fileName));
    if (FAILED(outputResult) || !type || *type != MEDIASUBTYPE_Avi) {
        return FAILED(outputResult) ? outputResult : E_INVALIDARG;
    }
    lastFile = fileName;
    lastMux = MakeCom<FakeAviMux>(log_);
    lastMux->masterResult = refuseMasterStream ? E_FAIL : S_OK;
    lastMux->addPin(PINDIR_INPUT);
    lastMux->addPin(PINDIR_INPUT);
    graph_->AddFilter(lastMux.get(), nullptr);
    if (sink) {
        *sink = nullptr;
    }
    return CopyOut(static_cast<IBaseFilter*>(lastMux.get()), mux);
}

HRESULT FakeBuilder::FindInterface(const Guid* category, const Guid* type, IBaseFilter* filter,
                                   const Guid& iid, void** object) {
    (void)type;
    *object = nullptr;
    if (!filter) {
        return E_POINTER;
    }
    const auto found = offered_.find(Key(filter, category ? *category : PIN_CATEGORY_CAPTURE, iid));
    if (found == offered_.end()) {
        return E_NOINTERFACE;
    }
    return found->second->QueryInterface(iid, object);
}

HRESULT FakeBuilder::RenderStream(const Guid* category, const Guid* type, IUnknown* source,
                                  IBaseFilter* intermediate, IBaseFilter* sink) {
    const std::string stream = StreamName(category, type);
    log_.push_back("RenderStream " + stream + (intermediate ? " through compressor" : "") +
                   (sink ? " into mux" : ""));
    const auto result = renderResults.find(stream);
    const HRESULT hr = result == renderResults.end() ? S_OK : result->second;
    const RefPtr<IBaseFilter> filter = query<IBaseFilter>(source);
    const auto known = sources.find(filter.get());
    if (SUCCEEDED(hr) && known != sources.end()) {
        // The stream's own downstream filter, connected to a fresh output pin of the source.
        auto renderer = MakeCom<FakeFilter>(stream + " renderer");
        FakePin* input = renderer->addPin(PINDIR_INPUT);
        graph_->AddFilter(renderer.get(), nullptr);
        Link(known->second->addPin(PINDIR_OUTPUT), input);
        rendered.push_back(renderer);
    }
    return hr;
}

HRESULT FakeBuilder::ControlStream(const Guid*, const Guid*, IBaseFilter*, REFERENCE_TIME* start,
                                   REFERENCE_TIME* stop, WORD, WORD) {
    std::string text = "ControlStream";
    text += start ? (*start == MAXLONGLONG ? " start never" : " start at") : " start now";
    text += stop ? (*stop == MAXLONGLONG ? " stop never" : " stop at") : " stop now";
    log_.push_back(text);
    return controlResult;
}

HRESULT FakeMoniker::BindToObject(void*, IMoniker*, const Guid& iid, void** object) {
    ++binds;
    *object = nullptr;
    if (FAILED(bindResult_) || !object_) {
        return FAILED(bindResult_) ? bindResult_ : E_FAIL;
    }
    return object_->QueryInterface(iid, object);
}
