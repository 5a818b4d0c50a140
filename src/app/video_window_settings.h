#pragma once
// The video window's menu choices in the settings, under "Video" below the program's key: "Deinterlace" (off
// or a method's name), "TVAspect" and "PlayerAspect" (auto, 4:3, 16:9 or square). A value missing or not
// one of these keeps its default.

#include <string>

class Registry;
struct VideoWindowChoices;

void LoadVideoWindowChoices(Registry& reg, const std::string& baseKey, VideoWindowChoices* choices,
                            bool canCreate);
void SaveVideoWindowChoices(Registry& reg, const std::string& baseKey, const VideoWindowChoices* choices);
