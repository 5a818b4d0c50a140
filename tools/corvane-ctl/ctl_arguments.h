// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of corvane-ctl: what to do and with which choices. Parsing only; nothing is opened here.

#include "platform/media/element_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CtlArguments {
    enum class Command { Help, Version, Devices, Record, Tune, Listen, Snapshot, Scan };
    Command command = Command::Help;

    // record, tune, listen and snapshot
    std::optional<std::string> device;

    // tune, listen and scan: the band (for scan, the list searched)
    enum class Band { Tv, Radio };
    Band band = Band::Tv;
    // tune and listen: the frequency in Hz
    std::int32_t frequency = 0;

    // scan: the wait between tuning and reading at each step (the search's own when not given)
    std::optional<std::uint32_t> settleMs;

    // record and snapshot: tune the TV tuner first (Hz), then switch to the crossbar input of that name (also
    // listen tv's input)
    std::optional<std::int32_t> tuneFrequency;
    std::optional<std::string> input;
    // record: tune the stored TV channel of this name instead, with its standard and picture values
    std::optional<std::string> channel;

    // snapshot: the PNG file, and how an interlaced picture is deinterlaced ("off" or a method's name; the
    // program's choice when not given)
    std::string snapshotFile;
    std::optional<std::string> deinterlace;

    // record; the size also for snapshot. listen: how long, until Ctrl+C when 0
    double seconds = 0;
    std::optional<std::string> audioDevice;
    std::optional<std::string> videoCodec;
    std::optional<std::string> audioCodec;
    std::int32_t width = 352;
    std::int32_t height = 288;
    bool noSound = false;
    std::string output = "capture.avi";
    // record: compressor settings for this recording only, over the stored ones (--video-option NAME=VALUE
    // and --audio-option NAME=VALUE, in the order given)
    std::vector<ElementSetting> videoOptions;
    std::vector<ElementSetting> audioOptions;
};

// The parsed arguments (without the program name), or the reason they make no command.
struct CtlParse {
    std::optional<CtlArguments> arguments;
    std::string error;
};
CtlParse ParseCtlArguments(const std::vector<std::string>& args);

// "WxH" with both sides from 1 to 4096, as "352x288".
// "MHZ" as a decimal number of MHz, from 0 to the largest frequency in Hz an int32 holds.
bool ParseMegahertz(const std::string& text, std::int32_t& hertz);

// "MS" for --settle: whole milliseconds from 0 to kLongestSettleMs, digits only.
inline constexpr std::uint32_t kLongestSettleMs = 10000;
bool ParseSettle(const std::string& text, std::uint32_t& milliseconds);

bool ParseFrameSize(const std::string& text, std::int32_t& width, std::int32_t& height);

// How long record and listen run, above 0 and up to a day: plain seconds ("90", "2.5"), or hours, minutes
// and seconds in that order, each at most once, as "1h30m", "90m", "45s", "1.5h".
bool ParseDuration(const std::string& text, double& seconds);

extern const char* const kCtlUsage;
