// SPDX-License-Identifier: GPL-2.0-or-later
// The ALSA back end on a desktop whose sound belongs to a sound server: a PulseAudio daemon of this test on a
// null sink, reached through ALSA's "default" control device and the pulse plug-in, checked with pactl.
#include "action_tables.h"
#include "backend/alsa/alsa_mixer_backend.h"
#include "manual_command.h"
#include "mixer_model.h"
#include "preset_actions.h"
#include "private_sound_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace faderix;

namespace {

constexpr const char* kSink = "corvane_test";

ManualParams manual(const char* command, const char* line, const char* control, int32_t amount) {
    return ManualParams{4,
                        {FADERIX_PARAM_TEXT, FADERIX_PARAM_TEXT, FADERIX_PARAM_TEXT, 1},
                        {reinterpret_cast<intptr_t>(command), reinterpret_cast<intptr_t>(line),
                         reinterpret_cast<intptr_t>(control), amount}};
}

// The percentages pactl prints for each channel of a sink or source, e.g. "front-left: 19661 /  30% / ...".
std::vector<int> percentages(const QString& pactlOutput) {
    std::vector<int> found;
    static const QRegularExpression kPercent(QStringLiteral("/\\s*(\\d+)%"));
    for (auto match = kPercent.globalMatch(pactlOutput); match.hasNext();) {
        found.push_back(match.next().captured(1).toInt());
    }
    return found;
}

class SoundServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (const QString missing = PrivateSoundServer::missingTools(); !missing.isEmpty()) {
            GTEST_SKIP() << missing.toStdString();
        }
        if (!QFile::exists(QStringLiteral(ALSA_PLUGIN_DIR "/libasound_module_ctl_pulse.so"))) {
            GTEST_SKIP() << "ALSA's pulse plug-in is missing (Debian package libasound2-plugins)";
        }
        const QString failed = server.start(QLatin1String(kSink));
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
        // ALSA's default control device is the server's plug-in.
        setenv("HOME", server.home().toLocal8Bit().constData(), 1);
        QFile asoundrc(server.home() + QStringLiteral("/.asoundrc"));
        ASSERT_TRUE(asoundrc.open(QIODevice::WriteOnly));
        asoundrc.write("ctl.!default { type pulse }\n");
        asoundrc.close();
    }

    static QString pactl(const QStringList& arguments) {
        QString error;
        const QString output = PrivateSoundServer::pactl(arguments, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return output;
    }

    // The sound server's device as the system's device list offers it.
    static AlsaCardAddress serverDevice() {
        const auto cards = AlsaMixerBackend::systemCards();
        const auto found = std::find_if(cards.begin(), cards.end(), [](const AlsaCardAddress& card) {
            return card.ctlName == "default";
        });
        return found != cards.end() ? *found : AlsaCardAddress{};
    }

    PrivateSoundServer server;
};

TEST_F(SoundServer, IsOneMoreDeviceWithMasterAndCaptureDestinations) {
    const AlsaCardAddress device = serverDevice();
    ASSERT_EQ(device.ctlName, "default") << "the sound server's control device is listed";
    AlsaMixerBackend backend({device});
    ASSERT_EQ(backend.deviceCount(), 1u);
    MixerCaps caps;
    ASSERT_TRUE(backend.deviceCaps(0, caps));
    EXPECT_EQ(caps.name, "PulseAudio");
    EXPECT_EQ(caps.destinations, 2u);

    MixerLine speakers;
    ASSERT_TRUE(backend.lineByComponentType(0, component_types::DstSpeakers, speakers));
    MixerControl control;
    EXPECT_TRUE(backend.controlByType(0, speakers, control_types::Volume, control));
    EXPECT_TRUE(backend.controlByType(0, speakers, control_types::Mute, control));
    MixerLine recording;
    ASSERT_TRUE(backend.lineByComponentType(0, component_types::DstWaveIn, recording));
    EXPECT_EQ(recording.destination, 1u);
    EXPECT_TRUE(findControlByPath(backend, 0, "1.Capture.Volume").has_value());
}

TEST_F(SoundServer, ManualCommandsSetAndReadTheSinkVolume) {
    AlsaMixerBackend backend({serverDevice()});
    ASSERT_EQ(backend.deviceCount(), 1u);
    ManualParams set = manual("SET", "Master", "Volume", 30);
    const ManualOutcome outcome = runManualCommand(backend, &set);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.value, 30);
    EXPECT_EQ(percentages(pactl({QStringLiteral("get-sink-volume"), QLatin1String(kSink)})),
              (std::vector<int>{30, 30}));

    // 75 % is a whole number of the server's volume steps, so both sides agree on the percentage.
    pactl({QStringLiteral("set-sink-volume"), QLatin1String(kSink), QStringLiteral("75%")});
    ManualParams get = manual("GET", "Master", "Volume", 0);
    AlsaMixerBackend later({serverDevice()});
    EXPECT_EQ(runManualCommand(later, &get).value, 75) << "a host that opens the plug-in now";

    // A host that keeps the plug-in open learns of the change from the server's notification, which arrives
    // on its own time: each read is taken after the next event the device reports, within a bound.
    snd_mixer_t* watcher = nullptr;
    ASSERT_EQ(snd_mixer_open(&watcher, 0), 0);
    ASSERT_EQ(snd_mixer_attach(watcher, "default"), 0);
    ASSERT_EQ(snd_mixer_selem_register(watcher, nullptr, nullptr), 0);
    ASSERT_EQ(snd_mixer_load(watcher), 0);
    QDeadlineTimer deadline(PrivateSoundServer::kWaitMs);
    int32_t seen = runManualCommand(backend, &get).value;
    while (seen != 75 && !deadline.hasExpired()) {
        snd_mixer_wait(watcher, 100);
        snd_mixer_handle_events(watcher);
        seen = runManualCommand(backend, &get).value;
    }
    snd_mixer_close(watcher);
    EXPECT_EQ(seen, 75) << "a host that kept the plug-in open";
}

TEST_F(SoundServer, PresetsActOnTheSinkAndTheSource) {
    AlsaMixerBackend backend({serverDevice()});
    ASSERT_EQ(backend.deviceCount(), 1u);
    Preset preset;
    preset.items = {PresetItem{0, 0, switch_action::kCheck, 0, "0.Playback.Mute"},
                    PresetItem{0, 0, volume_action::kQuarter, 1, "1.Capture.Volume"}};
    for (PresetItem& item : preset.items) {
        resolveItem(backend, item);
    }
    // The reported value is the checked item's, in whole percent of the server's range.
    EXPECT_NEAR(applyPreset(backend, preset), 25, 1);
    EXPECT_TRUE(
        pactl({QStringLiteral("get-sink-mute"), QLatin1String(kSink)}).contains(QStringLiteral("yes")));
    const QString source = pactl({QStringLiteral("get-default-source")}).trimmed();
    EXPECT_EQ(percentages(pactl({QStringLiteral("get-source-volume"), source})), (std::vector<int>{25, 25}));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
