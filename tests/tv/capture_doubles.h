// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Test doubles of the capture interfaces: filters with pins, a crossbar, a graph, a capture graph builder,
// stream configurations, monikers and the platform. Each records what it was asked in one shared log and
// answers with results a test sets, so the order of calls and every failure path can be driven.

#include "platform/com/com_object.h"
#include "platform/devices/device_enum.h"
#include "platform/devices/tv_device_interfaces.h"
#include "platform/media/capture_interfaces.h"
// After the interfaces, which give it its integer types.
#include "platform/com/snapshot_enumerator.h"
#include "tv/tuner_platform.h"

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using CallLog = std::vector<std::string>;

class FakePin final : public ComObject<IPin, IKsPropertySet> {
public:
    FakePin(IBaseFilter* owner, PIN_DIRECTION direction, Guid category = {})
        : owner_(owner), direction_(direction), category_(category) {}

    HRESULT ConnectedTo(IPin** pin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT QueryDirection(PIN_DIRECTION* direction) override {
        *direction = direction_;
        return S_OK;
    }
    HRESULT QueryPinInfo(PIN_INFO* info) override;

    HRESULT Set(const Guid&, DWORD, void*, DWORD, void*, DWORD) override { return E_NOTIMPL; }
    HRESULT Get(const Guid& set, DWORD id, void*, DWORD, void* data, DWORD length, DWORD* returned) override;
    HRESULT QuerySupported(const Guid&, DWORD, DWORD*) override { return E_NOTIMPL; }

    FakePin* peer = nullptr;

private:
    IBaseFilter* owner_;
    PIN_DIRECTION direction_;
    Guid category_;
};

// Connects an output pin to an input pin, both ways.
void Link(FakePin* output, FakePin* input);

// A filter with pins and any interfaces a test hands it (found by FindInterface on it), offering the
// interfaces Extra itself.
template <typename... Extra> class FakeFilterOf : public ComObject<IBaseFilter, Extra...> {
public:
    explicit FakeFilterOf(std::string name) : name(std::move(name)) {}

    HRESULT EnumPins(IEnumPins** out) override {
        std::vector<RefPtr<IPin>> items(pins.begin(), pins.end());
        *out = MakeCom<SnapshotEnumerator<IEnumPins, IPin>>(std::move(items)).detach();
        return S_OK;
    }
    HRESULT FindPin(LPCWSTR, IPin**) override { return VFW_E_NOT_FOUND; }
    HRESULT QueryFilterInfo(FILTER_INFO*) override { return S_OK; }

    FakePin* addPin(PIN_DIRECTION direction, Guid category = {}) {
        pins.push_back(MakeCom<FakePin>(this, direction, category));
        return pins.back().get();
    }

    std::string name;
    std::vector<RefPtr<FakePin>> pins;
};

class FakeFilter final : public FakeFilterOf<> {
public:
    using FakeFilterOf::FakeFilterOf;
};

// A crossbar: inputs first, then outputs, each with its physical type and related pin.
class FakeCrossbar final : public FakeFilterOf<IAMCrossbar> {
public:
    struct PinSpec {
        LONG type;
        LONG related;
    };
    FakeCrossbar(std::string name, std::vector<PinSpec> inputs, std::vector<PinSpec> outputs, CallLog& log);

    HRESULT get_PinCounts(LONG* outputs, LONG* inputs) override;
    HRESULT CanRoute(LONG output, LONG input) override;
    HRESULT Route(LONG output, LONG input) override;
    HRESULT get_IsRoutedTo(LONG, LONG*) override { return E_NOTIMPL; }
    HRESULT get_CrossbarPinInfo(BOOL isInput, LONG index, LONG* related, LONG* physicalType) override;

    FakePin* input(std::size_t i) { return pins[i].get(); }
    FakePin* output(std::size_t i) { return pins[inputs_.size() + i].get(); }

    // Inputs the outputs refuse, as (output, input).
    std::vector<std::pair<LONG, LONG>> refused;

private:
    std::vector<PinSpec> inputs_;
    std::vector<PinSpec> outputs_;
    CallLog& log_;
};

class FakeStreamConfig final : public ComObject<IAMStreamConfig> {
public:
    FakeStreamConfig(std::string name, CallLog& log, LONG width, LONG height, Guid major = MEDIATYPE_Video);
    HRESULT GetFormat(AM_MEDIA_TYPE** type) override;
    HRESULT SetFormat(AM_MEDIA_TYPE* type) override;
    HRESULT GetNumberOfCapabilities(int*, int*) override { return E_NOTIMPL; }
    HRESULT GetStreamCaps(int, AM_MEDIA_TYPE**, BYTE*) override { return E_NOTIMPL; }

    VIDEOINFOHEADER& info() { return *VideoInfoOf(&format); }

    AM_MEDIA_TYPE format;
    HRESULT getResult = S_OK;
    HRESULT setResult = S_OK;
    // Sizes the device takes; any other size is refused and the format stays.
    std::function<bool(LONG, LONG)> accepts = [](LONG, LONG) { return true; };

private:
    std::string name_;
    CallLog& log_;
};

class FakeGraph final : public ComObject<IGraphBuilder, IMediaControl, IMediaEventEx, IVideoWindow> {
public:
    explicit FakeGraph(CallLog& log) : log_(log) {}

    // Interfaces a test takes away, by id.
    HRESULT QueryInterface(const Guid& iid, void** object) override {
        for (const Guid& missing : withheld) {
            if (iid == missing) {
                *object = nullptr;
                return E_NOINTERFACE;
            }
        }
        return ComObject::QueryInterface(iid, object);
    }

    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR) override;
    HRESULT RemoveFilter(IBaseFilter* filter) override;
    HRESULT EnumFilters(IEnumFilters**) override { return E_NOTIMPL; }
    HRESULT FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    HRESULT ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT Disconnect(IPin* pin) override;
    HRESULT Render(IPin*) override { return E_NOTIMPL; }
    HRESULT AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }

    HRESULT Run() override { return note("Run", runResult); }
    HRESULT Pause() override { return note("Pause", pauseResult); }
    HRESULT Stop() override { return note("Stop", stopResult); }
    HRESULT GetState(LONG, OAFilterState*) override { return E_NOTIMPL; }

    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG) override;
    HRESULT FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }
    HRESULT SetNotifyWindow(QObject*, LONG message, LONG_PTR) override {
        return note(("SetNotifyWindow " + std::to_string(message)).c_str(), S_OK);
    }

    HRESULT put_Owner(OAHWND) override { return note("put_Owner", S_OK); }
    HRESULT get_Owner(OAHWND*) override { return E_NOTIMPL; }
    HRESULT put_WindowStyle(LONG) override { return note("put_WindowStyle", S_OK); }
    HRESULT get_WindowStyle(LONG*) override { return E_NOTIMPL; }
    HRESULT put_MessageDrain(OAHWND drain) override {
        return note(drain ? "put_MessageDrain" : "put_MessageDrain none", S_OK);
    }
    HRESULT get_MessageDrain(OAHWND*) override { return E_NOTIMPL; }
    HRESULT put_Visible(LONG visible) override {
        return note(visible ? "put_Visible true" : "put_Visible false", S_OK);
    }
    HRESULT get_Visible(LONG*) override { return E_NOTIMPL; }
    HRESULT SetWindowPosition(LONG, LONG, LONG, LONG) override { return note("SetWindowPosition", S_OK); }
    HRESULT GetWindowPosition(LONG*, LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT put_FullScreenMode(LONG) override { return E_NOTIMPL; }
    HRESULT get_FullScreenMode(LONG*) override { return E_NOTIMPL; }

    bool contains(IBaseFilter* filter) const;

    std::vector<RefPtr<IBaseFilter>> filters;
    std::vector<Guid> withheld;
    // Results of AddFilter by the number of the call (from 0); S_OK otherwise.
    std::map<int, HRESULT> addResults;
    HRESULT runResult = S_OK;
    HRESULT pauseResult = S_OK;
    HRESULT stopResult = S_OK;
    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    std::vector<Event> events;

private:
    HRESULT note(const char* what, HRESULT result) {
        log_.push_back(what);
        return result;
    }
    CallLog& log_;
    int adds_ = 0;
};

class FakeAviMux final : public FakeFilterOf<IConfigAviMux> {
public:
    explicit FakeAviMux(CallLog& log) : FakeFilterOf("mux"), log_(log) {}

    HRESULT SetMasterStream(LONG stream) override {
        log_.push_back("SetMasterStream " + std::to_string(stream));
        return masterResult;
    }
    HRESULT GetMasterStream(LONG*) override { return E_NOTIMPL; }
    HRESULT SetOutputCompatibilityIndex(BOOL) override {
        log_.push_back("SetOutputCompatibilityIndex");
        return S_OK;
    }
    HRESULT GetOutputCompatibilityIndex(BOOL*) override { return E_NOTIMPL; }

    HRESULT masterResult = S_OK;

private:
    CallLog& log_;
};

class FakeDroppedFrames final : public ComObject<IAMDroppedFrames> {
public:
    HRESULT GetNumDropped(LONG* dropped) override {
        *dropped = this->dropped;
        return S_OK;
    }
    HRESULT GetNumNotDropped(LONG* delivered) override {
        *delivered = this->delivered;
        return S_OK;
    }
    HRESULT GetDroppedInfo(LONG, LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT GetAverageFrameSize(LONG* bytes) override {
        *bytes = averageBytes;
        return S_OK;
    }
    LONG dropped = 0;
    LONG delivered = 0;
    LONG averageBytes = 1000;
};

class FakeBuilder final : public ComObject<ICaptureGraphBuilder2> {
public:
    explicit FakeBuilder(CallLog& log) : log_(log) {}

    HRESULT SetFiltergraph(IGraphBuilder* graph) override;
    HRESULT GetFiltergraph(IGraphBuilder**) override { return E_NOTIMPL; }
    HRESULT SetOutputFileName(const Guid* type, LPCOLESTR fileName, IBaseFilter** mux,
                              IFileSinkFilter** sink) override;
    HRESULT FindInterface(const Guid* category, const Guid* type, IBaseFilter* filter, const Guid& iid,
                          void** object) override;
    HRESULT RenderStream(const Guid* category, const Guid* type, IUnknown* source, IBaseFilter* intermediate,
                         IBaseFilter* sink) override;
    HRESULT ControlStream(const Guid* category, const Guid* type, IBaseFilter* filter, REFERENCE_TIME* start,
                          REFERENCE_TIME* stop, WORD startCookie, WORD stopCookie) override;

    // What FindInterface finds for a filter and pin category (null category: PIN_CATEGORY_CAPTURE).
    template <typename I> void offer(IBaseFilter* filter, const Guid& category, const RefPtr<I>& object) {
        offered_[Key(filter, category, I::IID)] = RefPtr<IUnknown>(static_cast<IUnknown*>(object.get()));
    }
    template <typename I> void withdraw(IBaseFilter* filter, const Guid& category) {
        offered_.erase(Key(filter, category, I::IID));
    }

    HRESULT setGraphResult = S_OK;
    HRESULT outputResult = S_OK;
    HRESULT controlResult = S_OK;
    bool refuseMasterStream = false;
    // RenderStream results by "capture video", "preview video", "capture audio".
    std::map<std::string, HRESULT> renderResults;
    // Capture filters whose rendered streams get a filter downstream, connected to a new output pin.
    std::map<IBaseFilter*, FakeFilter*> sources;
    std::vector<RefPtr<FakeFilter>> rendered;
    RefPtr<FakeAviMux> lastMux;
    std::wstring lastFile;

private:
    static std::string Key(IBaseFilter* filter, const Guid& category, const Guid& iid) {
        return std::to_string(reinterpret_cast<std::uintptr_t>(filter)) + category.toString() +
               iid.toString();
    }
    CallLog& log_;
    RefPtr<IGraphBuilder> graph_;
    std::map<std::string, RefPtr<IUnknown>> offered_;
};

class FakeMoniker final : public ComObject<IMoniker, IPropertyBag> {
public:
    FakeMoniker(std::string name, RefPtr<IUnknown> object, HRESULT bindResult = S_OK)
        : name_(std::move(name)), object_(std::move(object)), bindResult_(bindResult) {}
    HRESULT BindToObject(void*, IMoniker*, const Guid& iid, void** object) override;
    HRESULT BindToStorage(void*, IMoniker*, const Guid& iid, void** object) override {
        return QueryInterface(iid, object);
    }
    HRESULT IsEqual(IMoniker* other) override { return other == this ? S_OK : S_FALSE; }
    HRESULT GetDisplayName(void*, IMoniker*, std::string* name) override {
        *name = name_;
        return S_OK;
    }
    // Every property is the name, but "DevicePath" is path when one is given.
    HRESULT Read(const char* property, std::string* value) override {
        *value = !path.empty() && std::string_view(property) == "DevicePath" ? path : name_;
        return S_OK;
    }
    void setBindResult(HRESULT result) { bindResult_ = result; }
    int binds = 0;
    std::string path;

private:
    std::string name_;
    RefPtr<IUnknown> object_;
    HRESULT bindResult_;
};

class FakeRunningObjectTable final : public ComObject<IRunningObjectTable> {
public:
    HRESULT Register(DWORD, IUnknown*, IMoniker*, DWORD* cookie) override {
        *cookie = ++registered;
        return S_OK;
    }
    HRESULT Revoke(DWORD) override {
        ++revoked;
        return S_OK;
    }
    HRESULT IsRunning(IMoniker*) override { return E_NOTIMPL; }
    HRESULT GetObject(IMoniker*, IUnknown**) override { return E_NOTIMPL; }
    DWORD registered = 0;
    int revoked = 0;
};

class FakeTunerPlatform final : public TunerPlatform {
public:
    explicit FakeTunerPlatform(CallLog& log)
        : builder(MakeCom<FakeBuilder>(log)), graph(MakeCom<FakeGraph>(log)),
          table(MakeCom<FakeRunningObjectTable>()) {}
    HRESULT CreateCaptureGraphBuilder(ICaptureGraphBuilder2** out) override {
        ++builderCreations;
        return FAILED(builderResult) ? builderResult : CopyOut(builder.get(), out);
    }
    HRESULT CreateFilterGraph(IGraphBuilder** out) override {
        return FAILED(graphResult) ? graphResult : CopyOut(static_cast<IGraphBuilder*>(graph.get()), out);
    }
    HRESULT GetRunningObjectTable(IRunningObjectTable** out) override {
        return tableAvailable ? CopyOut(table.get(), out) : E_FAIL;
    }
    HRESULT CreateItemMoniker(LPCOLESTR, LPCOLESTR item, IMoniker** out) override {
        lastName = item;
        *out = MakeCom<FakeMoniker>("item", nullptr).detach();
        return S_OK;
    }
    DWORD GetCurrentProcessId() override { return 0x1f3c; }

    RefPtr<FakeBuilder> builder;
    RefPtr<FakeGraph> graph;
    RefPtr<FakeRunningObjectTable> table;
    HRESULT builderResult = S_OK;
    HRESULT graphResult = S_OK;
    bool tableAvailable = true;
    int builderCreations = 0;
    std::wstring lastName;
};
