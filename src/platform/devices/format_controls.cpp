// SPDX-License-Identifier: GPL-2.0-or-later
#include "format_controls.h"

#include "control_builders.h"

#include <cstdlib>
#include <string>

namespace {

enum : std::uint32_t {
    kFrameSize = 0x500,
    kFrameRate = 0x501,
};

struct PinFormat {
    LONG width = 0;
    LONG height = 0;
    REFERENCE_TIME frameTime = 0;
};

bool ReadFormat(IAMStreamConfig& config, PinFormat& format) {
    AM_MEDIA_TYPE* type = nullptr;
    if (config.GetFormat(&type) < 0 || !type) {
        return false;
    }
    const VIDEOINFOHEADER* info = VideoInfoOf(type);
    if (info) {
        format = {info->bmiHeader.biWidth, std::abs(info->bmiHeader.biHeight), info->AvgTimePerFrame};
    }
    DeleteMediaType(type);
    return info != nullptr;
}

// Rewrites the pin's format with a change to its header.
template <typename Change> bool WriteFormat(IAMStreamConfig& config, Change change) {
    AM_MEDIA_TYPE* type = nullptr;
    if (config.GetFormat(&type) < 0 || !type) {
        return false;
    }
    VIDEOINFOHEADER* info = VideoInfoOf(type);
    bool written = false;
    if (info) {
        change(*info);
        written = config.SetFormat(type) >= 0;
    }
    DeleteMediaType(type);
    return written;
}

std::vector<std::pair<LONG, LONG>> CapabilitySizes(IAMStreamConfig& config) {
    std::vector<std::pair<LONG, LONG>> sizes;
    int count = 0;
    int size = 0;
    if (config.GetNumberOfCapabilities(&count, &size) < 0) {
        return sizes;
    }
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        if (config.GetStreamCaps(i, &type, nullptr) == S_OK && type) {
            if (const VIDEOINFOHEADER* info = VideoInfoOf(type)) {
                sizes.emplace_back(info->bmiHeader.biWidth, std::abs(info->bmiHeader.biHeight));
            }
            DeleteMediaType(type);
        }
    }
    return sizes;
}

constexpr REFERENCE_TIME kSecond = 10000000;

} // namespace

std::vector<DeviceControlEntry> StreamFormatControls(IAMStreamConfig& config) {
    IAMStreamConfig* c = &config;
    std::vector<DeviceControlEntry> entries;
    PinFormat current;
    if (!ReadFormat(config, current)) {
        return entries;
    }
    const std::vector<std::pair<LONG, LONG>> sizes = CapabilitySizes(config);
    std::vector<DeviceControlItem> items;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        items.push_back(
            {std::int32_t(i), std::to_string(sizes[i].first) + " x " + std::to_string(sizes[i].second)});
    }
    if (!items.empty()) {
        entries.push_back({MenuControl(kFrameSize, "Frame Size", items),
                           [c, sizes] {
                               PinFormat format;
                               ReadFormat(*c, format);
                               for (std::size_t i = 0; i < sizes.size(); ++i) {
                                   if (sizes[i].first == format.width && sizes[i].second == format.height) {
                                       return std::int32_t(i);
                                   }
                               }
                               return std::int32_t(-1);
                           },
                           [c, sizes](std::int32_t index) {
                               return WriteFormat(*c, [&](VIDEOINFOHEADER& info) {
                                   info.bmiHeader.biWidth = sizes[std::size_t(index)].first;
                                   info.bmiHeader.biHeight = sizes[std::size_t(index)].second;
                                   info.bmiHeader.biSizeImage = 0;
                               });
                           }});
    }
    // Frames a second, as the common rates of capture devices.
    entries.push_back(
        {NumberControl(kFrameRate, "Frame Rate (fps)", 10, 50, 1, 25),
         [c] {
             PinFormat format;
             ReadFormat(*c, format);
             return format.frameTime > 0 ? std::int32_t((kSecond + format.frameTime / 2) / format.frameTime)
                                         : 0;
         },
         [c](std::int32_t rate) {
             return WriteFormat(*c, [rate](VIDEOINFOHEADER& info) { info.AvgTimePerFrame = kSecond / rate; });
         }});
    return entries;
}
