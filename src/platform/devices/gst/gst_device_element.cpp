#include "gst_device_element.h"

namespace {

// Raw audio or raw video pads carry what the engine's audio and video pins carry; anything else (an
// encoder's output) is a stream.
PinKind KindOf(GstPad* pad) {
    GstCaps* caps = gst_pad_get_pad_template_caps(pad);
    PinKind kind = PinKind::Stream;
    if (caps && !gst_caps_is_any(caps) && gst_caps_get_size(caps) > 0) {
        const char* media = gst_structure_get_name(gst_caps_get_structure(caps, 0));
        if (g_str_equal(media, "audio/x-raw")) {
            kind = PinKind::Audio;
        } else if (g_str_equal(media, "video/x-raw")) {
            kind = PinKind::Video;
        }
    }
    if (caps) {
        gst_caps_unref(caps);
    }
    return kind;
}

} // namespace

DeviceFilter::DeviceFilter(GstElement* element, FilterRole role) : GstFilter(role), element_(element) {
    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add(GST_BIN(bin), element);
    setBin(bin);
    std::vector<GstPad*> pads;
    for (GList* item = element->pads; item; item = item->next) {
        pads.push_back(GST_PAD(gst_object_ref(item->data)));
    }
    for (GstPad* pad : pads) {
        const bool input = GST_PAD_DIRECTION(pad) == GST_PAD_SINK;
        const wchar_t* name = input ? L"Input" : role == FilterRole::Source ? L"Capture" : L"Output";
        addPin(name, input ? PINDIR_INPUT : PINDIR_OUTPUT, KindOf(pad), pad);
        gst_object_unref(pad);
    }
}

void* DeviceFilter::queryOtherInterface(const Guid& iid) {
    return iid == IDeviceElement::IID ? static_cast<IDeviceElement*>(this) : nullptr;
}

HRESULT BindDeviceElement(GstElement* element, FilterRole role, const Guid& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!element) {
        return E_FAIL;
    }
    RefPtr<DeviceFilter> filter = MakeCom<DeviceFilter>(element, role);
    return filter->QueryInterface(iid, object);
}
