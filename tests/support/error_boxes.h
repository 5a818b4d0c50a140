// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The error boxes the tuner objects show: stop icon, no caption of their own.

#include "platform/win/message_boxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The texts of the boxes shown so far; each must be an error box without a caption.
inline std::vector<std::string> ErrorBoxTexts(const RecordingMessageBoxes& boxes) {
    std::vector<std::string> texts;
    for (const auto& box : boxes.shown()) {
        EXPECT_EQ(box.icon, MessageIcon::Error);
        EXPECT_TRUE(box.caption.isEmpty());
        texts.push_back(box.text.toStdString());
    }
    return texts;
}
