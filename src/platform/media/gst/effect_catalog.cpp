// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect_catalog.h"

#include "engine_setup.h"

#include <QCryptographicHash>
#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

// Elements classed as audio effects that only change level, timing or speed; the player has its own level.
constexpr std::array<std::string_view, 8> NotEffects{"volume",     "audiorate", "rgvolume",   "rglimiter",
                                                     "rganalysis", "pitch",     "scaletempo", "speed"};

bool IsRawAudioOnly(GstStaticPadTemplate* pad) {
    GstCaps* caps = gst_static_caps_get(&pad->static_caps);
    bool raw = caps && !gst_caps_is_any(caps) && !gst_caps_is_empty(caps);
    for (guint i = 0; raw && i < gst_caps_get_size(caps); ++i) {
        raw = std::strcmp(gst_structure_get_name(gst_caps_get_structure(caps, i)), "audio/x-raw") == 0;
    }
    if (caps) {
        gst_caps_unref(caps);
    }
    return raw;
}

// One always sink and one always source pad, both carrying raw audio.
bool HasOneAudioInAndOut(GstElementFactory* factory) {
    int sinks = 0;
    int sources = 0;
    for (const GList* item = gst_element_factory_get_static_pad_templates(factory); item; item = item->next) {
        auto* pad = static_cast<GstStaticPadTemplate*>(item->data);
        if (pad->presence != GST_PAD_ALWAYS || !IsRawAudioOnly(pad)) {
            return false;
        }
        (pad->direction == GST_PAD_SINK ? sinks : sources) += 1;
    }
    return sinks == 1 && sources == 1;
}

bool IsAudioEffect(GstElementFactory* factory) {
    const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
    const std::string_view name = GST_OBJECT_NAME(factory);
    return klass && std::strstr(klass, "Filter/Effect/Audio") &&
           std::find(NotEffects.begin(), NotEffects.end(), name) == NotEffects.end() &&
           HasOneAudioInAndOut(factory);
}

} // namespace

Guid ClassIdOfEffect(const std::string& factoryName) {
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray("corvane audio effect:") + QByteArray::fromStdString(factoryName),
                                 QCryptographicHash::Sha1);
    Guid id;
    auto byte = [&](int i) { return static_cast<std::uint8_t>(digest[i]); };
    id.data1 =
        std::uint32_t(byte(0)) << 24 | std::uint32_t(byte(1)) << 16 | std::uint32_t(byte(2)) << 8 | byte(3);
    id.data2 = std::uint16_t(byte(4) << 8 | byte(5));
    // A name-based identifier (version 5, RFC 4122 variant).
    id.data3 = std::uint16_t(((byte(6) << 8 | byte(7)) & 0x0FFF) | 0x5000);
    for (int i = 0; i < 8; ++i) {
        id.data4[i] = byte(8 + i);
    }
    id.data4[0] = (id.data4[0] & 0x3F) | 0x80;
    return id;
}

std::vector<AudioEffectElement> InstalledAudioEffects() {
    EnsureGstInitialised();
    std::vector<AudioEffectElement> effects;
    GList* factories = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
    for (GList* item = factories; item; item = item->next) {
        auto* factory = GST_ELEMENT_FACTORY(item->data);
        if (!IsAudioEffect(factory)) {
            continue;
        }
        const std::string name = GST_OBJECT_NAME(factory);
        const char* longName = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME);
        effects.push_back({ClassIdOfEffect(name), name,
                           QString::fromUtf8(longName ? longName : name.c_str()).toStdWString()});
    }
    gst_plugin_feature_list_free(factories);
    std::sort(effects.begin(), effects.end(),
              [](const auto& a, const auto& b) { return a.factoryName < b.factoryName; });
    return effects;
}

std::optional<std::string> EffectFactoryOf(const Guid& classId) {
    for (const auto& effect : InstalledAudioEffects()) {
        if (effect.classId == classId) {
            return effect.factoryName;
        }
    }
    return std::nullopt;
}

GstElement* MakeEffectElement(const Guid& classId) {
    const auto factory = EffectFactoryOf(classId);
    return factory ? gst_element_factory_make(factory->c_str(), nullptr) : nullptr;
}
