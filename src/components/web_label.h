// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A label that opens a document, web address or mail link with the desktop's associated program.

#include <QLabel>

class Shell;

class TWebLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString File READ file WRITE setFile)
public:
    static constexpr const char* kContactAddress = "support@corvane.org";

    explicit TWebLabel(Shell& shell, QWidget* parent = nullptr);

    QString file() const { return file_; }
    void setFile(const QString& file) { file_ = file; }

    void OnLabelClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Shell& shell_;
    QString file_;
};
