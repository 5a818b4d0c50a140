// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_arguments.h"

#include "platform/media/deinterlace_methods.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>

// The manual page lists the same commands, options and variables; a test keeps the two in step.
const char* const kCtlUsage =
    "Usage: corvane-ctl COMMAND [OPTION...]\n"
    "\n"
    "Lists Corvane's capture devices, records from them, takes snapshots of their picture, tunes their\n"
    "TV and radio tuners and searches the band for channels, on the program's own settings, capture\n"
    "graph and radio tuner.\n"
    "\n"
    "Commands:\n"
    "  devices              list the devices, one per line: CATEGORY<TAB>INDEX<TAB>NAME\n"
    "  record SECONDS       record picture and sound into an AVI file for SECONDS seconds, or\n"
    "                       for a duration such as 90m, 1h30m or 45s (up to a day)\n"
    "  snapshot FILE        run the preview and write one frame of it to FILE as PNG,\n"
    "                       printing \"snapshot FILE WxH\"\n"
    "  tune tv MHZ          tune the TV tuner to MHZ MHz and print the frequency, the fine-tuning\n"
    "                       offset and whether the picture is locked\n"
    "  tune radio MHZ       tune the radio tuner to MHZ MHz in FM mode and print the frequency and\n"
    "                       the fine-tuning offset\n"
    "  listen tv|radio MHZ [SECONDS]  tune as tune does, print its lines and play the card's sound\n"
    "                       until SECONDS have passed or Ctrl+C; the device locks apply\n"
    "  channels tv|radio    list the stored TV channels or radio stations, one per line:\n"
    "                       INDEX<TAB>CHECK<TAB>FREQ_HZ<TAB>NAME\n"
    "  scan tv|radio        search the band as the program's Search... button does, update the\n"
    "                       stored list and save it; prints one line per find,\n"
    "                       find HZ new|updated signal|no-signal NAME, and at the end\n"
    "                       updated N, new N, incorrect N\n"
    "\n"
    "Options:\n"
    "  --device NAME        video capture device, or radio tuner for tune radio (default: the one\n"
    "                       chosen in the program)\n"
    "  --audio-device NAME  audio capture device (default: the first one)\n"
    "  --size WxH           capture or preview size (default: 352x288)\n"
    "  --tune tv MHZ        tune the TV tuner to MHZ MHz first (record, snapshot)\n"
    "  --input NAME         video input of the card, as \"Video Composite\" (record, snapshot)\n"
    "  --channel NAME       record: tune the stored TV channel NAME first, with its video standard\n"
    "                       and picture values, as a click on it in the channel list does\n"
    "  --duration DURATION  record: how long, instead of SECONDS\n"
    "  --deinterlace METHOD\n"
    "                       snapshot: deinterlace an interlaced picture with METHOD, or off\n"
    "                       (default: the one chosen in the program's video window)\n"
    "  --video-codec NAME   video compressor (default: the one chosen in the program)\n"
    "  --audio-codec NAME   audio compressor (default: the one chosen in the program)\n"
    "  --video-option NAME=VALUE\n"
    "                       record: the video compressor's setting NAME (a property of its\n"
    "                       element, as quality or bitrate) for this recording only, over the\n"
    "                       one stored from its \"...\" page; repeatable\n"
    "  --audio-option NAME=VALUE\n"
    "                       record: the same for the audio compressor\n"
    "  --no-sound           record the picture only\n"
    "  --output FILE        output file (default: capture.avi); an existing file is kept\n"
    "                       as NAME-YYYYMMDD-HHMMSS.avi\n"
    "  --settle MS          scan: wait MS milliseconds (0 to 10000) between tuning and reading\n"
    "                       at each step (default: 50 for tv, 100 for radio)\n"
    "  -h, --help           show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "To record later, schedule the command with a systemd user timer, or with cron (crontab -e):\n"
    "    systemd-run --user --on-calendar='2026-12-24 20:15' \\\n"
    "        corvane-ctl record 1h30m --channel 'Channel 2' --output ~/Videos/film.avi\n"
    "    15 20 * * 5 corvane-ctl record 45m --channel News --output ~/Videos/news.avi\n"
    "\n"
    "Ctrl+C ends a recording early; the file is complete either way. Ctrl+C stops a scan after\n"
    "the step it is on; what it found is saved. scan refuses to run while Corvane runs on the\n"
    "same settings, which it would save over at its close.\n"
    "\n"
    "Environment:\n"
    "  CORVANE_DEVICES      all (default), virtual, v4l2 or none\n"
    "  CORVANE_VIRTUAL_CARD  JSON file describing the virtual TV card\n"
    "  CORVANE_REGISTRY     the settings file to read the program's choices from\n"
    "  CORVANE_CARD_SOUND_SINK  the output of the card's sound for listen (default: autoaudiosink)\n"
    "  XDG_RUNTIME_DIR      holds corvane/, the folder of the device locks\n";

namespace {

constexpr std::int32_t kLargestSide = 4096;
// A day: a longer recording or listen is surely a typing error.
constexpr double kLongestRecording = 86400.0;

bool ParseSide(const char* first, const char* last, std::int32_t& side) {
    const auto [end, error] = std::from_chars(first, last, side);
    return error == std::errc() && end == last && side >= 1 && side <= kLargestSide;
}

// Only digits and one dot, as "175.25": no sign, exponent or other spelling strtod would take.
bool IsPlainDecimal(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos &&
           text.find('.') == text.rfind('.') && text != ".";
}

// A plain decimal's value; IsPlainDecimal has vouched for its spelling.
double DecimalValue(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

const char* const kDurationHint =
    "above 0 and up to a day: seconds, as 90, or hours, minutes and seconds, as 1h30m, 90m or 45s";

std::string RecordDurationError() {
    return std::string("record needs a duration ") + kDurationHint;
}

CtlParse Fail(std::string error) {
    return {std::nullopt, std::move(error)};
}

// "tv|radio MHZ" after the command: the band and the frequency of tune and listen; the reason when wrong.
std::optional<std::string> ParseBandAndFrequency(const std::vector<std::string>& args,
                                                 const std::string& usage, CtlArguments& parsed) {
    const std::string& command = args[0];
    if (args.size() < 2 || (args[1] != "tv" && args[1] != "radio")) {
        return command + " needs a band: " + usage;
    }
    parsed.band = args[1] == "tv" ? CtlArguments::Band::Tv : CtlArguments::Band::Radio;
    if (args.size() < 3 || !ParseMegahertz(args[2], parsed.frequency)) {
        return parsed.band == CtlArguments::Band::Tv ? command + " tv needs a frequency in MHz, as 175.25"
                                                     : command + " radio needs a frequency in MHz, as 95.8";
    }
    return std::nullopt;
}

// The --device NAME (and, where allowed, --input NAME) options of tune and listen, from args[first] on.
CtlParse ParseDeviceOptions(const std::vector<std::string>& args, std::size_t first, CtlArguments parsed,
                            bool inputAllowed) {
    for (std::size_t i = first; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            return {CtlArguments{}, {}};
        }
        std::optional<std::string> CtlArguments::*field = nullptr;
        if (args[i] == "--device") {
            field = &CtlArguments::device;
        } else if (args[i] == "--input" && inputAllowed) {
            field = &CtlArguments::input;
        } else {
            return Fail("unknown option for " + args[0] + ": " + args[i]);
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            return Fail(args[i] + " needs a value");
        }
        parsed.*field = args[++i];
    }
    return {parsed, {}};
}

CtlParse ParseTune(const std::vector<std::string>& args) {
    CtlArguments parsed;
    parsed.command = CtlArguments::Command::Tune;
    if (const auto error = ParseBandAndFrequency(args, "tune tv|radio MHZ", parsed)) {
        return Fail(*error);
    }
    return ParseDeviceOptions(args, 3, parsed, false);
}

CtlParse ParseListen(const std::vector<std::string>& args) {
    CtlArguments parsed;
    parsed.command = CtlArguments::Command::Listen;
    if (const auto error = ParseBandAndFrequency(args, "listen tv|radio MHZ [SECONDS]", parsed)) {
        return Fail(*error);
    }
    std::size_t first = 3;
    if (first < args.size() && args[first].rfind("--", 0) != 0) {
        if (!ParseDuration(args[first], parsed.seconds)) {
            return Fail(std::string("listen needs a duration ") + kDurationHint);
        }
        ++first;
    }
    return ParseDeviceOptions(args, first, parsed, parsed.band == CtlArguments::Band::Tv);
}

// The options from args[first] on. The recording options only where recording is.
CtlParse ParseOptions(const std::vector<std::string>& args, std::size_t first, CtlArguments parsed,
                      bool recording) {
    struct NamedOption {
        const char* name;
        std::optional<std::string> CtlArguments::*field;
        bool recordingOnly;
    };
    const NamedOption named[] = {{"--device", &CtlArguments::device, false},
                                 {"--input", &CtlArguments::input, false},
                                 {"--audio-device", &CtlArguments::audioDevice, true},
                                 {"--video-codec", &CtlArguments::videoCodec, true},
                                 {"--audio-codec", &CtlArguments::audioCodec, true},
                                 {"--channel", &CtlArguments::channel, true}};
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            return {CtlArguments{}, {}};
        }
        const bool recordingOption =
            option == "--no-sound" || option == "--output" || option == "--duration" ||
            option == "--video-option" || option == "--audio-option" ||
            std::any_of(std::begin(named), std::end(named), [&](const NamedOption& entry) {
                return entry.recordingOnly && option == entry.name;
            });
        if (recordingOption && !recording) {
            return Fail("unknown option: " + option);
        }
        if (option == "--no-sound") {
            parsed.noSound = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return Fail(option.rfind("--", 0) == 0 ? option + " needs a value"
                                                   : "unexpected argument: " + option);
        }
        const std::string& value = args[i + 1];
        bool known = false;
        for (const NamedOption& entry : named) {
            if (option == entry.name) {
                if (value.empty()) {
                    return Fail(option + " needs a value");
                }
                parsed.*entry.field = value;
                known = true;
            }
        }
        if (option == "--size") {
            if (!ParseFrameSize(value, parsed.width, parsed.height)) {
                return Fail("--size needs WIDTHxHEIGHT, as 352x288");
            }
            known = true;
        } else if (option == "--tune") {
            std::int32_t hertz = 0;
            if (value != "tv" || i + 2 >= args.size() || !ParseMegahertz(args[i + 2], hertz)) {
                return Fail("--tune needs tv and a frequency in MHz, as --tune tv 175.25");
            }
            parsed.tuneFrequency = hertz;
            known = true;
            ++i;
        } else if (option == "--deinterlace" && !recording) {
            if (!IsDeinterlaceChoice(value)) {
                return Fail("--deinterlace needs off or one of: " + DeinterlaceChoiceList());
            }
            parsed.deinterlace = value;
            known = true;
        } else if (option == "--duration" && recording) {
            if (parsed.seconds > 0) {
                return Fail("record takes one duration: SECONDS or --duration, not both");
            }
            if (!ParseDuration(value, parsed.seconds)) {
                return Fail("--duration needs a duration " + std::string(kDurationHint));
            }
            known = true;
        } else if (option == "--video-option" || option == "--audio-option") {
            const std::size_t equals = value.find('=');
            if (equals == 0 || equals == std::string::npos) {
                return Fail(option + " needs NAME=VALUE, as quality=50");
            }
            (option == "--video-option" ? parsed.videoOptions : parsed.audioOptions)
                .push_back({value.substr(0, equals), value.substr(equals + 1)});
            known = true;
        } else if (option == "--output") {
            if (value.empty()) {
                return Fail("--output needs a file name");
            }
            parsed.output = value;
            known = true;
        }
        if (!known) {
            return Fail("unknown option: " + option);
        }
        ++i;
    }
    return {parsed, {}};
}

CtlParse ParseScan(const std::vector<std::string>& args) {
    CtlArguments parsed;
    parsed.command = CtlArguments::Command::Scan;
    if (args.size() < 2 || (args[1] != "tv" && args[1] != "radio")) {
        return Fail("scan needs tv or radio");
    }
    parsed.band = args[1] == "tv" ? CtlArguments::Band::Tv : CtlArguments::Band::Radio;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            return {CtlArguments{}, {}};
        }
        if (args[i] != "--settle") {
            return Fail("unknown option for scan: " + args[i]);
        }
        std::uint32_t settle = 0;
        if (i + 1 >= args.size() || !ParseSettle(args[i + 1], settle)) {
            return Fail("--settle needs a whole number of milliseconds from 0 to " +
                        std::to_string(kLongestSettleMs));
        }
        parsed.settleMs = settle;
        ++i;
    }
    return {parsed, {}};
}

} // namespace

bool ParseDuration(const std::string& text, double& seconds) {
    double total = 0;
    if (IsPlainDecimal(text)) {
        total = DecimalValue(text);
    } else {
        struct Unit {
            char letter;
            double seconds;
        };
        static constexpr Unit kUnits[] = {{'h', 3600.0}, {'m', 60.0}, {'s', 1.0}};
        // Each unit at most once and from the largest down, so "30m1h" or "1m1m" is a mistake, not a sum.
        std::size_t nextUnit = 0;
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t letter = text.find_first_not_of("0123456789.", at);
            if (letter == std::string::npos) {
                return false; // a number without its unit after another with one, as "1h30"
            }
            const std::string number = text.substr(at, letter - at);
            std::size_t unit = nextUnit;
            while (unit < std::size(kUnits) && kUnits[unit].letter != text[letter]) {
                ++unit;
            }
            if (!IsPlainDecimal(number) || unit == std::size(kUnits)) {
                return false;
            }
            total += DecimalValue(number) * kUnits[unit].seconds;
            nextUnit = unit + 1;
            at = letter + 1;
        }
    }
    if (!std::isfinite(total) || total <= 0 || total > kLongestRecording) {
        return false;
    }
    seconds = total;
    return true;
}

bool ParseSettle(const std::string& text, std::uint32_t& milliseconds) {
    const char* end = text.data() + text.size();
    std::uint32_t value = 0;
    // from_chars takes no sign or space; a leading '+' or '-' fails here.
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || value > kLongestSettleMs) {
        return false;
    }
    milliseconds = value;
    return true;
}

bool ParseFrameSize(const std::string& text, std::int32_t& width, std::int32_t& height) {
    const auto x = text.find('x');
    if (x == std::string::npos) {
        return false;
    }
    const char* begin = text.data();
    return ParseSide(begin, begin + x, width) && ParseSide(begin + x + 1, begin + text.size(), height);
}

bool ParseMegahertz(const std::string& text, std::int32_t& hertz) {
    if (!IsPlainDecimal(text)) {
        return false;
    }
    char* end = nullptr;
    const double megahertz = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(megahertz)) {
        return false;
    }
    const double rounded = std::round(megahertz * 1e6);
    if (rounded < 0 || rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    hertz = static_cast<std::int32_t>(rounded);
    return true;
}

CtlParse ParseCtlArguments(const std::vector<std::string>& args) {
    CtlArguments parsed;
    if (args.empty()) {
        return Fail("no command given");
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        return {parsed, {}};
    }
    if (command == "--version") {
        parsed.command = CtlArguments::Command::Version;
        return {parsed, {}};
    }
    if (command == "devices") {
        if (args.size() > 1) {
            return Fail("devices takes no arguments");
        }
        parsed.command = CtlArguments::Command::Devices;
        return {parsed, {}};
    }
    if (command == "tune") {
        return ParseTune(args);
    }
    if (command == "listen") {
        return ParseListen(args);
    }
    if (command == "snapshot") {
        parsed.command = CtlArguments::Command::Snapshot;
        if (args.size() < 2 || args[1].empty() || args[1].rfind("--", 0) == 0) {
            return Fail("snapshot needs a file name");
        }
        parsed.snapshotFile = args[1];
        return ParseOptions(args, 2, parsed, false);
    }
    if (command == "scan") {
        return ParseScan(args);
    }
    if (command != "record") {
        return Fail("unknown command: " + command);
    }
    parsed.command = CtlArguments::Command::Record;
    // The duration comes first, or as --duration among the options.
    std::size_t first = 1;
    if (args.size() >= 2 && args[1].rfind("--", 0) != 0 && args[1] != "-h") {
        if (!ParseDuration(args[1], parsed.seconds)) {
            return Fail(RecordDurationError());
        }
        first = 2;
    }
    CtlParse result = ParseOptions(args, first, parsed, true);
    if (!result.arguments || result.arguments->command != CtlArguments::Command::Record) {
        return result;
    }
    if (result.arguments->seconds <= 0) {
        return Fail(RecordDurationError());
    }
    if (result.arguments->channel && result.arguments->tuneFrequency) {
        return Fail("--channel tunes the channel's own frequency: leave out --tune");
    }
    return result;
}
