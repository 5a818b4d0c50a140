// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A device's GStreamer element as a filter of the media engine: the element sits in the filter's bin and each
// of its always-present pads is a pin, so a capture graph connects devices as it connects any filter. A
// source's raw output is a capture pin (category, stream control, frame counters); an encoder takes any raw
// layout through a converter in front of it and describes itself through IAMVideoCompression.

#include "platform/devices/device_enum.h"
#include "platform/devices/gst/encoder_settings.h"
#include "platform/media/gst/capture_output.h"
#include "platform/media/gst/engine_setup.h"
#include "platform/media/gst/gst_filter.h"

#include <gst/gst.h>

#include <memory>

class EncoderOutputFormat;
class SourceSoundFormats;

class DeviceFilter final : public GstFilter, public IDeviceElement {
public:
    // Takes over a new (floating) element. A source's output pin is "Capture"; other pins are "Input" and
    // "Output".
    DeviceFilter(GstElement* element, FilterRole role);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    GstElement* deviceElement() override { return element_; }

    void* queryPinInterface(const GstPin& pin, const Guid& iid) override;

private:
    class Compression;
    ~DeviceFilter() override;
    void* queryOtherInterface(const Guid& iid) override;

    GstElement* element_;
    std::unique_ptr<CaptureOutput> capture_;
    GstPin* capturePin_ = nullptr;
    std::unique_ptr<Compression> compression_;
    std::unique_ptr<EncoderSettings> settings_; // an encoder's
    GstPin* compressedPin_ = nullptr;
    std::unique_ptr<SourceSoundFormats> soundFormats_;
    std::unique_ptr<EncoderOutputFormat> outputFormat_;
    GstPin* outputPin_ = nullptr;
};

// Binds a freshly made element as the device's filter; E_FAIL when the element could not be made.
HRESULT BindDeviceElement(GstElement* element, FilterRole role, const Guid& iid, void** object);
