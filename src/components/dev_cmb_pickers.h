// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The seven device pickers: the one picker control, each with its row of the picker table.

#include "dev_cmb_base.h"

template <const DevicePickerKind& Kind, typename Base = DevicePickerCombo>
class DevicePicker final : public Base {
public:
    explicit DevicePicker(QWidget* parent = nullptr, DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : Base(Kind, parent, std::move(factory)) {}
};

using TAudioCaptureDevCombo = DevicePicker<kAudioCapturePicker>;
using TVideoCaptureDevCombo = DevicePicker<kVideoCapturePicker>;
using TTVTunerDevCombo = DevicePicker<kTVTunerPicker>;
using TTVAudioDevCombo = DevicePicker<kTVAudioPicker>;
using TVideoCrossbarDevCombo = DevicePicker<kVideoCrossbarPicker>;
using TVideoCompressionDevCombo = DevicePicker<kVideoCompressionPicker, CodecPickerCombo>;
using TAudioCompressionDevCombo = DevicePicker<kAudioCompressionPicker, CodecPickerCombo>;
