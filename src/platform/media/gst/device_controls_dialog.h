// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings page of a device, drawn from its controls: a slider (or, for a wide range such as a
// frequency, a number box) for each number, a check box for each switch, a list for each menu and a button
// for each action. Every change goes to the device at once and the page then shows what the device holds,
// so a refused value springs back and controls that follow another one move with it. OK keeps the values,
// committing a number still being typed; Cancel puts back those the page found.

#include "platform/com/ref_ptr.h"
#include "platform/devices/device_controls.h"
#include "property_frame_dialog.h"

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

class DeviceControlsDialog final : public PropertyFrameDialog {
    Q_OBJECT
public:
    // Editors are named after their control.
    DeviceControlsDialog(IDeviceControls& controls, const QString& caption, QWidget* parent = nullptr);

    int editorCount() const { return int(editors_.size()); }

public slots:
    void accept() override;

private:
    struct Editor {
        DeviceControl control;
        QSlider* slider = nullptr;
        QLabel* sliderValue = nullptr;
        QSpinBox* number = nullptr;
        QCheckBox* check = nullptr;
        QComboBox* menu = nullptr;
    };
    void addEditor(const DeviceControl& control);
    void apply(std::uint32_t id, std::int32_t value);
    // Shows the device's values in every editor without sending them back.
    void refresh();
    void showValue(const Editor& editor, std::int32_t value);
    void restore() override;

    RefPtr<IDeviceControls> controls_;
    std::vector<Editor> editors_;
    struct InitialValue {
        std::uint32_t id;
        std::int32_t value;
    };
    std::vector<InitialValue> initialValues_;
};
