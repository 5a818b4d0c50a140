// SPDX-License-Identifier: GPL-2.0-or-later
#include "video_window_settings.h"

#include "platform/registry/registry.h"
#include "view/video_window_choices.h"

namespace {

constexpr const char* kVideoKey = "\\Video";

void LoadAspect(Registry& reg, const char* name, PictureShape& aspect) {
    if (const auto stored = reg.ReadString(name)) {
        aspect = PictureShapeOfKey(*stored).value_or(aspect);
    }
}

} // namespace

void LoadVideoWindowChoices(Registry& reg, const std::string& baseKey, VideoWindowChoices* choices,
                            bool canCreate) {
    if (!choices || !reg.OpenKey(baseKey + kVideoKey, canCreate)) {
        return;
    }
    if (const auto stored = reg.ReadString("Deinterlace"); stored && IsDeinterlaceChoice(*stored)) {
        choices->deinterlace = *stored;
    }
    LoadAspect(reg, "TVAspect", choices->tvAspect);
    LoadAspect(reg, "PlayerAspect", choices->playerAspect);
    reg.CloseKey();
}

void SaveVideoWindowChoices(Registry& reg, const std::string& baseKey, const VideoWindowChoices* choices) {
    if (!choices || !reg.OpenKey(baseKey + kVideoKey, true)) {
        return;
    }
    reg.WriteString("Deinterlace", choices->deinterlace);
    reg.WriteString("TVAspect", PictureShapeKey(choices->tvAspect));
    reg.WriteString("PlayerAspect", PictureShapeKey(choices->playerAspect));
    reg.CloseKey();
}
