// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Message boxes as a service: real Qt boxes in the program, a recorder in tests.

#include <QString>

#include <vector>

class QWidget;

enum class MessageIcon { None, Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
// The button the user chose, numbered as the platform numbers them.
enum class MessageResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageResult show(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    MessageResult show(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon,
                       MessageButtons buttons) override;
};

class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString text;
        QString caption;
        MessageIcon icon;
    };

    MessageResult show(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon,
                       MessageButtons buttons) override;

    const std::vector<Shown>& shown() const { return shown_; }
    void clear() { shown_.clear(); }
    // What the next boxes answer; Ok (or Yes) by default.
    void setAnswer(MessageResult answer) { answer_ = answer; }

private:
    std::vector<Shown> shown_;
    MessageResult answer_ = MessageResult::Ok;
};
