#pragma once
// Picker of the video compressors.

#include "dev_cmb_base.h"

class TVideoCompressionDevCombo final : public CodecPickerCombo {
public:
    explicit TVideoCompressionDevCombo(QWidget* parent = nullptr,
                                       DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : CodecPickerCombo(kVideoCompressionPicker, parent, std::move(factory)) {}
};
