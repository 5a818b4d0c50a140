// SPDX-License-Identifier: GPL-2.0-or-later
// corvane-ctl's command line.
#include "ctl_arguments.h"

#include <gtest/gtest.h>

namespace {

CtlParse Parse(std::vector<std::string> args) {
    return ParseCtlArguments(args);
}

TEST(CtlArguments, RecordWithEveryOption) {
    const CtlParse parsed =
        Parse({"record", "2.5", "--device", "Corvane Virtual TV Card", "--audio-device", "Mic", "--size",
               "720x576", "--video-codec", "JPEG image encoder", "--audio-codec", "L.A.M.E. mp3 encoder",
               "--no-sound", "--output", "out/take.avi"});
    ASSERT_TRUE(parsed.arguments) << parsed.error;
    const CtlArguments& args = *parsed.arguments;
    EXPECT_EQ(args.command, CtlArguments::Command::Record);
    EXPECT_DOUBLE_EQ(args.seconds, 2.5);
    EXPECT_EQ(args.device, "Corvane Virtual TV Card");
    EXPECT_EQ(args.audioDevice, "Mic");
    EXPECT_EQ(args.width, 720);
    EXPECT_EQ(args.height, 576);
    EXPECT_EQ(args.videoCodec, "JPEG image encoder");
    EXPECT_EQ(args.audioCodec, "L.A.M.E. mp3 encoder");
    EXPECT_TRUE(args.noSound);
    EXPECT_EQ(args.output, "out/take.avi");
}

TEST(CtlArguments, CompressorOptionsRepeatInTheirOrder) {
    const CtlParse parsed =
        Parse({"record", "3", "--video-option", "bitrate=4000", "--audio-option", "target=bitrate",
               "--video-option", "option-string=ref=1:bframes=0", "--video-option", "tune="});
    ASSERT_TRUE(parsed.arguments) << parsed.error;
    EXPECT_EQ(parsed.arguments->videoOptions,
              (std::vector<ElementSetting>{
                  {"bitrate", "4000"}, {"option-string", "ref=1:bframes=0"}, {"tune", ""}}));
    EXPECT_EQ(parsed.arguments->audioOptions, (std::vector<ElementSetting>{{"target", "bitrate"}}));
}

TEST(CtlArguments, RecordDefaults) {
    const CtlParse parsed = Parse({"record", "3"});
    ASSERT_TRUE(parsed.arguments);
    EXPECT_EQ(parsed.arguments->width, 352);
    EXPECT_EQ(parsed.arguments->height, 288);
    EXPECT_EQ(parsed.arguments->output, "capture.avi");
    EXPECT_FALSE(parsed.arguments->noSound);
    EXPECT_FALSE(parsed.arguments->device);
}

TEST(CtlArguments, CommandsAndHelp) {
    EXPECT_EQ(Parse({"devices"}).arguments->command, CtlArguments::Command::Devices);
    EXPECT_EQ(Parse({"--help"}).arguments->command, CtlArguments::Command::Help);
    EXPECT_EQ(Parse({"record", "3", "--help"}).arguments->command, CtlArguments::Command::Help);
}

const char* const kDurationHint =
    "above 0 and up to a day: seconds, as 90, or hours, minutes and seconds, as 1h30m, 90m or 45s";
const std::string kNoDuration = std::string("record needs a duration ") + kDurationHint;

TEST(CtlArguments, MistakesAreNamed) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command given"},
        {{"play"}, "unknown command: play"},
        {{"devices", "all"}, "devices takes no arguments"},
        {{"record"}, kNoDuration},
        {{"record", "0"}, kNoDuration},
        {{"record", "-3"}, kNoDuration},
        {{"record", "1e9"}, kNoDuration},
        {{"record", "--no-sound"}, kNoDuration},
        {{"record", "3", "--duration", "1h"}, "record takes one duration: SECONDS or --duration, not both"},
        {{"record", "--duration", "soon"}, "--duration needs a duration " + std::string(kDurationHint)},
        {{"record", "--duration"}, "--duration needs a value"},
        {{"record", "1h", "--channel", "News", "--tune", "tv", "175.25"},
         "--channel tunes the channel's own frequency: leave out --tune"},
        {{"record", "1h", "--channel", ""}, "--channel needs a value"},
        {{"snapshot", "a.png", "--channel", "News"}, "unknown option: --channel"},
        {{"snapshot", "a.png", "--duration", "1h"}, "unknown option: --duration"},
        {{"record", "3", "--size", "352"}, "--size needs WIDTHxHEIGHT, as 352x288"},
        {{"record", "3", "--size", "0x288"}, "--size needs WIDTHxHEIGHT, as 352x288"},
        {{"record", "3", "--size", "352x288x1"}, "--size needs WIDTHxHEIGHT, as 352x288"},
        {{"record", "3", "--size", "99999x288"}, "--size needs WIDTHxHEIGHT, as 352x288"},
        {{"record", "3", "--device"}, "--device needs a value"},
        {{"record", "3", "--output", ""}, "--output needs a file name"},
        {{"record", "3", "--colour", "red"}, "unknown option: --colour"},
        {{"record", "3", "extra"}, "unexpected argument: extra"},
        {{"record", "3", "--tune", "tv"}, "--tune needs tv and a frequency in MHz, as --tune tv 175.25"},
        {{"record", "3", "--tune", "radio", "100"},
         "--tune needs tv and a frequency in MHz, as --tune tv 175.25"},
        {{"record", "3", "--tune", "tv", "1e3"},
         "--tune needs tv and a frequency in MHz, as --tune tv 175.25"},
        {{"record", "3", "--input", ""}, "--input needs a value"},
        {{"snapshot"}, "snapshot needs a file name"},
        {{"snapshot", "--size", "352x288"}, "snapshot needs a file name"},
        {{"snapshot", "a.png", "--size", "352"}, "--size needs WIDTHxHEIGHT, as 352x288"},
        {{"snapshot", "a.png", "--output", "b.avi"}, "unknown option: --output"},
        {{"snapshot", "a.png", "--no-sound"}, "unknown option: --no-sound"},
        {{"snapshot", "a.png", "--video-codec", "x"}, "unknown option: --video-codec"},
        {{"snapshot", "a.png", "--video-option", "quality=5"}, "unknown option: --video-option"},
        {{"record", "3", "--video-option", "quality"}, "--video-option needs NAME=VALUE, as quality=50"},
        {{"record", "3", "--audio-option", "=128"}, "--audio-option needs NAME=VALUE, as quality=50"},
        {{"record", "3", "--audio-option"}, "--audio-option needs a value"},
    };
    for (const auto& [args, error] : cases) {
        const CtlParse parsed = Parse(args);
        EXPECT_FALSE(parsed.arguments) << error;
        EXPECT_EQ(parsed.error, error);
    }
}

TEST(CtlArguments, DurationsInSecondsOrHoursMinutesAndSeconds) {
    for (const auto& [text, seconds] : {std::pair<const char*, double>{"90", 90},
                                        {"2.5", 2.5},
                                        {"45s", 45},
                                        {"90m", 5400},
                                        {"1h30m", 5400},
                                        {"2h", 7200},
                                        {"1.5h", 5400},
                                        {"1h0m30s", 3630},
                                        {"24h", 86400}}) {
        double parsed = 0;
        EXPECT_TRUE(ParseDuration(text, parsed)) << text;
        EXPECT_DOUBLE_EQ(parsed, seconds) << text;
    }
    // Beyond a day, nothing, units out of order or twice, a number without its unit, other spellings.
    for (const char* text :
         {"86401", "24h1s",  "1441m", "0",   "0h0m", "",       "h",  "30m1h", "1m1m", "1h30", "1H",
          "1 h",   "1h 30m", "-1h",   "+1h", "1e3s", "1.2.3m", ".m", "1d",    "inf",  "nan"}) {
        double parsed = -1;
        EXPECT_FALSE(ParseDuration(text, parsed)) << text;
        EXPECT_EQ(parsed, -1) << text;
    }
}

TEST(CtlArguments, RecordAStoredChannelForADuration) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"record", "1h30m", "--channel", "Channel 2"},
          {"record", "--channel", "Channel 2", "--duration", "90m"},
          {"record", "--duration", "5400", "--channel", "Channel 2"}}) {
        const CtlParse parsed = Parse(args);
        ASSERT_TRUE(parsed.arguments) << parsed.error;
        EXPECT_EQ(parsed.arguments->command, CtlArguments::Command::Record);
        EXPECT_DOUBLE_EQ(parsed.arguments->seconds, 5400);
        EXPECT_EQ(parsed.arguments->channel, "Channel 2");
        EXPECT_FALSE(parsed.arguments->tuneFrequency);
    }
    EXPECT_DOUBLE_EQ(Parse({"listen", "radio", "95.8", "1m"}).arguments->seconds, 60);
    EXPECT_EQ(Parse({"record", "-h"}).arguments->command, CtlArguments::Command::Help);
}

TEST(CtlArguments, RecordAndSnapshotTuneAndChooseTheInputFirst) {
    const CtlParse record = Parse({"record", "2", "--tune", "tv", "175.25", "--input", "Video Composite"});
    ASSERT_TRUE(record.arguments) << record.error;
    EXPECT_EQ(record.arguments->tuneFrequency, 175250000);
    EXPECT_EQ(record.arguments->input, "Video Composite");
    EXPECT_FALSE(Parse({"record", "2"}).arguments->tuneFrequency);

    const CtlParse snapshot =
        Parse({"snapshot", "shot.png", "--size", "720x576", "--tune", "tv", "196.25", "--device", "Card"});
    ASSERT_TRUE(snapshot.arguments) << snapshot.error;
    const CtlArguments& args = *snapshot.arguments;
    EXPECT_EQ(args.command, CtlArguments::Command::Snapshot);
    EXPECT_EQ(args.snapshotFile, "shot.png");
    EXPECT_EQ(args.width, 720);
    EXPECT_EQ(args.height, 576);
    EXPECT_EQ(args.tuneFrequency, 196250000);
    EXPECT_EQ(args.device, "Card");
    EXPECT_FALSE(args.input);
    EXPECT_EQ(Parse({"snapshot", "shot.png"}).arguments->width, 352);
}

TEST(CtlArguments, TuneTvInMegahertz) {
    const CtlParse parsed = Parse({"tune", "tv", "175.25", "--device", "Corvane Virtual TV Card"});
    ASSERT_TRUE(parsed.arguments) << parsed.error;
    EXPECT_EQ(parsed.arguments->command, CtlArguments::Command::Tune);
    EXPECT_EQ(parsed.arguments->frequency, 175250000);
    EXPECT_EQ(parsed.arguments->device, "Corvane Virtual TV Card");

    // Rounded to the hertz, and 0 is left for the tuner to refuse.
    for (const auto& [text, hertz] : {std::pair<const char*, std::int32_t>{"49.7500004", 49750000},
                                      {"0", 0},
                                      {"2147.483647", 2147483647},
                                      {"863", 863000000}}) {
        std::int32_t parsedHertz = -1;
        EXPECT_TRUE(ParseMegahertz(text, parsedHertz)) << text;
        EXPECT_EQ(parsedHertz, hertz) << text;
    }
}

TEST(CtlArguments, TuneRadioInMegahertz) {
    const CtlParse parsed = Parse({"tune", "radio", "95.8", "--device", "Corvane Virtual TV Card"});
    ASSERT_TRUE(parsed.arguments) << parsed.error;
    EXPECT_EQ(parsed.arguments->command, CtlArguments::Command::Tune);
    EXPECT_EQ(parsed.arguments->band, CtlArguments::Band::Radio);
    EXPECT_EQ(parsed.arguments->frequency, 95800000);
    EXPECT_EQ(parsed.arguments->device, "Corvane Virtual TV Card");
    EXPECT_EQ(Parse({"tune", "tv", "95.8"}).arguments->band, CtlArguments::Band::Tv);
}

TEST(CtlArguments, TuneMistakes) {
    // Beyond what a frequency in hertz holds, signs, exponents and odd spellings.
    for (const char* text : {"2147.483648", "-1", "+5", "1e3", "nan", "inf", "1.2.3", ".", "", "175,25"}) {
        std::int32_t hertz = 0;
        EXPECT_FALSE(ParseMegahertz(text, hertz)) << text;
        EXPECT_FALSE(Parse({"tune", "tv", text}).arguments) << text;
    }
    EXPECT_FALSE(Parse({"tune"}).arguments);
    EXPECT_FALSE(Parse({"tune", "fm", "100"}).arguments);
    EXPECT_FALSE(Parse({"tune", "radio"}).arguments);
    EXPECT_FALSE(Parse({"tune", "radio", "95,8"}).arguments);
    EXPECT_FALSE(Parse({"tune", "tv"}).arguments);
    EXPECT_FALSE(Parse({"tune", "tv", "175", "--size", "352x288"}).arguments);
    EXPECT_FALSE(Parse({"tune", "tv", "175", "--device"}).arguments);
    EXPECT_EQ(Parse({"tune", "tv", "175", "--help"}).arguments->command, CtlArguments::Command::Help);
}

TEST(CtlArguments, ScanEitherListWithItsOwnOrAGivenSettle) {
    const CtlParse tv = Parse({"scan", "tv"});
    ASSERT_TRUE(tv.arguments) << tv.error;
    EXPECT_EQ(tv.arguments->command, CtlArguments::Command::Scan);
    EXPECT_EQ(tv.arguments->band, CtlArguments::Band::Tv);
    EXPECT_FALSE(tv.arguments->settleMs);

    for (const auto& [text, milliseconds] :
         {std::pair<const char*, std::uint32_t>{"0", 0}, {"250", 250}, {"10000", 10000}}) {
        const CtlParse radio = Parse({"scan", "radio", "--settle", text});
        ASSERT_TRUE(radio.arguments) << text << radio.error;
        EXPECT_EQ(radio.arguments->band, CtlArguments::Band::Radio);
        EXPECT_EQ(radio.arguments->settleMs, milliseconds);
    }
    EXPECT_EQ(Parse({"scan", "tv", "--help"}).arguments->command, CtlArguments::Command::Help);
}

TEST(CtlArguments, ScanMistakesAreNamed) {
    const std::string badSettle = "--settle needs a whole number of milliseconds from 0 to 10000";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"scan"}, "scan needs tv or radio"},
        {{"scan", "fm"}, "scan needs tv or radio"},
        {{"scan", "tv", "--device", "Card"}, "unknown option for scan: --device"},
        {{"scan", "tv", "--settle"}, badSettle},
        {{"scan", "tv", "--settle", ""}, badSettle},
        {{"scan", "tv", "--settle", "-1"}, badSettle},
        {{"scan", "tv", "--settle", "+5"}, badSettle},
        {{"scan", "tv", "--settle", "1.5"}, badSettle},
        {{"scan", "tv", "--settle", "10001"}, badSettle},
        {{"scan", "tv", "--settle", "99999999999"}, badSettle},
        {{"scan", "tv", "--settle", "50ms"}, badSettle},
    };
    for (const auto& [args, error] : cases) {
        const CtlParse parsed = Parse(args);
        EXPECT_FALSE(parsed.arguments) << error;
        EXPECT_EQ(parsed.error, error);
    }
}

} // namespace

TEST(CtlArguments, ListenTakesTheBandTheFrequencyAndAnOptionalTime) {
    const CtlParse tv =
        Parse({"listen", "tv", "175.25", "2.5", "--input", "Video Tuner", "--device", "Card"});
    ASSERT_TRUE(tv.arguments) << tv.error;
    EXPECT_EQ(tv.arguments->command, CtlArguments::Command::Listen);
    EXPECT_EQ(tv.arguments->band, CtlArguments::Band::Tv);
    EXPECT_EQ(tv.arguments->frequency, 175250000);
    EXPECT_DOUBLE_EQ(tv.arguments->seconds, 2.5);
    EXPECT_EQ(tv.arguments->input, "Video Tuner");
    EXPECT_EQ(tv.arguments->device, "Card");

    // Without a time it plays until Ctrl+C.
    const CtlParse radio = Parse({"listen", "radio", "101.1", "--device", "FM Radio"});
    ASSERT_TRUE(radio.arguments) << radio.error;
    EXPECT_EQ(radio.arguments->band, CtlArguments::Band::Radio);
    EXPECT_EQ(radio.arguments->seconds, 0);
    EXPECT_EQ(radio.arguments->device, "FM Radio");
}

TEST(CtlArguments, ListenMistakes) {
    EXPECT_EQ(Parse({"listen"}).error, "listen needs a band: listen tv|radio MHZ [SECONDS]");
    EXPECT_EQ(Parse({"listen", "fm", "100"}).error, "listen needs a band: listen tv|radio MHZ [SECONDS]");
    EXPECT_EQ(Parse({"listen", "radio", "95,8"}).error, "listen radio needs a frequency in MHz, as 95.8");
    for (const char* seconds : {"0", "-1", "1e3", "86401", "soon"}) {
        EXPECT_FALSE(Parse({"listen", "radio", "95.8", seconds}).arguments) << seconds;
    }
    // A radio has no video input; options need their value.
    EXPECT_EQ(Parse({"listen", "radio", "95.8", "--input", "Video Tuner"}).error,
              "unknown option for listen: --input");
    EXPECT_FALSE(Parse({"listen", "tv", "175.25", "--device"}).arguments);
    EXPECT_FALSE(Parse({"listen", "tv", "175.25", "--size", "352x288"}).arguments);
    EXPECT_EQ(Parse({"listen", "tv", "175.25", "--help"}).arguments->command, CtlArguments::Command::Help);
}
