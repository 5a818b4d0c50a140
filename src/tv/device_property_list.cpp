// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_property_list.h"

#include "owned_media_type.h"
#include "property_frames.h"
#include "tuner_tools.h"

#include <cstdlib>

namespace {

constexpr const char* kTexts[kDevicePropertyCount] = {
    "Video Format...",      "Video Source...",    "Video Display...",        "TV Tuner...",
    "Video Crossbar...",    "Second Crossbar...", "Video Capture Filter...", "Video Capture Pin...",
    "Video Preview Pin...", "TV Audio...",        "Audio Capture Filter...", "Audio Capture Pin...",
};

template <typename T>
RefPtr<T> FindOn(ICaptureGraphBuilder2* builder, const Guid* category, const Guid* type,
                 IBaseFilter* filter) {
    RefPtr<T> found;
    if (!builder || !filter ||
        FAILED(
            builder->FindInterface(category, type, filter, T::IID, reinterpret_cast<void**>(found.put())))) {
        return {};
    }
    return found;
}

} // namespace

const char* DevicePropertyText(DeviceProperty entry) {
    return kTexts[static_cast<std::size_t>(entry)];
}

bool DevicePropertyStopsGraph(DeviceProperty entry) {
    switch (entry) {
    case DeviceProperty::VideoFormat:
    case DeviceProperty::VideoSource:
    case DeviceProperty::VideoDisplay:
    case DeviceProperty::VideoCapturePin:
    case DeviceProperty::VideoPreviewPin:
    case DeviceProperty::AudioCapturePin:
        return true;
    default:
        return false;
    }
}

bool DevicePropertyIndexes::entryAt(int row, DeviceProperty* entry) const {
    if (row < 0) {
        return false;
    }
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i] == row) {
            *entry = static_cast<DeviceProperty>(i);
            return true;
        }
    }
    return false;
}

namespace {

// The crossbar in front of the video capture filter, as a filter; and the one upstream of it.
RefPtr<IBaseFilter> FirstCrossbar(TTunerTools& tools) {
    const RefPtr<IAMCrossbar> crossbar = FindOn<IAMCrossbar>(tools.builder.get(), &PIN_CATEGORY_CAPTURE,
                                                             &MEDIATYPE_Video, tools.videoCapture.get());
    return crossbar ? query<IBaseFilter>(crossbar) : RefPtr<IBaseFilter>{};
}

RefPtr<IBaseFilter> SecondCrossbar(TTunerTools& tools) {
    const RefPtr<IBaseFilter> first = FirstCrossbar(tools);
    const RefPtr<IAMCrossbar> second =
        FindOn<IAMCrossbar>(tools.builder.get(), &LOOK_UPSTREAM_ONLY, nullptr, first.get());
    return second ? query<IBaseFilter>(second) : RefPtr<IBaseFilter>{};
}

RefPtr<IAMStreamConfig> PinConfig(TTunerTools& tools, const Guid& category, const Guid& type) {
    IBaseFilter* filter = type == MEDIATYPE_Audio ? tools.audioCapture.get() : tools.videoCapture.get();
    return FindOn<IAMStreamConfig>(tools.builder.get(), &category, &type, filter);
}

} // namespace

bool DevicePropertyPages::Offers(DeviceProperty entry) {
    TTunerTools& t = tools_;
    switch (entry) {
    case DeviceProperty::VideoFormat:
        return t.vfwDialogs && t.vfwDialogs->HasDialog(VfwCaptureDialog_Format) == S_OK;
    case DeviceProperty::VideoSource:
        return t.vfwDialogs && t.vfwDialogs->HasDialog(VfwCaptureDialog_Source) == S_OK;
    case DeviceProperty::VideoDisplay:
        return t.vfwDialogs && t.vfwDialogs->HasDialog(VfwCaptureDialog_Display) == S_OK;
    case DeviceProperty::TvTuner:
        return t.tuner && frames_.Publishes(t.tuner.get());
    case DeviceProperty::VideoCrossbar:
        return frames_.Publishes(FirstCrossbar(t).get());
    case DeviceProperty::SecondCrossbar:
        return frames_.Publishes(SecondCrossbar(t).get());
    case DeviceProperty::VideoCaptureFilter:
        return t.videoCapture && frames_.Publishes(t.videoCapture.get());
    case DeviceProperty::VideoCapturePin:
        return frames_.Publishes(PinConfig(t, PIN_CATEGORY_CAPTURE, MEDIATYPE_Video).get());
    case DeviceProperty::VideoPreviewPin:
        return frames_.Publishes(PinConfig(t, PIN_CATEGORY_PREVIEW, MEDIATYPE_Video).get());
    case DeviceProperty::TvAudio:
        return t.tvAudio && frames_.Publishes(t.tvAudio.get());
    case DeviceProperty::AudioCaptureFilter:
        return t.audioCapture && frames_.Publishes(t.audioCapture.get());
    case DeviceProperty::AudioCapturePin:
        return frames_.Publishes(PinConfig(t, PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio).get());
    }
    return false;
}

std::vector<DeviceProperty> DevicePropertyPages::Offered() {
    std::vector<DeviceProperty> offered;
    for (std::size_t i = 0; i < kDevicePropertyCount; ++i) {
        const auto entry = static_cast<DeviceProperty>(i);
        if (Offers(entry)) {
            offered.push_back(entry);
        }
    }
    return offered;
}

void DevicePropertyPages::Show(DeviceProperty entry) {
    TTunerTools& t = tools_;
    switch (entry) {
    case DeviceProperty::VideoFormat:
        ShowVideoFormat();
        break;
    case DeviceProperty::VideoSource:
        ShowDriverDialog(VfwCaptureDialog_Source);
        break;
    case DeviceProperty::VideoDisplay:
        ShowDriverDialog(VfwCaptureDialog_Display);
        break;
    case DeviceProperty::TvTuner:
        frames_.Open(t.dialogOwner, t.tuner.get());
        break;
    case DeviceProperty::VideoCrossbar:
        frames_.Open(t.dialogOwner, FirstCrossbar(t).get());
        break;
    case DeviceProperty::SecondCrossbar:
        frames_.Open(t.dialogOwner, SecondCrossbar(t).get());
        break;
    case DeviceProperty::VideoCaptureFilter:
        frames_.Open(t.dialogOwner, t.videoCapture.get());
        break;
    case DeviceProperty::VideoCapturePin:
        ShowVideoCapturePin();
        break;
    case DeviceProperty::VideoPreviewPin:
        ShowVideoPreviewPin();
        break;
    case DeviceProperty::TvAudio:
        frames_.Open(t.dialogOwner, t.tvAudio.get());
        break;
    case DeviceProperty::AudioCaptureFilter:
        frames_.Open(t.dialogOwner, t.audioCapture.get());
        break;
    case DeviceProperty::AudioCapturePin:
        ShowAudioCapturePin();
        break;
    }
}

void DevicePropertyPages::HaltPreviewIfWanted() {
    if (tools_.previewWanted) {
        tools_.HaltPreview();
    }
}

void DevicePropertyPages::RestartPreview(bool rebuild) {
    if (!tools_.previewWanted) {
        return;
    }
    if (rebuild) {
        tools_.AssemblePreview();
    }
    tools_.RunPreview();
}

void DevicePropertyPages::ShowDriverDialog(int dialog) {
    if (!tools_.vfwDialogs) {
        return;
    }
    HaltPreviewIfWanted();
    tools_.vfwDialogs->ShowDialog(dialog, tools_.dialogOwner);
    RestartPreview(false);
}

void DevicePropertyPages::ShowVideoFormat() {
    if (!tools_.vfwDialogs) {
        return;
    }
    HaltPreviewIfWanted();
    // A format that no longer fits the built graph: it is taken apart and built anew below.
    if (tools_.vfwDialogs->ShowDialog(VfwCaptureDialog_Format, tools_.dialogOwner) == VFW_E_CANNOT_CONNECT) {
        tools_.DismantleGraph();
    }
    ReadPreviewSize();
    RestartPreview(true);
}

void DevicePropertyPages::ReadPreviewSize() {
    OwnedMediaType format;
    if (!tools_.previewConfig || FAILED(tools_.previewConfig->GetFormat(&format.type)) || !format.type) {
        return;
    }
    if (const VIDEOINFOHEADER* info = VideoInfoOf(format.type)) {
        tools_.target->videoWidth = std::abs(info->bmiHeader.biWidth);
        tools_.target->videoHeight = std::abs(info->bmiHeader.biHeight);
    }
}

void DevicePropertyPages::ShowVideoCapturePin() {
    if (!tools_.builder) {
        return;
    }
    HaltPreviewIfWanted();
    if (tools_.previewBuilt || tools_.captureBuilt) {
        tools_.DismantleGraph();
    }
    frames_.Open(tools_.dialogOwner, PinConfig(tools_, PIN_CATEGORY_CAPTURE, MEDIATYPE_Video).get());
    RestartPreview(true);
}

void DevicePropertyPages::ShowVideoPreviewPin() {
    if (!tools_.builder) {
        return;
    }
    if (tools_.previewWanted) {
        tools_.HaltPreview();
        tools_.DismantleGraph();
    }
    if (frames_.Open(tools_.dialogOwner, PinConfig(tools_, PIN_CATEGORY_PREVIEW, MEDIATYPE_Video).get())) {
        ReadPreviewSize();
    }
    RestartPreview(true);
}

void DevicePropertyPages::ShowAudioCapturePin() {
    if (!tools_.builder || !tools_.audioCapture) {
        return;
    }
    HaltPreviewIfWanted();
    frames_.Open(tools_.dialogOwner, PinConfig(tools_, PIN_CATEGORY_CAPTURE, MEDIATYPE_Audio).get());
    RestartPreview(false);
}
