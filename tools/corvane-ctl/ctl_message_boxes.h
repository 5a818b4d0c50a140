// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Message boxes for a command line: each box's text is kept, so the command can print what went wrong as
// "error: TEXT" and what it went on after as "warning: TEXT".

#include "platform/win/message_boxes.h"

#include <cstdio>
#include <string>
#include <vector>

class CtlMessageBoxes final : public MessageBoxes {
public:
    MessageResult show(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon,
                       MessageButtons buttons) override;

    // Prints the boxes not printed yet: the last as "error: " when failed, every other as "warning: ".
    // Returns whether an error line was printed.
    bool flush(std::FILE* stream, bool failed);

    bool pending() const { return !pending_.empty(); }

    // Ends a command that failed: the boxes, the last as the error, or fallback as the error when none was
    // shown. Returns the exit status, 1.
    int fail(std::FILE* stream, const std::string& fallback);

    // A box's text on one line: the system's text after a line feed follows a colon.
    static std::string OneLine(const QString& text);

private:
    std::vector<std::string> pending_;
};
