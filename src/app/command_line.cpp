// SPDX-License-Identifier: GPL-2.0-or-later
#include "command_line.h"

#include <cstring>

namespace {

// The manual page lists the same options and variables; a test keeps the two in step.
constexpr const char* kHelp =
    "Usage: corvane [FILE...]\n"
    "\n"
    "Plays audio and video files, shows and records analog TV and plays FM radio.\n"
    "The files given are added to the Player page's playlist. Qt's own options, such as -platform, apply.\n"
    "\n"
    "Options:\n"
    "  -h, --help              show this help and exit\n"
    "  --version               show the version and exit\n"
    "\n"
    "Environment:\n"
    "  CORVANE_DEVICES         device providers to use: all (default), virtual, v4l2 or none\n"
    "  CORVANE_REGISTRY        settings database to use instead of the one in $XDG_CONFIG_HOME\n"
    "  CORVANE_AUDIO_SINK      GStreamer audio sink to play through instead of autoaudiosink\n";

} // namespace

std::optional<int> AnswerInformationOption(int argc, const char* const* argv, std::FILE* out) {
    if (argc != 2) {
        return std::nullopt;
    }
    if (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, out);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::fprintf(out, "%s\n", kApplicationTitle);
        return 0;
    }
    return std::nullopt;
}
