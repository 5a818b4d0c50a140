// SPDX-License-Identifier: GPL-2.0-or-later
// The ALSA back end end to end, against the in-memory sound cards of fake_card/.
#include "backend/alsa/alsa_mixer_backend.h"

#include "manual_command.h"
#include "mixer_model.h"
#include "preset_actions.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

using namespace faderix;

namespace {

const std::string kConfig = std::string("ctl_type.faderix_fake { lib \"") + FADERIX_FAKE_CARD_PATH +
                            "\" open \"_snd_ctl_faderix_fake_open\" }\n"
                            "ctl.fake_ac97 { type faderix_fake layout ac97 }\n"
                            "ctl.fake_hda { type faderix_fake layout hda }\n";

std::vector<AlsaCardAddress> fakeCards() {
    return {{"fake_ac97", kConfig}, {"fake_hda", kConfig}};
}

// Reads an element straight from the card, past the back end and its caches.
long cardValue(const char* ctlName, const char* element) {
    snd_config_t* config = nullptr;
    snd_input_t* input = nullptr;
    snd_config_top(&config);
    snd_input_buffer_open(&input, kConfig.data(), static_cast<ssize_t>(kConfig.size()));
    snd_config_load(config, input);
    snd_input_close(input);
    snd_ctl_t* ctl = nullptr;
    long value = -1;
    if (snd_ctl_open_lconf(&ctl, ctlName, 0, config) == 0) {
        snd_ctl_elem_value_t* elem = nullptr;
        snd_ctl_elem_value_alloca(&elem);
        snd_ctl_elem_value_set_interface(elem, SND_CTL_ELEM_IFACE_MIXER);
        snd_ctl_elem_value_set_name(elem, element);
        snd_ctl_elem_info_t* info = nullptr;
        snd_ctl_elem_info_alloca(&info);
        snd_ctl_elem_info_set_interface(info, SND_CTL_ELEM_IFACE_MIXER);
        snd_ctl_elem_info_set_name(info, element);
        if (snd_ctl_elem_info(ctl, info) == 0 && snd_ctl_elem_read(ctl, elem) == 0) {
            value = snd_ctl_elem_info_get_type(info) == SND_CTL_ELEM_TYPE_ENUMERATED
                        ? snd_ctl_elem_value_get_enumerated(elem, 0)
                        : snd_ctl_elem_value_get_integer(elem, 0);
        }
        snd_ctl_close(ctl);
    }
    snd_config_delete(config);
    return value;
}

std::vector<std::string> lineNames(MixerBackend& backend, uint32_t device, uint32_t destination) {
    std::vector<std::string> names;
    auto handle = backend.open(device);
    MixerLine line;
    if (!handle || !handle->destination(destination, line)) {
        return names;
    }
    names.push_back(line.name);
    for (uint32_t s = 0; s < line.connections; ++s) {
        MixerLine source;
        if (handle->source(destination, s, source)) {
            names.push_back(source.name);
        }
    }
    return names;
}

ManualParams manual(const char* command, const char* line, const char* control, int32_t amount) {
    return ManualParams{4,
                        {0, 0, 0, 1},
                        {reinterpret_cast<intptr_t>(command), reinterpret_cast<intptr_t>(line),
                         reinterpret_cast<intptr_t>(control), amount}};
}

class AlsaBackend : public ::testing::Test {
protected:
    AlsaMixerBackend backend{fakeCards()};
};

} // namespace

TEST_F(AlsaBackend, CardsBecomeDevicesWithPlaybackAndCaptureDestinations) {
    ASSERT_EQ(backend.deviceCount(), 2u);
    MixerCaps caps;
    ASSERT_TRUE(backend.deviceCaps(0, caps));
    EXPECT_EQ(caps.name, "Fake AC97");
    EXPECT_EQ(caps.destinations, 2u);
    const auto playback = lineNames(backend, 0, 0);
    ASSERT_FALSE(playback.empty());
    EXPECT_EQ(playback[0], "Playback");
    for (const char* source : {"PCM", "CD", "Line", "Mic"}) {
        EXPECT_NE(std::find(playback.begin(), playback.end(), source), playback.end()) << source;
    }

    MixerLine master;
    ASSERT_TRUE(backend.lineByComponentType(0, component_types::DstSpeakers, master));
    MixerControl volume;
    ASSERT_TRUE(backend.controlByType(0, master, control_types::Volume, volume));
    EXPECT_EQ(volume.maximum, 31u);
    MixerLine wave;
    ASSERT_TRUE(backend.lineByComponentType(0, component_types::SrcWaveOut, wave));
    EXPECT_EQ(wave.name, "PCM");

    EXPECT_EQ(findControlByPath(backend, 0, "0.pcm.volume"),
              alsaControlId("PCM", 0, AlsaPart::PlaybackVolume));
    AlsaMixerBackend again(fakeCards());
    EXPECT_EQ(findControlByPath(again, 1, "1.Capture.Input Source"),
              findControlByPath(backend, 1, "1.Capture.Input Source"))
        << "control IDs are the same from run to run";
}

TEST_F(AlsaBackend, TreeShowsSelectorsAsListsWithTheirItems) {
    std::vector<std::string> errors;
    const MixerTree tree = buildMixerTree(backend, [&](const char* text) { errors.push_back(text); });
    EXPECT_TRUE(errors.empty());
    const auto findNode = [&](int device, const std::string& caption) {
        int seenDevices = -1;
        for (int i = 0; i < static_cast<int>(tree.nodes.size()); ++i) {
            seenDevices += tree.nodes[i].level == 0;
            if (seenDevices == device && tree.nodes[i].level == 3 && tree.nodes[i].caption == caption) {
                return i;
            }
        }
        return -1;
    };
    const int inputSource = findNode(1, "Input Source");
    ASSERT_GE(inputSource, 0);
    EXPECT_EQ(tree.nodes[inputSource].entry->kind, ControlKind::List);
    std::vector<std::string> items;
    for (int child : tree.children(inputSource)) {
        items.push_back(tree.nodes[child].caption);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Mic", "Line", "Internal Mic"}));

    // The AC'97 "Capture Source" enumeration reaches the simple mixer as exclusive capture switches; they
    // come back together as one selector whose choice lands in the enumeration.
    const int captureSource = findNode(0, "Capture Source");
    ASSERT_GE(captureSource, 0);
    std::vector<std::string> sources;
    for (int child : tree.children(captureSource)) {
        sources.push_back(tree.nodes[child].caption);
    }
    const auto cd = std::find(sources.begin(), sources.end(), "CD") - sources.begin();
    ASSERT_LT(static_cast<size_t>(cd), sources.size());
    Preset preset;
    preset.items = {
        PresetItem{0, tree.nodes[captureSource].entry->controlId, static_cast<uint16_t>(1u << cd), 1, ""}};
    EXPECT_EQ(applyPreset(backend, preset), 1);
    EXPECT_EQ(cardValue("fake_ac97", "Capture Source"), 1) << "item 1 of the enumeration is CD";
    MixerControl selector;
    ASSERT_TRUE(backend.controlById(0, tree.nodes[captureSource].entry->controlId, selector));
    std::vector<uint32_t> selected;
    ASSERT_TRUE(backend.getValue(0, selector, selected));
    EXPECT_EQ(std::find(selected.begin(), selected.end(), 1u) - selected.begin(), cd);
}

TEST_F(AlsaBackend, PresetWritesReachTheCard) {
    const uint32_t masterVolume = findControlByPath(backend, 0, "0.Playback.Volume").value();
    const uint32_t masterMute = findControlByPath(backend, 0, "0.Playback.Mute").value();
    const uint32_t inputSource = findControlByPath(backend, 1, "1.Capture.Input Source").value();
    Preset preset;
    preset.items = {PresetItem{0, masterVolume, 3, 0, ""}, PresetItem{0, masterMute, 1, 1, ""},
                    PresetItem{1, inputSource, 4, 0, ""}};
    EXPECT_EQ(applyPreset(backend, preset), 1);
    EXPECT_EQ(cardValue("fake_ac97", "Master Playback Volume"), 31);
    EXPECT_EQ(cardValue("fake_ac97", "Master Playback Switch"), 0) << "Mute checked switches the card off";
    EXPECT_EQ(cardValue("fake_hda", "Input Source"), 2);

    preset.items = {PresetItem{0, masterVolume, 5, 1, ""}};
    EXPECT_EQ(applyPreset(backend, preset), 50);
    EXPECT_EQ(cardValue("fake_ac97", "Master Playback Volume"), 16);
}

TEST_F(AlsaBackend, ChangesMadeElsewhereAreSeenOnTheNextRead) {
    MixerLine master;
    MixerControl volume;
    ASSERT_TRUE(backend.lineByComponentType(1, component_types::DstSpeakers, master));
    ASSERT_TRUE(backend.controlByType(1, master, control_types::Volume, volume));
    std::vector<uint32_t> values;
    ASSERT_TRUE(backend.getValue(1, volume, values));

    AlsaMixerBackend other(fakeCards());
    ASSERT_TRUE(other.setValue(1, volume, {10}));
    ASSERT_TRUE(backend.getValue(1, volume, values));
    EXPECT_EQ(values, std::vector<uint32_t>{10});
    other.setValue(1, volume, {500});
    ASSERT_TRUE(backend.getValue(1, volume, values));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(static_cast<long>(values[0]), cardValue("fake_hda", "Master Playback Volume"))
        << "after a refused write the read still tells what the card holds";
    EXPECT_LE(values[0], 87u);
}

TEST_F(AlsaBackend, ManualCommandFindsLinesByTypeName) {
    ManualParams params = manual("SET", "Master", "Volume", 50);
    ManualOutcome outcome = runManualCommand(backend, &params);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.value, 50);
    EXPECT_EQ(cardValue("fake_ac97", "Master Playback Volume"), 15);
    params = manual("TOGGLE", "Mic", "Mute", 0);
    const long before = cardValue("fake_ac97", "Mic Playback Switch");
    outcome = runManualCommand(backend, &params);
    EXPECT_EQ(outcome.lineName, "Mic");
    EXPECT_EQ(cardValue("fake_ac97", "Mic Playback Switch"), before ? 0 : 1);
    params = manual("GET", "Wave", "Volume", 0);
    EXPECT_EQ(runManualCommand(backend, &params).value, 23 * 100 / 31);
}

TEST(AlsaBackendMissing, UnknownCardsAreLeftOut) {
    AlsaMixerBackend backend({{"fake_none", kConfig}, {"fake_hda", kConfig}});
    ASSERT_EQ(backend.deviceCount(), 1u);
    MixerCaps caps;
    backend.deviceCaps(0, caps);
    EXPECT_EQ(caps.name, "Fake HDA");
    MixerControl gone{12345, control_types::Volume, 0, 0, "Volume", 0, 10};
    std::vector<uint32_t> values;
    EXPECT_FALSE(backend.getValue(0, gone, values));
    EXPECT_FALSE(backend.setValue(0, gone, {1}));
}

TEST(AlsaBackendDefaultDevice, ASoundServersDefaultDeviceIsOneMoreDevice) {
    // "default" that leads to something other than a listed card is added after the cards, and is named
    // after what it is.
    std::vector<AlsaCardAddress> cards = {{"fake_ac97", kConfig}};
    const std::string config = kConfig + "ctl.default { type faderix_fake layout hda }\n";
    AlsaMixerBackend::addUnlistedDevice(cards, {"default", config});
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[1].ctlName, "default");
    AlsaMixerBackend backend(cards);
    MixerCaps caps;
    ASSERT_TRUE(backend.deviceCaps(1, caps));
    EXPECT_EQ(caps.name, "Fake HDA");

    // A default that cannot be opened adds nothing.
    AlsaMixerBackend::addUnlistedDevice(cards, {"default", kConfig});
    EXPECT_EQ(cards.size(), 2u);
}
