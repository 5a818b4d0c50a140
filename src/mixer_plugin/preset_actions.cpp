// SPDX-License-Identifier: LGPL-2.1-or-later
#include "preset_actions.h"

#include "action_tables.h"
#include "control_kind.h"

#include <optional>
#include <type_traits>

namespace faderix {

namespace {

// 32-bit arithmetic on T that wraps like the hardware registers do, without signed-overflow UB.
template <typename T> struct Wrap {
    static T add(T a, T b) { return static_cast<T>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
    static T sub(T a, T b) { return static_cast<T>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
    static T mul(T a, T b) { return static_cast<T>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }
    static T div(T a, T b) {
        if constexpr (std::is_signed_v<T>) {
            if (b == -1) {
                return static_cast<T>(0u - static_cast<uint32_t>(a));
            }
        }
        return a / b;
    }
};

template <typename T> std::optional<VolumeStep> stepIn(T min, T max, T v, uint16_t action) {
    using W = Wrap<T>;
    const T n = W::add(W::sub(max, min), 1);
    if (n == 0) {
        return std::nullopt;
    }
    T p = W::add(W::sub(v, min), 1);
    if (p > n) {
        p = n;
    }
    const T sixteenth = W::div(n, 16);
    const T sixtyFourth = W::div(n, 64);
    // Writing min + P back for a code that leaves P alone would raise the value by one step on every
    // apply, so such codes only read.
    bool writes = true;
    switch (action) {
    case volume_action::kUpSixteenth:
        p = W::sub(n, sixteenth) > p ? W::add(p, sixteenth) : n;
        break;
    case volume_action::kDownSixteenth:
        p = sixteenth < p ? W::sub(p, sixteenth) : 0;
        break;
    case volume_action::kFull:
        p = n;
        break;
    case volume_action::kThreeQuarters:
        p = W::div(W::mul(3, n), 4);
        break;
    case volume_action::kHalf:
        p = W::div(n, 2);
        break;
    case volume_action::kQuarter:
        p = W::div(n, 4);
        break;
    case volume_action::kZero:
        p = 0;
        break;
    case volume_action::kUpSixtyFourth:
        p = W::sub(n, sixtyFourth) > p ? W::add(p, sixtyFourth) : n;
        break;
    case volume_action::kDownSixtyFourth:
        p = sixtyFourth < p ? W::sub(p, sixtyFourth) : 0;
        break;
    default:
        if (action >= volume_action::kFirstPercent && action <= volume_action::kLastPercent) {
            const T percent = static_cast<T>(95 - 5 * (action - volume_action::kFirstPercent));
            p = W::div(W::mul(n, percent), 100);
        } else {
            writes = false;
        }
        break;
    }
    const T percent = W::div(W::mul(p, 100), n);
    const T top = p == n ? W::sub(n, 1) : p;
    return VolumeStep{static_cast<uint32_t>(p), static_cast<uint32_t>(W::add(min, top)),
                      static_cast<uint32_t>(percent), writes};
}

bool readOne(MixerBackend& backend, uint32_t device, const MixerControl& control, uint32_t& value) {
    std::vector<uint32_t> values;
    if (!backend.getValue(device, control, values) || values.empty()) {
        return false;
    }
    value = values[0];
    return true;
}

// A failed read leaves nothing sound to compute from, so such an item is skipped rather than written.
void applyVolume(MixerBackend& backend, const PresetItem& item, const MixerControl& control,
                 int32_t& reported) {
    uint32_t current = 0;
    if (!readOne(backend, item.mixer, control, current)) {
        return;
    }
    const auto step = volumeStep(control, current, item.action);
    if (!step) {
        return;
    }
    if (item.checked) {
        reported = static_cast<int32_t>(step->percent);
    }
    if (step->writes) {
        backend.setValue(item.mixer, control, {step->written});
    }
}

void applySwitch(MixerBackend& backend, const PresetItem& item, const MixerControl& control,
                 int32_t& reported) {
    uint32_t value = 0;
    if (!readOne(backend, item.mixer, control, value)) {
        return;
    }
    switch (item.action) {
    case switch_action::kCheck:
        value = 1;
        break;
    case switch_action::kUncheck:
        value = 0;
        break;
    case switch_action::kToggle:
        value = value == 0 ? 1 : 0;
        break;
    default:
        break;
    }
    if (item.checked) {
        reported = static_cast<int32_t>(value);
    }
    if (item.action != switch_action::kReadOnly) {
        backend.setValue(item.mixer, control, {value});
    }
}

// The mask selects; the current selection is not read. Items past the sixteenth are deselected.
void applyList(MixerBackend& backend, const PresetItem& item, const MixerControl& control,
               int32_t& reported) {
    const uint32_t count = (control.flags & mixer_flags::Multiple) ? control.items : 1;
    std::vector<uint32_t> values(count, 0);
    for (uint32_t k = 0; k < count && k < 16; ++k) {
        values[k] = (item.action >> k) & 1u;
    }
    if (item.checked) {
        reported = 1;
    }
    backend.setValue(item.mixer, control, values);
}

} // namespace

std::optional<VolumeStep> volumeStep(const MixerControl& control, uint32_t current, uint16_t action) {
    if (isSliderClass(control.type)) {
        return stepIn<int32_t>(static_cast<int32_t>(control.minimum), static_cast<int32_t>(control.maximum),
                               static_cast<int32_t>(current), action);
    }
    return stepIn<uint32_t>(control.minimum, control.maximum, current, action);
}

int32_t applyPreset(MixerBackend& backend, const Preset& preset) {
    int32_t reported = 0;
    for (const PresetItem& item : preset.items) {
        MixerControl control;
        if (!backend.controlById(item.mixer, item.controlId, control)) {
            continue;
        }
        switch (classifyControl(control.type)) {
        case ControlKind::Volume:
            applyVolume(backend, item, control, reported);
            break;
        case ControlKind::Switch:
            applySwitch(backend, item, control, reported);
            break;
        case ControlKind::List:
            applyList(backend, item, control, reported);
            break;
        default:
            break;
        }
    }
    return reported;
}

} // namespace faderix
