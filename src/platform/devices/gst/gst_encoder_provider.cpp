// SPDX-License-Identifier: GPL-2.0-or-later
#include "gst_encoder_provider.h"

#include "encoder_probe.h"
#include "gst_device_element.h"

#include <cstring>
#include <map>
#include <sstream>

namespace {

// The mark that tells apart two encoders of one name.
std::string FactoryMark(const std::string& factory) {
    return " [" + factory + "]";
}

// The caps of avimux's request pads whose name starts with prefix ("video_" or "audio_"); null without
// avimux.
GstCaps* AviMuxSinkCaps(const char* prefix) {
    GstElementFactory* mux = gst_element_factory_find("avimux");
    if (!mux) {
        return nullptr;
    }
    GstCaps* caps = nullptr;
    for (const GList* t = gst_element_factory_get_static_pad_templates(mux); t; t = t->next) {
        auto* pad = static_cast<GstStaticPadTemplate*>(t->data);
        if (pad->direction == GST_PAD_SINK &&
            std::strncmp(pad->name_template, prefix, std::strlen(prefix)) == 0) {
            caps = gst_static_caps_get(&pad->static_caps);
            break;
        }
    }
    gst_object_unref(mux);
    return caps;
}

class GstEncoderProvider final : public DeviceProvider {
public:
    const char* name() const override { return "gst-encoder"; }

    std::vector<DeviceDescription> devices(const Guid& category) override {
        std::vector<DeviceDescription> found;
        const bool video = category == CLSID_VideoCompressorCategory;
        if ((!video && category != CLSID_AudioCompressorCategory) || !EnsureGstInitialised()) {
            return found;
        }
        GstCaps* accepted = AviMuxSinkCaps(video ? "video_" : "audio_");
        if (!accepted) {
            return found;
        }
        GList* encoders = gst_element_factory_list_get_elements(
            video ? GST_ELEMENT_FACTORY_TYPE_VIDEO_ENCODER : GST_ELEMENT_FACTORY_TYPE_AUDIO_ENCODER,
            GST_RANK_NONE);
        GList* usable = gst_element_factory_list_filter(encoders, accepted, GST_PAD_SRC, FALSE);
        // Best ranked first, then by name, so the order is the same on every start.
        usable = g_list_sort(usable, gst_plugin_feature_rank_compare_func);
        std::map<std::string, int> named;
        std::vector<EncoderCandidate> candidates;
        for (GList* item = usable; item; item = item->next) {
            auto* factory = GST_ELEMENT_FACTORY(item->data);
            const gchar* longName = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME);
            const std::string featureName = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory));
            const std::string name = EncoderName(longName ? longName : featureName);
            ++named[name];
            candidates.push_back({.factory = featureName,
                                  .kind = video ? EncoderKind::Video : EncoderKind::Audio,
                                  .key = EncoderRegistryKey(factory)});
            found.push_back({.friendlyName = name,
                             .id = featureName,
                             .bind = [featureName](const Guid& iid, void** object) {
                                 return BindDeviceElement(
                                     gst_element_factory_make(featureName.c_str(), nullptr),
                                     FilterRole::Encoder, iid, object);
                             }});
        }
        // Marked among all candidates, so a name does not change when its namesake's verdict does.
        for (DeviceDescription& device : found) {
            if (named[device.friendlyName] > 1) {
                device.friendlyName += FactoryMark(device.id);
            }
        }
        const std::vector<ProbeVerdict> verdicts =
            SharedEncoderProbeCache().verdicts(candidates, EncoderProbeNotice());
        std::vector<DeviceDescription> working;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (verdicts[i].works) {
                working.push_back(std::move(found[i]));
            }
        }
        found = std::move(working);
        gst_plugin_feature_list_free(usable);
        gst_plugin_feature_list_free(encoders);
        gst_caps_unref(accepted);
        return found;
    }
};

} // namespace

std::string EncoderName(const std::string& longName) {
    std::istringstream words(longName);
    std::string name;
    std::string previous;
    for (std::string word; words >> word;) {
        gchar* folded = g_utf8_casefold(word.c_str(), -1);
        const std::string current = folded ? folded : word;
        g_free(folded);
        if (current == previous) {
            continue;
        }
        name += (name.empty() ? "" : " ") + word;
        previous = current;
    }
    return name;
}

bool IsFormerEncoderName(const std::string& listed, const std::string& oldName) {
    const std::string name = EncoderName(oldName);
    if (name.empty() || listed.compare(0, name.size(), name) != 0) {
        return false;
    }
    const std::string rest = listed.substr(name.size());
    return rest.empty() ||
           (rest.rfind(" [", 0) == 0 && rest.back() == ']' && rest.find(' ', 2) == std::string::npos);
}

std::shared_ptr<DeviceProvider> MakeGstEncoderProvider() {
    return std::make_shared<GstEncoderProvider>();
}
