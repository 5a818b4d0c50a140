// SPDX-License-Identifier: GPL-2.0-or-later
#include "v4l2_controls.h"

#include <algorithm>
#include <cstring>

namespace {

std::vector<DeviceControlItem> MenuItems(V4l2Device& device, const v4l2_query_ext_ctrl& query) {
    std::vector<DeviceControlItem> items;
    const std::int64_t last = std::min<std::int64_t>(query.maximum, query.minimum + kMaxEnumerated - 1);
    for (std::int64_t index = query.minimum; index <= last; ++index) {
        v4l2_querymenu item{};
        item.id = query.id;
        item.index = static_cast<std::uint32_t>(index);
        // Drivers leave holes in a menu (EINVAL for an index they do not offer).
        if (device.ioctl(VIDIOC_QUERYMENU, &item) < 0) {
            continue;
        }
        // The structure is packed: its name is copied out before it is read.
        __u8 label[sizeof item.name];
        std::memcpy(label, item.name, sizeof label);
        std::string name = query.type == V4L2_CTRL_TYPE_INTEGER_MENU
                               ? std::to_string(static_cast<long long>(item.value))
                               : TextOf(label);
        items.push_back({static_cast<std::int32_t>(index), std::move(name)});
    }
    return items;
}

} // namespace

std::vector<DeviceControlEntry> V4l2DeviceControls(const std::shared_ptr<V4l2Device>& device) {
    std::vector<DeviceControlEntry> entries;
    v4l2_query_ext_ctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    std::uint32_t previous = 0;
    for (std::uint32_t count = 0; count < kMaxEnumerated && device->ioctl(VIDIOC_QUERY_EXT_CTRL, &query) == 0;
         ++count) {
        const std::uint32_t id = query.id;
        // Each answer names a control after the one asked for; anything else would go round in a circle.
        if (id <= previous) {
            break;
        }
        previous = id;
        DeviceControl control;
        control.id = id;
        control.name = query.name;
        control.minimum = static_cast<std::int32_t>(query.minimum);
        control.maximum = static_cast<std::int32_t>(query.maximum);
        control.step = static_cast<std::int32_t>(query.step > 0 ? query.step : 1);
        control.defaultValue = static_cast<std::int32_t>(query.default_value);
        control.readOnly = (query.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED)) != 0;
        bool shown = !(query.flags & V4L2_CTRL_FLAG_DISABLED);
        switch (query.type) {
        case V4L2_CTRL_TYPE_INTEGER:
            control.kind = DeviceControl::Kind::Integer;
            break;
        case V4L2_CTRL_TYPE_BOOLEAN:
            control.kind = DeviceControl::Kind::Boolean;
            break;
        case V4L2_CTRL_TYPE_MENU:
        case V4L2_CTRL_TYPE_INTEGER_MENU:
            control.kind = DeviceControl::Kind::Menu;
            control.items = MenuItems(*device, query);
            break;
        case V4L2_CTRL_TYPE_BUTTON:
            control.kind = DeviceControl::Kind::Button;
            break;
        default:
            shown = false; // class headings, 64-bit, text and compound controls
            break;
        }
        if (shown) {
            const std::weak_ptr<V4l2Device> weak = device;
            DeviceControlEntry entry{control, nullptr, nullptr};
            entry.get = [weak, id]() -> std::int32_t {
                const std::shared_ptr<V4l2Device> node = weak.lock();
                v4l2_control value{};
                value.id = id;
                return node && node->ioctl(VIDIOC_G_CTRL, &value) == 0 ? value.value : 0;
            };
            entry.set = [weak, id](std::int32_t wanted) {
                const std::shared_ptr<V4l2Device> node = weak.lock();
                v4l2_control value{};
                value.id = id;
                value.value = wanted;
                return node && node->ioctl(VIDIOC_S_CTRL, &value) == 0;
            };
            entries.push_back(std::move(entry));
        }
        query = {};
        query.id = id | V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    return entries;
}
