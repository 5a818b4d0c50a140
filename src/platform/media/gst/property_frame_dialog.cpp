// SPDX-License-Identifier: GPL-2.0-or-later
#include "property_frame_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

PropertyFrameDialog::PropertyFrameDialog(const QString& caption, QWidget* parent)
    : QDialog(parent), form_(new QFormLayout) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
}

void PropertyFrameDialog::finish(int editorCount, const QString& emptyNote) {
    if (editorCount == 0) {
        form_->addRow(new QLabel(emptyNote));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    static_cast<QVBoxLayout*>(layout())->addWidget(buttons);
}

std::pair<QSlider*, QLabel*> PropertyFrameDialog::addSliderRow(const QString& label, const QString& name,
                                                               int steps, int position, const QString& text) {
    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, steps);
    slider->setValue(position);
    slider->setObjectName(name);
    auto* value = new QLabel(text);
    value->setObjectName(name + QStringLiteral("-value"));
    rowLayout->addWidget(slider, 1);
    rowLayout->addWidget(value);
    form_->addRow(label, row);
    return {slider, value};
}

void PropertyFrameDialog::reject() {
    restore();
    QDialog::reject();
}
