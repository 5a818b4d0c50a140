// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_message_boxes.h"

MessageResult CtlMessageBoxes::show(QWidget*, const QString& text, const QString&, MessageIcon,
                                    MessageButtons) {
    pending_.push_back(OneLine(text));
    return MessageResult::Ok;
}

std::string CtlMessageBoxes::OneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\n"), QStringLiteral(": "));
    return line.toStdString();
}

bool CtlMessageBoxes::flush(std::FILE* stream, bool failed) {
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const bool last = i + 1 == pending_.size();
        std::fprintf(stream, "%s: %s\n", failed && last ? "error" : "warning", pending_[i].c_str());
    }
    const bool printedError = failed && !pending_.empty();
    pending_.clear();
    std::fflush(stream);
    return printedError;
}

int CtlMessageBoxes::fail(std::FILE* stream, const std::string& fallback) {
    if (!flush(stream, true)) {
        std::fprintf(stream, "error: %s\n", fallback.c_str());
        std::fflush(stream);
    }
    return 1;
}
