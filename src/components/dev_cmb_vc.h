#pragma once
// Picker of the video capture devices.

#include "dev_cmb_base.h"

class TVideoCaptureDevCombo final : public DevicePickerCombo {
public:
    explicit TVideoCaptureDevCombo(QWidget* parent = nullptr,
                                   DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : DevicePickerCombo(kVideoCapturePicker, parent, std::move(factory)) {}
};
