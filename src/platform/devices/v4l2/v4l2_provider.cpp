// SPDX-License-Identifier: GPL-2.0-or-later
#include "v4l2_provider.h"

#include "platform/devices/gst/gst_device_element.h"
#include "platform/media/gst/engine_setup.h"
#include "v4l2_capture_filter.h"
#include "v4l2_front_end.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace {

// What one node offers, read when the devices are listed.
struct NodeInfo {
    std::string node;
    std::string card;
    bool capture = false;
    bool tuner = false;
    // The node's tuner receives FM (a radio node); a capture node's TV tuner refuses it.
    bool radio = false;
    bool crossbar = false;
    std::string sound;
};

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Parent(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The card number of the first "cardN" entry under folder/sound.
std::optional<std::string> CardIn(V4l2System& system, const std::string& folder) {
    for (const std::string& entry : system.listFolder(folder + "/sound")) {
        if (entry.rfind("card", 0) == 0 && entry.size() > 4) {
            return entry.substr(4);
        }
    }
    return std::nullopt;
}

// Makes the object of one part of a node, on a fresh opening of the node.
template <typename Make>
HRESULT BindPart(const std::shared_ptr<V4l2System>& system, const std::string& node, const Guid& iid,
                 void** object, Make make) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    EnsureGstInitialised();
    HRESULT hr = S_OK;
    std::shared_ptr<V4l2Device> device = V4l2Device::Open(system, node, &hr);
    if (!device) {
        return hr;
    }
    RefPtr<IBaseFilter> filter = make(device);
    return filter ? filter->QueryInterface(iid, object) : E_FAIL;
}

class V4l2Provider final : public DeviceProvider {
public:
    explicit V4l2Provider(std::shared_ptr<V4l2System> system) : system_(std::move(system)) {}

    const char* name() const override { return "v4l2"; }

    std::vector<DeviceDescription> devices(const Guid& category) override {
        std::vector<DeviceDescription> found;
        std::map<std::string, int> seen;
        // Every device here is a node (or the node's sound card) that one process at a time can use.
        auto add = [&](const std::string& name, const std::string& id, const std::string& path,
                       std::function<HRESULT(const Guid&, void**)> bind) {
            const int count = ++seen[name];
            found.push_back({.friendlyName = count == 1 ? name : name + " #" + std::to_string(count),
                             .id = id,
                             .bind = std::move(bind),
                             .devicePath = path});
        };
        const std::shared_ptr<V4l2System> system = system_;
        // A card's capture and radio nodes lead to the same sound card; it is listed once.
        std::set<std::string> sounds;
        std::vector<NodeInfo> nodes = scan();
        // A sound card is listed under the first node that leads to it; a tuner's sound is that entry.
        std::map<std::string, std::string> soundIds;
        for (const NodeInfo& info : nodes) {
            if (!info.sound.empty()) {
                soundIds.emplace(info.sound, "audio:" + info.node);
            }
        }
        if (category == AM_KSCATEGORY_TVAUDIO) {
            // Only the Radio page picks a TV audio device (the TV page finds the capture node's own): radio
            // nodes come first, so it starts on one.
            std::stable_partition(nodes.begin(), nodes.end(),
                                  [](const NodeInfo& info) { return !info.capture; });
        }
        for (const NodeInfo& info : nodes) {
            const std::string node = info.node;
            if (category == CLSID_VideoInputDeviceCategory && info.capture) {
                add(info.card, "video:" + node, node, [system, node](const Guid& iid, void** object) {
                    return BindV4l2CaptureFilter(system, node, iid, object);
                });
            } else if ((category == AM_KSCATEGORY_TVTUNER && info.radio) ||
                       (category == AM_KSCATEGORY_TVAUDIO && info.tuner)) {
                // Only the Radio page picks a tuner, and a capture node's TV tuner refuses FM: the list
                // holds the radio tuners alone.
                const bool tuner = category == AM_KSCATEGORY_TVTUNER;
                const std::size_t before = found.size();
                add(info.card, std::string(tuner ? "tuner:" : "tvaudio:") + node, node,
                    [system, node, tuner](const Guid& iid, void** object) {
                        return BindPart(system, node, iid, object, [tuner](const auto& device) {
                            const std::optional<v4l2_tuner> found = ReadTuner(*device);
                            if (!found) {
                                return RefPtr<IBaseFilter>();
                            }
                            if (tuner) {
                                return RefPtr<IBaseFilter>(MakeCom<V4l2TunerFilter>(device, *found));
                            }
                            return RefPtr<IBaseFilter>(MakeCom<V4l2TvAudioFilter>(device, *found));
                        });
                    });
                if (tuner && !info.sound.empty() && found.size() > before) {
                    found.back().soundId = soundIds[info.sound];
                }
            } else if (category == AM_KSCATEGORY_CROSSBAR && info.crossbar) {
                add(info.card, "crossbar:" + node, node, [system, node](const Guid& iid, void** object) {
                    return BindPart(system, node, iid, object, [](const auto& device) {
                        V4l2CrossbarLayout layout = ReadCrossbarLayout(*device);
                        return layout.inputs.empty() ? RefPtr<IBaseFilter>()
                                                     : RefPtr<IBaseFilter>(MakeCom<V4l2CrossbarFilter>(
                                                           device, std::move(layout)));
                    });
                });
            } else if (category == CLSID_AudioInputDeviceCategory && !info.sound.empty() &&
                       sounds.insert(info.sound).second) {
                const std::string sound = info.sound;
                add(info.card + " Audio", "audio:" + node, sound, [sound](const Guid& iid, void** object) {
                    EnsureGstInitialised();
                    GstElement* source = gst_element_factory_make("alsasrc", nullptr);
                    if (source) {
                        g_object_set(source, "device", sound.c_str(), nullptr);
                    }
                    return BindDeviceElement(source, FilterRole::Source, iid, object);
                });
            }
        }
        return found;
    }

private:
    std::vector<NodeInfo> scan() {
        std::vector<NodeInfo> nodes;
        for (const std::string& node : system_->deviceNodes()) {
            std::shared_ptr<V4l2Device> device = V4l2Device::Open(system_, node, nullptr);
            if (!device) {
                continue; // a node without permission or in the middle of going away
            }
            NodeInfo info;
            info.node = node;
            info.card = device->cardName();
            const std::uint32_t caps = device->nodeCaps();
            info.capture = (caps & V4L2_CAP_VIDEO_CAPTURE) != 0;
            const std::optional<v4l2_tuner> tuner =
                (caps & V4L2_CAP_TUNER) ? ReadTuner(*device) : std::optional<v4l2_tuner>();
            info.tuner = tuner.has_value();
            info.radio = tuner && IsRadio(*tuner);
            info.crossbar = info.capture && !ReadCrossbarLayout(*device).inputs.empty();
            info.sound = SoundCardOf(*system_, node);
            if (info.capture || info.tuner) {
                nodes.push_back(info);
            }
        }
        return nodes;
    }

    std::shared_ptr<V4l2System> system_;
};

} // namespace

std::string SoundCardOf(V4l2System& system, const std::string& node) {
    const std::string device = system.resolve("/sys/class/video4linux/" + BaseName(node) + "/device");
    if (device.empty()) {
        return {};
    }
    if (std::optional<std::string> card = CardIn(system, device)) {
        return "hw:" + *card;
    }
    // Siblings share the name up to its last '.': 0000:05:01.0 and 0000:05:01.1, 1-1:1.0 and 1-1:1.1.
    const std::string name = BaseName(device);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) {
        return {};
    }
    const std::string stem = name.substr(0, dot + 1);
    const std::string parent = Parent(device);
    for (const std::string& sibling : system.listFolder(parent)) {
        if (sibling != name && sibling.rfind(stem, 0) == 0) {
            if (std::optional<std::string> card = CardIn(system, parent + "/" + sibling)) {
                return "hw:" + *card;
            }
        }
    }
    return {};
}

std::shared_ptr<DeviceProvider> MakeV4l2Provider(std::shared_ptr<V4l2System> system) {
    return std::make_shared<V4l2Provider>(std::move(system));
}

std::shared_ptr<DeviceProvider> MakeSystemV4l2Provider() {
    return MakeV4l2Provider(SystemV4l2());
}
