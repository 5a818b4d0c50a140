#pragma once
// The settings page of an audio effect, drawn from its element's properties: a slider for each number, a
// check box for each switch and a list for each choice. Changes apply at once, so the effect can be heard
// while it is set; Cancel puts back the values the dialog found.

#include <gst/gst.h>

#include <QDialog>

#include <vector>

class QFormLayout;

class EffectSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    EffectSettingsDialog(GstElement* element, const QString& caption, QWidget* parent = nullptr);
    ~EffectSettingsDialog() override;

    // Editors are named after their property.
    int editorCount() const { return int(initialValues_.size()); }

public slots:
    void reject() override;

private:
    void addEditor(QFormLayout& form, GParamSpec* property);

    GstElement* element_;
    struct InitialValue {
        const char* name;
        GValue value;
    };
    std::vector<InitialValue> initialValues_;
};
