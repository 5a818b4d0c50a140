// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Player page's file-open dialog: several existing files at once. The page reads the file it opens and
// the list of all chosen files; tests answer the dialog themselves.

#include <QString>
#include <QStringList>

class QWidget;

class OpenDialog {
public:
    virtual ~OpenDialog() = default;
    // False when the user cancels; otherwise FileName and Files hold the choice.
    virtual bool Execute(QWidget* parent) = 0;

    QString FileName;
    QStringList Files;
};

class QtOpenDialog final : public OpenDialog {
public:
    bool Execute(QWidget* parent) override;
};
