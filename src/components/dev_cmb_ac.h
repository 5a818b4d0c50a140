#pragma once
// Picker of the audio capture devices.

#include "dev_cmb_base.h"

class TAudioCaptureDevCombo final : public DevicePickerCombo {
public:
    explicit TAudioCaptureDevCombo(QWidget* parent = nullptr,
                                   DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : DevicePickerCombo(kAudioCapturePicker, parent, std::move(factory)) {}
};
