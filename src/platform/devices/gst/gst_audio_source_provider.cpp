// SPDX-License-Identifier: GPL-2.0-or-later
#include "gst_audio_source_provider.h"

#include "gst_device_element.h"

#include <string>
#include <string_view>

namespace {

// "hw:N" for a device of GStreamer's ALSA provider on a card's hardware (alsasrc opens it exclusively);
// empty for sound-server sources, which many programs record from at once, and ALSA's software devices.
std::string AlsaCardOf(GstDevice* device, const GstStructure* properties) {
    if (std::string_view(G_OBJECT_TYPE_NAME(device)) != "GstAlsaDevice") {
        return {};
    }
    int card = -1;
    if (properties && gst_structure_get_int(properties, "alsa.card", &card) && card >= 0) {
        return "hw:" + std::to_string(card);
    }
    if (!g_object_class_find_property(G_OBJECT_GET_CLASS(device), "internal-name")) {
        return {};
    }
    gchar* internal = nullptr;
    g_object_get(device, "internal-name", &internal, nullptr);
    std::string name = internal ? internal : "";
    g_free(internal);
    if (name.rfind("hw:", 0) != 0) {
        return {};
    }
    return name.substr(0, name.find(','));
}

class GstAudioSourceProvider final : public DeviceProvider {
public:
    const char* name() const override { return "gst-audio"; }

    std::vector<DeviceDescription> devices(const Guid& category) override {
        std::vector<DeviceDescription> found;
        if (category != CLSID_AudioInputDeviceCategory || !EnsureGstInitialised()) {
            return found;
        }
        GstDeviceMonitor* monitor = gst_device_monitor_new();
        GstCaps* raw = gst_caps_new_empty_simple("audio/x-raw");
        gst_device_monitor_add_filter(monitor, "Audio/Source", raw);
        gst_caps_unref(raw);
        GList* list = gst_device_monitor_get_devices(monitor);
        for (GList* item = list; item; item = item->next) {
            auto* device = GST_DEVICE(item->data);
            gchar* displayName = gst_device_get_display_name(device);
            GstStructure* properties = gst_device_get_properties(device);
            gchar* propertiesText = properties ? gst_structure_to_string(properties) : nullptr;
            // The display name alone repeats for identical cards; the properties tell them apart.
            std::string id =
                std::string(displayName ? displayName : "") + "|" + (propertiesText ? propertiesText : "");
            std::shared_ptr<GstDevice> owned(GST_DEVICE(gst_object_ref(device)),
                                             [](GstDevice* d) { gst_object_unref(d); });
            found.push_back({.friendlyName = displayName ? displayName : "",
                             .id = std::move(id),
                             .bind =
                                 [owned](const Guid& iid, void** object) {
                                     return BindDeviceElement(gst_device_create_element(owned.get(), nullptr),
                                                              FilterRole::Source, iid, object);
                                 },
                             .devicePath = AlsaCardOf(device, properties)});
            g_free(propertiesText);
            if (properties) {
                gst_structure_free(properties);
            }
            g_free(displayName);
        }
        g_list_free_full(list, gst_object_unref);
        gst_object_unref(monitor);
        return found;
    }
};

} // namespace

std::shared_ptr<DeviceProvider> MakeGstAudioSourceProvider() {
    return std::make_shared<GstAudioSourceProvider>();
}
