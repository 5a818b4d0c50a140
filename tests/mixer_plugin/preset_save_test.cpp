// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/action_form.h"
#include "dialog/action_setup.h"

#include "atomic_file.h"
#include "preset_store.h"
#include "test_support.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace faderix;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

Preset onePreset() {
    Preset preset;
    preset.items = {PresetItem{0, 6, 3, 1, ""}};
    return preset;
}

class PresetSave : public ::testing::Test {
protected:
    faderix_test::TempDir dir;
    std::unique_ptr<VirtualMixerBackend> mixer =
        faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("state.json"));
};

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
};

int32_t recordPost(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t) {
    static_cast<std::vector<PostedMessage>*>(host->context)->push_back({message, wParam});
    return 1;
}

} // namespace

TEST_F(PresetSave, AReplacedPresetKeepsItsModeAndALinkStaysALink) {
    PresetStore store(dir.path() + "/", *mixer);
    std::ofstream(dir.file("TV_Mute.cfg")) << "[Setup]\r\nCount=0\r\n";
    ::chmod(dir.file("TV_Mute.cfg").c_str(), 0600);
    ASSERT_TRUE(store.save("TV_Mute", onePreset()));
    EXPECT_EQ(modeOf(dir.file("TV_Mute.cfg")), 0600u) << "a private preset stays private";
    EXPECT_NE(readWholeFile(dir.file("TV_Mute.cfg")).value().find("Count=1"), std::string::npos);

    ASSERT_TRUE(store.save("Radio_Mute", onePreset()));
    EXPECT_EQ(modeOf(dir.file("Radio_Mute.cfg")), 0644u) << "a new preset is readable by other hosts";

    // The user keeps the real file elsewhere and links it into the plug-in folder, relatively.
    std::filesystem::create_directory(dir.file("kept"));
    std::ofstream(dir.file("kept/TV_Unmute.cfg")) << "[Setup]\r\nCount=0\r\n";
    ::chmod(dir.file("kept/TV_Unmute.cfg").c_str(), 0640);
    std::filesystem::create_symlink("kept/TV_Unmute.cfg", dir.file("TV_Unmute.cfg"));
    ASSERT_TRUE(store.save("TV_Unmute", onePreset()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("TV_Unmute.cfg")));
    EXPECT_NE(readWholeFile(dir.file("kept/TV_Unmute.cfg")).value().find("Count=1"), std::string::npos);
    EXPECT_EQ(modeOf(dir.file("kept/TV_Unmute.cfg")), 0640u);
    std::vector<std::string> leftovers;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("kept"))) {
        leftovers.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(leftovers, std::vector<std::string>{"TV_Unmute.cfg"}) << "no temporary file stays behind";
}

TEST_F(PresetSave, AnEditThatCannotBeSavedIsReportedByTheSetup) {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    // A folder nobody may write to, root included, as a system-wide install is to its users.
    PluginSession session(HostLink(nullptr), "/proc/", std::move(mixer));
    void* formSlot = nullptr;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* form = qobject_cast<TActionForm*>(QApplication::activeModalWidget())) {
            form->close();
        }
    });
    closer.start(10);
    testing::internal::CaptureStderr();
    const bool saved = actionSetup(session, "TV_Mute", &formSlot);
    const std::string said = testing::internal::GetCapturedStderr();
    closer.stop();
    EXPECT_FALSE(saved);
    EXPECT_NE(said.find("could not be saved to /proc/TV_Mute.cfg"), std::string::npos) << said;
}

TEST_F(PresetSave, ANegativeTagComesBackNegative) {
    std::vector<PostedMessage> posted;
    FaderixHost host{sizeof(FaderixHost), &posted, &recordPost, nullptr, 0};
    PluginSession session(HostLink(&host), dir.path() + "/", std::move(mixer));
    actionPreset(session, "TV_Mute", -1);
    actionManual(session, nullptr, -5);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(static_cast<intptr_t>(posted[0].wParam), -1);
    EXPECT_EQ(static_cast<intptr_t>(posted[1].wParam), -5);
}
