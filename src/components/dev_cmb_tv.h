#pragma once
// Picker of the TV tuners.

#include "dev_cmb_base.h"

class TTVTunerDevCombo final : public DevicePickerCombo {
public:
    explicit TTVTunerDevCombo(QWidget* parent = nullptr, DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : DevicePickerCombo(kTVTunerPicker, parent, std::move(factory)) {}
};
