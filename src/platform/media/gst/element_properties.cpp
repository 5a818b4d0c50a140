// SPDX-License-Identifier: GPL-2.0-or-later
#include "element_properties.h"

#include <cstring>

namespace {

// Properties every element has; they are not settings of the element's own work.
bool IsCommonProperty(const GParamSpec* property) {
    static const char* const common[] = {"name", "parent", "qos"};
    for (const char* name : common) {
        if (std::strcmp(property->name, name) == 0) {
            return true;
        }
    }
    return false;
}

bool IsPlainValueType(GType type) {
    const GType fundamental = G_TYPE_FUNDAMENTAL(type);
    return fundamental != G_TYPE_OBJECT && fundamental != G_TYPE_POINTER && fundamental != G_TYPE_BOXED &&
           fundamental != G_TYPE_PARAM && fundamental != G_TYPE_INTERFACE && fundamental != G_TYPE_VARIANT;
}

// A value's text; empty when the type has no text form.
std::string Serialised(const GValue& value) {
    gchar* text = gst_value_serialize(&value);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

} // namespace

bool IsElementSetting(const GParamSpec* property) {
    const GParamFlags flags = property->flags;
    return (flags & G_PARAM_READABLE) && (flags & G_PARAM_WRITABLE) && !(flags & G_PARAM_CONSTRUCT_ONLY) &&
           IsPlainValueType(property->value_type) && !IsCommonProperty(property);
}

bool IsSettableNow(GstElement* element, const GParamSpec* property) {
    // Some settings only take effect before the element runs; offering them while it plays would mislead.
    return IsElementSetting(property) &&
           (!(property->flags & GST_PARAM_MUTABLE_READY) || GST_STATE(element) <= GST_STATE_READY);
}

std::vector<ElementSetting> ChangedElementSettings(GstElement* element) {
    std::vector<ElementSetting> changed;
    GstElementFactory* factory = gst_element_get_factory(element);
    // A newly made element, not the properties' declared defaults: elements set some values of their own when
    // made.
    GstElement* fresh = factory ? gst_element_factory_create(factory, nullptr) : nullptr;
    if (!fresh) {
        return changed;
    }
    gst_object_ref_sink(fresh);
    guint count = 0;
    GParamSpec** properties = g_object_class_list_properties(G_OBJECT_GET_CLASS(element), &count);
    for (guint i = 0; i < count; ++i) {
        GParamSpec* property = properties[i];
        if (!IsElementSetting(property)) {
            continue;
        }
        GValue now = G_VALUE_INIT;
        GValue initial = G_VALUE_INIT;
        g_value_init(&now, property->value_type);
        g_value_init(&initial, property->value_type);
        g_object_get_property(G_OBJECT(element), property->name, &now);
        g_object_get_property(G_OBJECT(fresh), property->name, &initial);
        if (g_param_values_cmp(property, &now, &initial) != 0) {
            std::string text = Serialised(now);
            if (!text.empty()) {
                changed.push_back({property->name, std::move(text)});
            }
        }
        g_value_unset(&now);
        g_value_unset(&initial);
    }
    g_free(properties);
    gst_object_unref(fresh);
    return changed;
}

bool ApplyElementSetting(GstElement* element, const std::string& name, const std::string& value,
                         std::string& why) {
    GParamSpec* property = g_object_class_find_property(G_OBJECT_GET_CLASS(element), name.c_str());
    if (!property || !IsElementSetting(property)) {
        why = "no setting named " + name;
        return false;
    }
    GValue parsed = G_VALUE_INIT;
    g_value_init(&parsed, property->value_type);
    // Validation clamps a value out of range in place; a clamped value is not what was asked for.
    const bool ok =
        gst_value_deserialize(&parsed, value.c_str()) && !g_param_value_validate(property, &parsed);
    if (ok) {
        g_object_set_property(G_OBJECT(element), property->name, &parsed);
    } else {
        why = "\"" + value + "\" is not a value of " + name;
    }
    g_value_unset(&parsed);
    return ok;
}
