// SPDX-License-Identifier: GPL-2.0-or-later
// The plug-in as a host sees it: loaded with dlopen from a folder of its own, driven through faderix.h.
#include "faderix.h"

#include "atomic_file.h"
#include "plugin_session.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    std::string text;
};

struct RecordingHost {
    FaderixHost record{sizeof(FaderixHost), this, &post, &send, 0};
    std::vector<Message> posted;
    std::vector<Message> sent;

    static int32_t post(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        static_cast<RecordingHost*>(host->context)->posted.push_back({message, wParam, lParam, {}});
        return 1;
    }
    static intptr_t send(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        std::string text;
        if (message == WM_PLUGIN_ERROR) {
            text = reinterpret_cast<const char*>(wParam);
        }
        if (message == WM_PLUGIN_CONTROL_INFO) {
            const auto* info = reinterpret_cast<const ControlInfoRecord*>(lParam);
            EXPECT_EQ(info->recordKind, 2);
            text = std::string(info->lineName) + "\t" + info->controlName;
        }
        static_cast<RecordingHost*>(host->context)->sent.push_back({message, wParam, lParam, text});
        return 0;
    }
};

class PluginAbi : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("FADERIX_BACKEND", "virtual", 1);
        ::unsetenv("FADERIX_VIRTUAL_MIXER");
        ::setenv("FADERIX_MIXER_STATE", dir.file("state.json").c_str(), 1);
        std::filesystem::copy_file(FADERIX_PLUGIN_PATH, dir.file("Faderix.so"));
        library = ::dlopen(dir.file("Faderix.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << ::dlerror();
        open = reinterpret_cast<FaderixOpenFn>(::dlsym(library, "Open"));
        close = reinterpret_cast<FaderixCloseFn>(::dlsym(library, "Close"));
        preset = reinterpret_cast<FaderixActionPresetFn>(::dlsym(library, "ActionPreset"));
        enumerate = reinterpret_cast<FaderixEnumActionPresetFn>(::dlsym(library, "EnumActionPreset"));
        manual = reinterpret_cast<FaderixActionManualFn>(::dlsym(library, "ActionManual"));
        ASSERT_TRUE(open && close && preset && enumerate && manual && ::dlsym(library, "ActionSetup") &&
                    ::dlsym(library, "_ActionForm"));
    }
    void TearDown() override {
        if (library != nullptr) {
            ::dlclose(library);
        }
    }

    faderix_test::TempDir dir;
    void* library = nullptr;
    FaderixOpenFn open = nullptr;
    FaderixCloseFn close = nullptr;
    FaderixActionPresetFn preset = nullptr;
    FaderixEnumActionPresetFn enumerate = nullptr;
    FaderixActionManualFn manual = nullptr;
    RecordingHost host;
};

} // namespace

TEST_F(PluginAbi, PresetsComeFromThePluginFolderAndPostTheirResult) {
    EXPECT_EQ(preset("TV_Mute", 1), 0) << "nothing before Open";
    EXPECT_STREQ(open(0, &host.record, 0), "Sound mixer plugin");
    std::ofstream(dir.file("TV_Mute.cfg"))
        << "[Setup]\nCount=1\n[Item1]\nName=0.Master.Volume\nAction=5\nChecked=1\n";
    EXPECT_EQ(preset("TV_Mute", -7), 1);
    EXPECT_EQ(preset("Radio_Mute", 3), 1);
    EXPECT_EQ(preset("tv_MUTE", 0), 1) << "the stored preset, whatever the spelling";
    ASSERT_EQ(host.posted.size(), 3u);
    EXPECT_EQ(host.posted[2].lParam, 50);
    EXPECT_EQ(host.posted[0].message, static_cast<uint32_t>(WM_PLUGIN_RESULT));
    EXPECT_EQ(static_cast<int32_t>(host.posted[0].wParam), -7);
    EXPECT_EQ(host.posted[0].lParam, 50);
    EXPECT_EQ(host.posted[1].lParam, 0) << "a preset without a file reports 0";
    EXPECT_TRUE(host.sent.empty());

    char name[16];
    ASSERT_EQ(enumerate(0, name, sizeof name), 1);
    EXPECT_STREQ(name, "TV_Mute");
    EXPECT_EQ(enumerate(1, name, sizeof name), 0);
    close();
    close();
    EXPECT_EQ(preset("TV_Mute", 1), 0);
}

TEST_F(PluginAbi, ManualSendsInfoOrErrorThenPostsTheResult) {
    open(0, &host.record, 0);
    const char* words[] = {"set", "master", "volume"};
    ManualParams params{4,
                        {0, 0, 0, 1},
                        {reinterpret_cast<intptr_t>(words[0]), reinterpret_cast<intptr_t>(words[1]),
                         reinterpret_cast<intptr_t>(words[2]), 30}};
    EXPECT_EQ(manual(&params, 9), 1);
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].message, static_cast<uint32_t>(WM_PLUGIN_CONTROL_INFO));
    EXPECT_EQ(host.sent[0].wParam, 9u);
    EXPECT_EQ(host.sent[0].text, "Master\tVolume");
    EXPECT_EQ(host.posted.back().lParam, 30);

    EXPECT_EQ(manual(nullptr, 4), 1);
    params.count = 9;
    EXPECT_EQ(manual(&params, 4), 1);
    params.count = 3;
    params.value[2] = 0;
    EXPECT_EQ(manual(&params, 4), 1);
    ASSERT_EQ(host.sent.size(), 4u);
    EXPECT_EQ(host.sent[1].text, "Invalid params: Faderix.ActionManual()");
    EXPECT_EQ(host.sent[3].text, "Invalid params: Faderix.ActionManual(\"set\",\"master\",(null))");
    EXPECT_EQ(host.posted.back().wParam, 4u);
    EXPECT_EQ(host.posted.back().lParam, 0);
    close();
}

TEST_F(PluginAbi, AnOlderShorterHostRecordAndNoHostAreSafe) {
    RecordingHost older;
    older.record.size = offsetof(FaderixHost, send); // knows only size, context and post
    open(0, &older.record, 0);
    ManualParams none{};
    EXPECT_EQ(manual(&none, 1), 1);
    EXPECT_TRUE(older.sent.empty()) << "send lies beyond the record and is not called";
    EXPECT_EQ(older.posted.size(), 1u);
    close();

    open(0, nullptr, 0);
    EXPECT_EQ(preset("TV_Mute", 0), 0) << "nothing could be posted";
    close();
}

// Sets an environment variable for one scope and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ~ScopedVariable() { set(old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const char* value) const {
        if (value) {
            ::setenv(name_, value, 1);
        } else {
            ::unsetenv(name_);
        }
    }

    const char* name_;
    std::optional<std::string> old_;
};

TEST(PluginFolder, PresetsGoToTheUsersFolderWhereThePluginsCannotBeWritten) {
    faderix_test::TempDir dir;
    const std::string plugin = dir.file("Mixer") + "/";
    std::filesystem::create_directory(plugin);
    std::optional<ScopedVariable> config(std::in_place, "XDG_CONFIG_HOME", dir.file("config").c_str());
    EXPECT_EQ(faderix::presetFolderFor(plugin), plugin);

    // A folder the user cannot write: one that is gone, and (unless the tests run as root, who may write
    // anywhere) one without write permission, as a system folder is.
    std::vector<std::string> unwritable = {dir.file("gone") + "/"};
    if (::geteuid() != 0) {
        std::filesystem::permissions(plugin, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        unwritable.push_back(plugin);
    }
    for (const std::string& folder : unwritable) {
        EXPECT_EQ(faderix::presetFolderFor(folder), dir.file("config/faderix/")) << folder;
        EXPECT_TRUE(std::filesystem::is_directory(dir.file("config/faderix"))) << "made for the first save";
    }
    config.emplace("XDG_CONFIG_HOME", nullptr);
    const ScopedVariable home("HOME", dir.path().c_str());
    EXPECT_EQ(faderix::presetFolderFor(dir.file("gone") + "/"), dir.file(".config/faderix/"));
    std::filesystem::permissions(plugin, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
}

TEST(PluginFolder, IsAbsoluteAndEndsWithOneSeparatorWhereverTheHostGoes) {
    faderix_test::TempDir dir;
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(faderix::folderOfFile("/opt/corvane/Mixer//Faderix.so"), "/opt/corvane/Mixer/");
    EXPECT_EQ(faderix::folderOfFile("/Faderix.so"), "/");
    EXPECT_EQ(faderix::folderOfFile("Mixer/Faderix.so"), dir.path() + "/Mixer/");

    // A host that opens the plug-in by a relative path and then changes directory still finds the presets.
    std::filesystem::create_directory(dir.file("Mixer"));
    std::filesystem::copy_file(FADERIX_PLUGIN_PATH, dir.file("Mixer/Faderix.so"));
    ::setenv("FADERIX_BACKEND", "virtual", 1);
    ::unsetenv("FADERIX_VIRTUAL_MIXER");
    ::setenv("FADERIX_MIXER_STATE", dir.file("state.json").c_str(), 1);
    void* library = ::dlopen("Mixer/Faderix.so", RTLD_NOW | RTLD_LOCAL);
    RecordingHost host;
    if (library != nullptr) {
        reinterpret_cast<FaderixOpenFn>(::dlsym(library, "Open"))(0, &host.record, 0);
    }
    std::filesystem::current_path(started);
    ASSERT_NE(library, nullptr) << ::dlerror();
    std::ofstream(dir.file("Mixer/Relative.cfg"))
        << "[Setup]\nCount=1\n[Item1]\nName=0.Master.Volume\nAction=5\nChecked=1\n";
    char name[16] = {};
    EXPECT_EQ(reinterpret_cast<FaderixEnumActionPresetFn>(::dlsym(library, "EnumActionPreset"))(0, name, 16),
              1);
    EXPECT_STREQ(name, "Relative");
    reinterpret_cast<FaderixActionPresetFn>(::dlsym(library, "ActionPreset"))("Relative", 0);
    reinterpret_cast<FaderixCloseFn>(::dlsym(library, "Close"))();
    ::dlclose(library);
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0].lParam, 50);
}
