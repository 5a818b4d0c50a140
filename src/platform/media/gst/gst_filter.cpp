// SPDX-License-Identifier: GPL-2.0-or-later
#include "gst_filter.h"

#include "engine_setup.h"
#include "platform/com/snapshot_enumerator.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <memory>
#include <mutex>
#include <utility>

std::string ToUtf8(const std::wstring& text) {
    return QString::fromStdWString(text).toStdString();
}

void CopyName(const std::wstring& name, wchar_t* buffer, std::size_t capacity) {
    const std::size_t length = std::min(name.size(), capacity - 1);
    std::wmemcpy(buffer, name.data(), length);
    buffer[length] = L'\0';
}

namespace {

GstCaps* CapsFromFormat(const std::string& format) {
    return format.empty() ? nullptr : gst_caps_from_string(format.c_str());
}

std::string FormatOf(GstCaps* caps) {
    if (!caps) {
        return {};
    }
    gchar* text = gst_caps_to_string(caps);
    std::string format = text;
    g_free(text);
    gst_caps_unref(caps);
    return format;
}

// A ghost pad's own event handler answers only yes or no, and the pad turns a no for a sticky event into
// GST_FLOW_ERROR. A flush sent into an input while the stream thread carries a sticky event across it (a
// relink flushing the old input) reaches the bin's inner pad first: the event meets the flush there, and
// the thread would stop the whole stream with an error where it should only see the flush.
GstFlowReturn ForwardIntoBin(GstPad* pad, GstObject*, GstEvent* event) {
    const GstEventType type = GST_EVENT_TYPE(event);
    GstPad* inner = GST_PAD(gst_proxy_pad_get_internal(GST_PROXY_PAD(pad)));
    if (!inner) {
        gst_event_unref(event);
        return GST_FLOW_FLUSHING;
    }
    GstFlowReturn result = GST_FLOW_OK;
    if (!gst_pad_push_event(inner, event)) {
        if (GST_PAD_IS_FLUSHING(inner) || GST_PAD_IS_FLUSHING(pad)) {
            result = GST_FLOW_FLUSHING;
        } else if (GST_PAD_IS_EOS(inner)) {
            result = GST_FLOW_EOS;
        } else {
            result = type == GST_EVENT_CAPS ? GST_FLOW_NOT_NEGOTIATED : GST_FLOW_ERROR;
        }
    }
    gst_object_unref(inner);
    return result;
}

} // namespace

GstPin::GstPin(GstFilter& filter, std::wstring name, PIN_DIRECTION direction, PinKind kind, GstPad* pad)
    : filter_(filter), name_(std::move(name)), direction_(direction), kind_(kind),
      pad_(GST_PAD(gst_object_ref(pad))) {}

GstPin::~GstPin() {
    release();
    gst_object_unref(pad_);
}

void GstPin::hold() {
    if (!holdProbe_) {
        holdProbe_ = HoldDataAt(pad_);
    }
}

void GstPin::release() {
    if (holdProbe_) {
        gst_pad_remove_probe(pad_, std::exchange(holdProbe_, 0));
    }
}

HRESULT GstPin::QueryInterface(const Guid& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid == IUnknown::IID || iid == IPin::IID) {
        *object = static_cast<IPin*>(this);
    } else if (iid == IKsPropertySet::IID && !category_.isNull()) {
        *object = static_cast<IKsPropertySet*>(this);
    } else {
        *object = filter_.queryPinInterface(*this, iid);
    }
    if (!*object) {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT GstPin::Set(const Guid& set, DWORD id, void*, DWORD, void*, DWORD) {
    if (set != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    // A pin's category is what the pin is; it cannot be changed.
    return id == AMPROPERTY_PIN_CATEGORY ? E_ACCESSDENIED : E_PROP_ID_UNSUPPORTED;
}

HRESULT GstPin::Get(const Guid& set, DWORD id, void*, DWORD, void* data, DWORD dataLength, DWORD* returned) {
    if (set != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (id != AMPROPERTY_PIN_CATEGORY) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (!data) {
        return E_POINTER;
    }
    if (dataLength < sizeof(Guid)) {
        return E_UNEXPECTED;
    }
    *static_cast<Guid*>(data) = category_;
    if (returned) {
        *returned = sizeof(Guid);
    }
    return S_OK;
}

HRESULT GstPin::QuerySupported(const Guid& set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (id != AMPROPERTY_PIN_CATEGORY) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (support) {
        *support = KSPROPERTY_SUPPORT_GET;
    }
    return S_OK;
}

std::uint32_t GstPin::AddRef() {
    return filter_.AddRef();
}
std::uint32_t GstPin::Release() {
    return filter_.Release();
}

HRESULT GstPin::ConnectedTo(IPin** pin) {
    if (!pin) {
        return E_POINTER;
    }
    *pin = nullptr;
    if (!peer_) {
        return VFW_E_NOT_CONNECTED;
    }
    return CopyOut<IPin>(peer_, pin);
}

HRESULT GstPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (!type) {
        return E_POINTER;
    }
    if (!peer_) {
        return VFW_E_NOT_CONNECTED;
    }
    const GstPin& output = direction_ == PINDIR_OUTPUT ? *this : *peer_;
    type->majortype = MajorTypeOf(kind_);
    type->format = output.currentFormat();
    return S_OK;
}

HRESULT GstPin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) {
        return E_POINTER;
    }
    *direction = direction_;
    return S_OK;
}

HRESULT GstPin::QueryPinInfo(PIN_INFO* info) {
    if (!info) {
        return E_POINTER;
    }
    info->pFilter = &filter_;
    filter_.AddRef();
    info->dir = direction_;
    CopyName(name_, info->achName, MAX_PIN_NAME);
    return S_OK;
}

std::string GstPin::currentFormat() const {
    if (GstCaps* caps = gst_pad_get_current_caps(pad_)) {
        return FormatOf(caps);
    }
    // A ghost pad learns its caps only when data passes; the element behind it may know them already.
    if (GST_IS_GHOST_PAD(pad_)) {
        if (GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(pad_))) {
            GstCaps* caps = gst_pad_get_current_caps(target);
            gst_object_unref(target);
            if (caps) {
                return FormatOf(caps);
            }
        }
    }
    GstCaps* possible = gst_pad_query_caps(pad_, nullptr);
    if (possible && (gst_caps_is_any(possible) || gst_caps_is_empty(possible))) {
        gst_caps_unref(possible);
        return {};
    }
    return FormatOf(possible);
}

bool GstPin::accepts(const std::string& format) const {
    GstCaps* wanted = CapsFromFormat(format);
    if (!wanted) {
        return format.empty();
    }
    GstCaps* possible = gst_pad_query_caps(pad_, wanted);
    const bool accepted = possible && !gst_caps_is_empty(possible);
    if (possible) {
        gst_caps_unref(possible);
    }
    gst_caps_unref(wanted);
    return accepted;
}

namespace {

GQuark FilterQuark() {
    static const GQuark quark = g_quark_from_static_string("corvane-gst-filter");
    return quark;
}

} // namespace

GstFilter::GstFilter(FilterRole role) : role_(role) {
    // Every filter builds GStreamer elements, whoever makes it first (a device bound before any graph).
    EnsureGstInitialised();
}

GstFilter::~GstFilter() {
    pins_.clear();
    if (bin_) {
        g_object_set_qdata(G_OBJECT(bin_), FilterQuark(), nullptr);
        gst_element_set_state(bin_, GST_STATE_NULL);
        gst_object_unref(bin_);
    }
}

void GstFilter::setBin(GstElement* bin) {
    bin_ = GST_ELEMENT(gst_object_ref_sink(bin));
    g_object_set_qdata(G_OBJECT(bin_), FilterQuark(), this);
}

GstFilter* FilterHolding(GstObject* element) {
    GstObject* at = element ? GST_OBJECT(gst_object_ref(element)) : nullptr;
    while (at) {
        if (auto* filter = static_cast<GstFilter*>(g_object_get_qdata(G_OBJECT(at), FilterQuark()))) {
            gst_object_unref(at);
            return filter;
        }
        GstObject* parent = gst_object_get_parent(at);
        gst_object_unref(at);
        at = parent;
    }
    return nullptr;
}

GstPin& GstFilter::addPin(std::wstring name, PIN_DIRECTION direction, PinKind kind, GstPad* target) {
    const std::string padName = ToUtf8(name);
    GstPad* ghost = target ? gst_ghost_pad_new(padName.c_str(), target)
                           : gst_ghost_pad_new_no_target(
                                 padName.c_str(), direction == PINDIR_INPUT ? GST_PAD_SINK : GST_PAD_SRC);
    if (direction == PINDIR_INPUT) {
        gst_pad_set_event_full_function(ghost, &ForwardIntoBin);
    }
    if (GST_STATE(bin_) > GST_STATE_READY) {
        gst_pad_set_active(ghost, TRUE);
    }
    gst_element_add_pad(bin_, ghost);
    pins_.push_back(std::make_unique<GstPin>(*this, std::move(name), direction, kind, ghost));
    return *pins_.back();
}

void GstFilter::removePin(GstPin& pin) {
    for (auto it = pins_.begin(); it != pins_.end(); ++it) {
        if (it->get() == &pin && !pin.peer()) {
            GstPad* ghost = GST_PAD(gst_object_ref(pin.pad()));
            pins_.erase(it);
            gst_element_remove_pad(bin_, ghost);
            gst_object_unref(ghost);
            return;
        }
    }
}

void GstFilter::releaseHolds() {
    for (const auto& pin : pins_) {
        pin->release();
    }
}

bool GstFilter::hasConnectedPin() const {
    for (const auto& pin : pins_) {
        if (pin->peer()) {
            return true;
        }
    }
    return false;
}

HRESULT GstFilter::EnumPins(IEnumPins** pins) {
    if (!pins) {
        return E_POINTER;
    }
    std::vector<RefPtr<IPin>> snapshot;
    for (const auto& pin : pins_) {
        snapshot.emplace_back(pin.get());
    }
    *pins = MakeCom<SnapshotEnumerator<IEnumPins, IPin>>(std::move(snapshot)).detach();
    return S_OK;
}

HRESULT GstFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) {
        return E_POINTER;
    }
    *pin = nullptr;
    for (const auto& candidate : pins_) {
        if (candidate->name() == id) {
            return CopyOut<IPin>(candidate.get(), pin);
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT GstFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) {
        return E_POINTER;
    }
    CopyName(name_, info->achName, MAX_FILTER_NAME);
    return S_OK;
}

gulong HoldDataAt(GstPad* pad) {
    return gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM,
        [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_OK; }, nullptr, nullptr);
}

const Guid& MajorTypeOf(PinKind kind) {
    switch (kind) {
    case PinKind::Audio:
        return MEDIATYPE_Audio;
    case PinKind::Video:
        return MEDIATYPE_Video;
    case PinKind::Analog:
        return MEDIATYPE_AnalogVideo;
    default:
        return MEDIATYPE_Stream;
    }
}

namespace {

struct IdleSignal {
    std::mutex mutex;
    std::condition_variable changed;
    bool idle = false;
};

GstPadProbeReturn SignalIdle(GstPad*, GstPadProbeInfo*, gpointer data) {
    auto& signal = **static_cast<std::shared_ptr<IdleSignal>*>(data);
    {
        std::lock_guard lock(signal.mutex);
        signal.idle = true;
    }
    signal.changed.notify_all();
    return GST_PAD_PROBE_REMOVE;
}

} // namespace

bool WaitUntilIdle(GstPad* pad, int timeoutMs) {
    // The probe may fire after a time-out, from a streaming thread: it keeps its own share of the signal.
    auto signal = std::make_shared<IdleSignal>();
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_IDLE, &SignalIdle, new std::shared_ptr<IdleSignal>(signal),
                      [](gpointer data) { delete static_cast<std::shared_ptr<IdleSignal>*>(data); });
    std::unique_lock lock(signal->mutex);
    return signal->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return signal->idle; });
}

GstFilter* AsGstFilter(IBaseFilter* filter) {
    return dynamic_cast<GstFilter*>(filter);
}
GstPin* AsGstPin(IPin* pin) {
    return dynamic_cast<GstPin*>(pin);
}

void FreeMediaType(AM_MEDIA_TYPE& type) {
    type.majortype = Guid{};
    type.format.clear();
    type.subtype = Guid{};
    type.formattype = Guid{};
    type.formatBlock.clear();
}
