// SPDX-License-Identifier: GPL-2.0-or-later
#include "backend/virtual/virtual_mixer_backend.h"

#include "atomic_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace faderix;
using faderix_test::valueOf;

TEST(VirtualMixer, DefinitionAcceptsHexAndRejectsBadShapes) {
    std::string error;
    const auto definition = parseVirtualMixer(faderix_test::kTestMixer, error);
    ASSERT_TRUE(definition) << error;
    const LayoutControl& mux = definition->devices[0].destinations[0].line.controls[4];
    EXPECT_EQ(mux.info.type, control_types::Mux);
    EXPECT_EQ(mux.info.items, 5u);
    EXPECT_EQ(static_cast<int32_t>(definition->devices[0].destinations[0].line.controls[1].info.minimum),
              -10);
    EXPECT_EQ(definition->devices[0].destinations[0].sources[0].info.lineId, 0x10000u);

    EXPECT_FALSE(parseVirtualMixer("{\"devices\":[", error));
    EXPECT_NE(error.find("not valid JSON"), std::string::npos);
    EXPECT_FALSE(parseVirtualMixer(R"({"devices":[{"name":"A","destinations":[{"name":"D","controls":[
        {"id":1,"type":1,"name":"X"},{"id":1,"type":1,"name":"Y"}]}]}]})",
                                   error));
    EXPECT_NE(error.find("used twice"), std::string::npos);
    EXPECT_FALSE(parseVirtualMixer(R"({"devices":[{"name":"A","destinations":[{"name":"D","controls":[
        {"id":"0xZZ","type":1,"name":"X"}]}]}]})",
                                   error));
    EXPECT_FALSE(parseVirtualMixer(R"({"devices":[{"name":"A","destinations":[{"name":"D","controls":[
        {"id":1,"type":"0x70010001","flags":2,"name":"L","items":["a","b"],"value":[1]}]}]}]})",
                                   error));
    EXPECT_FALSE(parseVirtualMixer(R"({"devices":[{"name":"A","destinations":[{"name":"D",
        "channels":"0xFFFFFFFF","controls":[{"id":1,"type":"0x70010001","flags":2,"name":"L","items":["a"]}]}]}]})",
                                   error))
        << "the dialog would list items x channels texts";
    EXPECT_NE(error.find("channels"), std::string::npos);
}

TEST(VirtualMixer, BuiltInMixerHasTheUsualLines) {
    const VirtualMixerDefinition mixer = builtInVirtualMixer();
    ASSERT_EQ(mixer.devices.size(), 1u);
    const LayoutDevice& device = mixer.devices[0];
    ASSERT_EQ(device.destinations.size(), 2u);
    EXPECT_EQ(device.destinations[0].line.info.componentType, component_types::DstSpeakers);
    std::vector<std::string> sources;
    for (const LayoutLine& line : device.destinations[0].sources) {
        sources.push_back(line.info.name);
    }
    EXPECT_EQ(sources,
              (std::vector<std::string>{"Wave", "CD Audio", "Line In", "Microphone", "SW Synth", "Aux"}));
    const LayoutControl& mux = device.destinations[1].line.controls.at(0);
    EXPECT_EQ(mux.itemTexts,
              (std::vector<std::string>{"CD Audio", "Line In", "Microphone", "SW Synth", "Aux"}));
}

TEST(VirtualMixer, StateIsSharedBetweenInstancesAndWrittenAtomically) {
    faderix_test::TempDir dir;
    const std::string state = dir.file("nested/state.json");
    auto first = faderix_test::makeMixer(faderix_test::kTestMixer, state);
    auto second = faderix_test::makeMixer(faderix_test::kTestMixer, state);
    EXPECT_EQ(valueOf(*first, 6), 32768u) << "the definition's value before any change";
    faderix_test::setValueOf(*first, 6, 1000);
    faderix_test::setValueOf(*first, 2, static_cast<uint32_t>(-7));
    EXPECT_EQ(valueOf(*second, 6), 1000u);
    EXPECT_EQ(static_cast<int32_t>(valueOf(*second, 2)), -7);
    const std::string text = readWholeFile(state).value();
    EXPECT_NE(text.find("\"Test Card\""), std::string::npos);
    EXPECT_NE(text.find("\"2\": -7"), std::string::npos) << "signed controls are stored signed";

    faderix_test::setValueOf(*first, 1, 70000);
    EXPECT_EQ(valueOf(*second, 1), 65535u) << "like a card, the mixer keeps values within the bounds";
    faderix_test::setValueOf(*first, 2, static_cast<uint32_t>(-70));
    EXPECT_EQ(static_cast<int32_t>(valueOf(*second, 2)), -10);
    faderix_test::setValueOf(*first, 2, static_cast<uint32_t>(-7));

    MixerControl mux;
    ASSERT_TRUE(first->controlById(0, 5, mux));
    EXPECT_FALSE(first->setValue(0, mux, {1, 0})) << "a list takes one value per item";
    EXPECT_TRUE(first->setValue(0, mux, {0, 0, 0, 1, 0}));
    EXPECT_EQ(faderix_test::valuesOf(*second, 5), (std::vector<uint32_t>{0, 0, 0, 1, 0}));
}

TEST(VirtualMixer, DamagedStateFallsBackToTheDefinitionPerValue) {
    faderix_test::TempDir dir;
    const std::string state = dir.file("state.json");
    auto mixer = faderix_test::makeMixer(faderix_test::kTestMixer, state);
    std::ofstream(state)
        << R"({"devices":[{"name":"Test Card","values":{"1":"loud","5":[1,1],"6":777,"7":"0x10"}}]})";
    EXPECT_EQ(valueOf(*mixer, 1), 0u);
    EXPECT_EQ(faderix_test::valuesOf(*mixer, 5), (std::vector<uint32_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(valueOf(*mixer, 6), 777u) << "the valid value survives";
    EXPECT_EQ(valueOf(*mixer, 7), 16u);

    std::ofstream(state) << "{\"devices\":[{\"name\":\"Test";
    EXPECT_EQ(valueOf(*mixer, 6), 32768u);
    faderix_test::setValueOf(*mixer, 1, 5);
    EXPECT_EQ(valueOf(*mixer, 1), 5u) << "a write rebuilds the damaged file";

    std::ofstream(state) << R"({"devices":[{"name":"Other Card","values":{"6":1}}]})";
    EXPECT_EQ(valueOf(*mixer, 6), 32768u) << "values of another mixer are not taken";
}

TEST(VirtualMixer, EnvironmentChoosesDefinitionAndStateFile) {
    faderix_test::TempDir dir;
    std::ofstream(dir.file("bad.json")) << "not json";
    ::setenv("FADERIX_VIRTUAL_MIXER", dir.file("bad.json").c_str(), 1);
    ::setenv("FADERIX_MIXER_STATE", dir.file("s.json").c_str(), 1);
    std::string warning;
    auto mixer = VirtualMixerBackend::fromEnvironment(warning);
    EXPECT_NE(warning.find("not valid JSON"), std::string::npos);
    EXPECT_NE(warning.find("using the built-in mixer"), std::string::npos);
    MixerCaps caps;
    ASSERT_TRUE(mixer->deviceCaps(0, caps));
    EXPECT_EQ(caps.name, "Virtual AC97 Mixer");
    EXPECT_EQ(mixer->statePath(), dir.file("s.json"));
    ::unsetenv("FADERIX_VIRTUAL_MIXER");
    ::unsetenv("FADERIX_MIXER_STATE");
    ::setenv("XDG_STATE_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(VirtualMixerBackend::defaultStatePath(), dir.path() + "/faderix/virtual-mixer.json");
}
