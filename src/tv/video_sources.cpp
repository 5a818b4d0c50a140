// SPDX-License-Identifier: GPL-2.0-or-later
#include "video_sources.h"

#include "crossbar.h"

namespace {

constexpr int kNameBufferSize = 260;

} // namespace

VideoSourceBox ReadVideoSources(CCrossbar* crossbar, int videoInputCount) {
    VideoSourceBox box;
    if (!crossbar || videoInputCount <= 0) {
        return box;
    }
    int tuner = -1;
    for (int index = 0;; ++index) {
        std::int32_t type = 0;
        char name[kNameBufferSize] = {};
        if (FAILED(crossbar->InputType(index, &type)) ||
            FAILED(crossbar->InputName(index, name, sizeof name))) {
            break;
        }
        box.names.emplace_back(name);
        if (tuner < 0 && type == PhysConn_Video_Tuner) {
            tuner = index;
        }
    }
    if (!box.names.empty()) {
        box.selected = tuner >= 0 ? tuner : 0;
    }
    return box;
}
