// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_controls_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

#include <algorithm>

namespace {

// Ranges of more steps than this get a number box: a slider over them could not hit a value.
constexpr std::int64_t kSliderSteps = 1000;

std::int64_t StepsOf(const DeviceControl& control) {
    const std::int64_t step = control.step > 0 ? control.step : 1;
    return (std::int64_t(control.maximum) - control.minimum) / step;
}

int PositionOf(const DeviceControl& control, std::int32_t value) {
    const std::int64_t step = control.step > 0 ? control.step : 1;
    return int((std::int64_t(value) - control.minimum + step / 2) / step);
}

std::int32_t ValueAt(const DeviceControl& control, int position) {
    const std::int64_t step = control.step > 0 ? control.step : 1;
    return std::int32_t(std::min<std::int64_t>(control.minimum + position * step, control.maximum));
}

} // namespace

DeviceControlsDialog::DeviceControlsDialog(IDeviceControls& controls, const QString& caption, QWidget* parent)
    : PropertyFrameDialog(caption, parent), controls_(&controls) {
    for (const DeviceControl& control : controls_->controls()) {
        addEditor(control);
    }
    refresh();
    finish(editorCount(), tr("This device has no settings."));
}

void DeviceControlsDialog::addEditor(const DeviceControl& control) {
    Editor editor{control};
    const QString name = QString::fromStdString(control.name);
    QWidget* widget = nullptr;
    const std::uint32_t id = control.id;
    switch (control.kind) {
    case DeviceControl::Kind::Integer:
        if (StepsOf(control) <= kSliderSteps) {
            const auto row = addSliderRow(name, name, int(StepsOf(control)), 0, QString());
            editor.slider = row.first;
            editor.sliderValue = row.second;
            // As wide as the widest value, so the slider keeps its length while the number changes.
            const QFontMetrics metrics = editor.sliderValue->fontMetrics();
            editor.sliderValue->setMinimumWidth(
                std::max(metrics.horizontalAdvance(QString::number(control.minimum)),
                         metrics.horizontalAdvance(QString::number(control.maximum))));
            editor.sliderValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            editor.slider->setEnabled(!control.readOnly);
            connect(editor.slider, &QSlider::valueChanged, this,
                    [this, id, control](int position) { apply(id, ValueAt(control, position)); });
        } else {
            editor.number = new QSpinBox;
            editor.number->setRange(control.minimum, control.maximum);
            editor.number->setSingleStep(control.step > 0 ? control.step : 1);
            editor.number->setGroupSeparatorShown(true);
            // A value goes to the device when it is complete (Enter, leaving the box, a step), not per digit.
            editor.number->setKeyboardTracking(false);
            editor.number->setReadOnly(control.readOnly);
            connect(editor.number, &QSpinBox::valueChanged, this,
                    [this, id](int value) { apply(id, value); });
            widget = editor.number;
        }
        break;
    case DeviceControl::Kind::Boolean:
        editor.check = new QCheckBox;
        editor.check->setEnabled(!control.readOnly);
        connect(editor.check, &QCheckBox::toggled, this, [this, id](bool on) { apply(id, on ? 1 : 0); });
        widget = editor.check;
        break;
    case DeviceControl::Kind::Menu:
        editor.menu = new QComboBox;
        for (const DeviceControlItem& item : control.items) {
            editor.menu->addItem(QString::fromStdString(item.name), item.value);
        }
        editor.menu->setEnabled(!control.readOnly);
        connect(editor.menu, &QComboBox::activated, this,
                [this, id, menu = editor.menu](int index) { apply(id, menu->itemData(index).toInt()); });
        widget = editor.menu;
        break;
    case DeviceControl::Kind::Button: {
        auto* button = new QPushButton(name);
        button->setEnabled(!control.readOnly);
        connect(button, &QPushButton::clicked, this, [this, id] { apply(id, 0); });
        button->setObjectName(name);
        form().addRow(QString(), button);
        editors_.push_back(editor);
        return;
    }
    }
    if (widget) {
        widget->setObjectName(name);
        form().addRow(name, widget);
    }
    std::int32_t value = 0;
    if (!control.readOnly && controls_->GetValue(id, &value) >= 0) {
        initialValues_.push_back({id, value});
    }
    editors_.push_back(editor);
}

void DeviceControlsDialog::apply(std::uint32_t id, std::int32_t value) {
    controls_->SetValue(id, value); // a refused value shows as the device's own in the refresh
    refresh();
}

void DeviceControlsDialog::refresh() {
    for (const Editor& editor : editors_) {
        std::int32_t value = 0;
        if (editor.control.kind != DeviceControl::Kind::Button &&
            controls_->GetValue(editor.control.id, &value) >= 0) {
            showValue(editor, value);
        }
    }
}

void DeviceControlsDialog::showValue(const Editor& editor, std::int32_t value) {
    if (editor.slider) {
        const QSignalBlocker quiet(editor.slider);
        editor.slider->setValue(PositionOf(editor.control, value));
        editor.sliderValue->setText(QString::number(value));
    }
    if (editor.number) {
        const QSignalBlocker quiet(editor.number);
        editor.number->setValue(value);
    }
    if (editor.check) {
        const QSignalBlocker quiet(editor.check);
        editor.check->setChecked(value != 0);
    }
    if (editor.menu) {
        editor.menu->setCurrentIndex(editor.menu->findData(value));
    }
}

void DeviceControlsDialog::accept() {
    for (const Editor& editor : editors_) {
        if (editor.number && !editor.control.readOnly) {
            editor.number->interpretText(); // a value still being typed counts
        }
    }
    PropertyFrameDialog::accept();
}

void DeviceControlsDialog::restore() {
    for (const InitialValue& initial : initialValues_) {
        controls_->SetValue(initial.id, initial.value);
    }
}
