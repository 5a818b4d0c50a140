// SPDX-License-Identifier: GPL-2.0-or-later
#include "narrow_effect.h"

#include <gst/base/gstbasetransform.h>
#include <gst/gst.h>

namespace {

struct NarrowEffect {
    GstBaseTransform parent;
};
struct NarrowEffectClass {
    GstBaseTransformClass parent;
};

GstStaticPadTemplate NarrowSink =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                            GST_STATIC_CAPS("audio/x-raw, format=S16LE, rate=8000, channels=1"));
GstStaticPadTemplate NarrowSource = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("audio/x-raw, format=S16LE, rate=8000, channels=1"));

void NarrowEffectClassInit(gpointer klass, gpointer) {
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &NarrowSink);
    gst_element_class_add_static_pad_template(element, &NarrowSource);
    gst_element_class_set_static_metadata(element, "Narrow test effect", "Filter/Effect/Audio",
                                          "Passes 8 kHz mono sound only", "Corvane tests");
    GST_BASE_TRANSFORM_CLASS(klass)->passthrough_on_same_caps = TRUE;
}

void NarrowEffectInit(GTypeInstance* instance, gpointer) {
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(instance), TRUE);
}

} // namespace

const char* RegisterNarrowRateEffect() {
    static const char* const name = [] {
        if (!gst_is_initialized()) {
            gst_init(nullptr, nullptr);
        }
        const GTypeInfo info{sizeof(NarrowEffectClass),
                             nullptr,
                             nullptr,
                             &NarrowEffectClassInit,
                             nullptr,
                             nullptr,
                             sizeof(NarrowEffect),
                             0,
                             &NarrowEffectInit,
                             nullptr};
        const GType type =
            g_type_register_static(GST_TYPE_BASE_TRANSFORM, "CorvaneNarrowTest", &info, GTypeFlags(0));
        gst_element_register(nullptr, "corvanenarrowtest", GST_RANK_NONE, type);
        return "corvanenarrowtest";
    }();
    return name;
}

void RegisterNarrowRateEffectAs(const char* factoryName, const char* longName) {
    RegisterNarrowRateEffect();
    const GType type = g_type_from_name("CorvaneNarrowTest");
    // A factory copies its element's description when it is registered, so each name gets its own.
    auto* klass = static_cast<GstElementClass*>(g_type_class_ref(type));
    gst_element_class_add_metadata(klass, GST_ELEMENT_METADATA_LONGNAME, longName);
    gst_element_register(nullptr, factoryName, GST_RANK_NONE, type);
    g_type_class_unref(klass);
}
