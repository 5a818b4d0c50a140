#pragma once
// Picker of the audio compressors.

#include "dev_cmb_base.h"

class TAudioCompressionDevCombo final : public CodecPickerCombo {
public:
    explicit TAudioCompressionDevCombo(QWidget* parent = nullptr,
                                       DeviceEnumFactory factory = CreateSystemDeviceEnum)
        : CodecPickerCombo(kAudioCompressionPicker, parent, std::move(factory)) {}
};
