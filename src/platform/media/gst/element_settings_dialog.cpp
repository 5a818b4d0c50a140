// SPDX-License-Identifier: GPL-2.0-or-later
#include "element_settings_dialog.h"

#include "element_properties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace {

// A numeric property seen as a range of doubles; integers keep whole steps.
struct NumericRange {
    double minimum;
    double maximum;
    bool integral;
};

bool RangeOf(GParamSpec* property, NumericRange& range) {
    switch (G_TYPE_FUNDAMENTAL(property->value_type)) {
    case G_TYPE_INT:
        range = {double(G_PARAM_SPEC_INT(property)->minimum), double(G_PARAM_SPEC_INT(property)->maximum),
                 true};
        return true;
    case G_TYPE_UINT:
        range = {double(G_PARAM_SPEC_UINT(property)->minimum), double(G_PARAM_SPEC_UINT(property)->maximum),
                 true};
        return true;
    case G_TYPE_INT64:
        range = {double(G_PARAM_SPEC_INT64(property)->minimum), double(G_PARAM_SPEC_INT64(property)->maximum),
                 true};
        return true;
    case G_TYPE_UINT64:
        range = {double(G_PARAM_SPEC_UINT64(property)->minimum),
                 double(G_PARAM_SPEC_UINT64(property)->maximum), true};
        return true;
    case G_TYPE_FLOAT:
        range = {G_PARAM_SPEC_FLOAT(property)->minimum, G_PARAM_SPEC_FLOAT(property)->maximum, false};
        return true;
    case G_TYPE_DOUBLE:
        range = {G_PARAM_SPEC_DOUBLE(property)->minimum, G_PARAM_SPEC_DOUBLE(property)->maximum, false};
        return true;
    default:
        return false;
    }
}

// Sliders move in at most this many steps; a wider integer range is stepped proportionally.
constexpr int kSliderSteps = 1000;

double ReadNumber(GstElement* element, GParamSpec* property) {
    GValue value = G_VALUE_INIT;
    g_value_init(&value, property->value_type);
    g_object_get_property(G_OBJECT(element), property->name, &value);
    GValue asDouble = G_VALUE_INIT;
    g_value_init(&asDouble, G_TYPE_DOUBLE);
    g_value_transform(&value, &asDouble);
    const double number = g_value_get_double(&asDouble);
    g_value_unset(&value);
    g_value_unset(&asDouble);
    return number;
}

void WriteNumber(GstElement* element, GParamSpec* property, double number) {
    GValue asDouble = G_VALUE_INIT;
    g_value_init(&asDouble, G_TYPE_DOUBLE);
    g_value_set_double(&asDouble, number);
    GValue value = G_VALUE_INIT;
    g_value_init(&value, property->value_type);
    if (g_value_transform(&asDouble, &value)) {
        g_object_set_property(G_OBJECT(element), property->name, &value);
    }
    g_value_unset(&value);
    g_value_unset(&asDouble);
}

// Some properties allow values up to their type's limits: 64-bit counts (delays in nanoseconds, buffer sizes)
// and floating factors up to the largest float. A slider over that is useless and dangerous: one step of such
// a factor is about 1e35, and the far end of a count can make an effect allocate without bound. Such a slider
// reaches ten times the larger of the current and the default value instead, on either side that is open.
void LimitOpenRange(GParamSpec* property, double current, NumericRange& range) {
    const double open = range.integral ? double(G_MAXUINT32) : 1e9;
    if (range.maximum <= open && range.minimum >= -open) {
        return;
    }
    GValue initial = G_VALUE_INIT;
    g_value_init(&initial, property->value_type);
    g_param_value_set_default(property, &initial);
    GValue asDouble = G_VALUE_INIT;
    g_value_init(&asDouble, G_TYPE_DOUBLE);
    g_value_transform(&initial, &asDouble);
    const double least = range.integral ? 1000.0 : 1.0;
    const double reach = 10.0 * std::max({std::abs(current), std::abs(g_value_get_double(&asDouble)), least});
    g_value_unset(&initial);
    g_value_unset(&asDouble);
    if (range.maximum > open) {
        range.maximum = std::min(range.maximum, std::max(range.minimum + 1, reach));
    }
    if (range.minimum < -open) {
        range.minimum = std::max(range.minimum, std::min(range.maximum - 1, -reach));
    }
}

QString NumberText(double number, bool integral) {
    return integral ? QString::number(qint64(std::llround(number))) : QString::number(number, 'g', 4);
}

} // namespace

ElementSettingsDialog::ElementSettingsDialog(GstElement* element, const QString& caption,
                                             const QString& emptyNote, QWidget* parent)
    : PropertyFrameDialog(caption, parent), element_(GST_ELEMENT(gst_object_ref(element))) {
    guint count = 0;
    GParamSpec** properties = g_object_class_list_properties(G_OBJECT_GET_CLASS(element), &count);
    for (guint i = 0; i < count; ++i) {
        if (IsSettableNow(element, properties[i])) {
            addEditor(properties[i]);
        }
    }
    g_free(properties);
    finish(editorCount(), emptyNote);
}

ElementSettingsDialog::~ElementSettingsDialog() {
    for (InitialValue& initial : initialValues_) {
        g_value_unset(&initial.value);
    }
    gst_object_unref(element_);
}

void ElementSettingsDialog::addEditor(GParamSpec* property) {
    const GType fundamental = G_TYPE_FUNDAMENTAL(property->value_type);
    GstElement* element = element_;
    const QString label = QString::fromUtf8(g_param_spec_get_nick(property));
    QWidget* editor = nullptr;
    NumericRange range{};
    if (fundamental == G_TYPE_BOOLEAN) {
        auto* box = new QCheckBox;
        gboolean on = FALSE;
        g_object_get(element, property->name, &on, nullptr);
        box->setChecked(on);
        connect(box, &QCheckBox::toggled, this, [element, property](bool checked) {
            g_object_set(element, property->name, gboolean(checked), nullptr);
        });
        editor = box;
    } else if (fundamental == G_TYPE_ENUM) {
        auto* list = new QComboBox;
        GEnumClass* enumClass = G_PARAM_SPEC_ENUM(property)->enum_class;
        gint current = 0;
        g_object_get(element, property->name, &current, nullptr);
        for (guint i = 0; i < enumClass->n_values; ++i) {
            list->addItem(QString::fromUtf8(enumClass->values[i].value_nick), enumClass->values[i].value);
            if (enumClass->values[i].value == current) {
                list->setCurrentIndex(int(i));
            }
        }
        connect(list, &QComboBox::activated, this, [element, property, list](int index) {
            g_object_set(element, property->name, list->itemData(index).toInt(), nullptr);
        });
        editor = list;
    } else if (RangeOf(property, range) && range.maximum > range.minimum) {
        LimitOpenRange(property, ReadNumber(element, property), range);
        const bool exact = range.integral && range.maximum - range.minimum <= kSliderSteps;
        const int steps = exact ? int(range.maximum - range.minimum) : kSliderSteps;
        auto toNumber = [range, steps](int position) {
            return range.minimum + (range.maximum - range.minimum) * position / steps;
        };
        const double current = ReadNumber(element, property);
        const auto row = addSliderRow(
            label, QString::fromUtf8(property->name), steps,
            int(std::lround((current - range.minimum) / (range.maximum - range.minimum) * steps)),
            NumberText(current, range.integral));
        QLabel* value = row.second;
        connect(row.first, &QSlider::valueChanged, this,
                [element, property, toNumber, value, range](int position) {
                    const double number = toNumber(position);
                    WriteNumber(element, property, number);
                    value->setText(NumberText(number, range.integral));
                });
    } else {
        return; // a kind of value no editor is made for
    }
    if (editor) {
        editor->setObjectName(QString::fromUtf8(property->name));
        form().addRow(label, editor);
    }
    InitialValue initial{property->name, G_VALUE_INIT};
    g_value_init(&initial.value, property->value_type);
    g_object_get_property(G_OBJECT(element), property->name, &initial.value);
    initialValues_.push_back(initial);
}

void ElementSettingsDialog::restore() {
    for (InitialValue& initial : initialValues_) {
        g_object_set_property(G_OBJECT(element_), initial.name, &initial.value);
    }
}
