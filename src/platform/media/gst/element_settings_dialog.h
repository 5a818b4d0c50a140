// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings page of an element (an audio effect, a compressor), drawn from its properties: a slider for
// each number, a check box for each switch and a list for each choice. Changes apply at once, so an effect
// can be heard while it is set; Cancel puts back the values the dialog found.

#include "property_frame_dialog.h"

#include <gst/gst.h>

#include <vector>

class ElementSettingsDialog final : public PropertyFrameDialog {
    Q_OBJECT
public:
    // emptyNote stands in the page of an element without settings.
    ElementSettingsDialog(GstElement* element, const QString& caption, const QString& emptyNote,
                          QWidget* parent = nullptr);
    ~ElementSettingsDialog() override;

    // Editors are named after their property.
    int editorCount() const { return int(initialValues_.size()); }

private:
    void addEditor(GParamSpec* property);
    void restore() override;

    GstElement* element_;
    struct InitialValue {
        const char* name;
        GValue value;
    };
    std::vector<InitialValue> initialValues_;
};
