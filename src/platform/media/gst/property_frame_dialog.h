// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What every generated settings page shares: a form of editors above OK and Cancel. Editors apply their
// changes at once, so the device or effect can be watched while it is set; Cancel puts back what the page
// found (restore), as a property frame does.

#include <QDialog>

#include <utility>

class QFormLayout;
class QLabel;
class QSlider;

class PropertyFrameDialog : public QDialog {
    Q_OBJECT
public:
    PropertyFrameDialog(const QString& caption, QWidget* parent);

public slots:
    void reject() override;

protected:
    QFormLayout& form() { return *form_; }
    // Adds OK and Cancel under the editors; with no editors, the note instead of the form's rows.
    void finish(int editorCount, const QString& emptyNote);
    // A slider over positions 0..steps beside a label with the value's text, in one row of the form. The
    // slider is named name and the label name + "-value".
    std::pair<QSlider*, QLabel*> addSliderRow(const QString& label, const QString& name, int steps,
                                              int position, const QString& text);
    // Puts back the values found when the page opened.
    virtual void restore() = 0;

private:
    QFormLayout* form_;
};
