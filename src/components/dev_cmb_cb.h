#pragma once
// Picker of the video crossbars.

#include "dev_cmb_base.h"

class TVideoCrossbarDevCombo final : public DevicePickerCombo {
public:
    explicit TVideoCrossbarDevCombo(QWidget* parent = nullptr,
                                    DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : DevicePickerCombo(kVideoCrossbarPicker, parent, std::move(factory)) {}
};
