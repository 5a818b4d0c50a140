#pragma once
// Picker of the TV audio controls.

#include "dev_cmb_base.h"

class TTVAudioDevCombo final : public DevicePickerCombo {
public:
    explicit TTVAudioDevCombo(QWidget* parent = nullptr, DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : DevicePickerCombo(kTVAudioPicker, parent, std::move(factory)) {}
};
