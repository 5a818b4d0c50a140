// SPDX-License-Identifier: GPL-2.0-or-later
// faderix-cli run as a user would run it, against a copy of the plug-in in a folder of its own.
#include "manual_arguments.h"

#include "atomic_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class FaderixCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(FADERIX_PLUGIN_PATH, dir.file("Faderix.so"));
        environment = "FADERIX_BACKEND=virtual FADERIX_MIXER_STATE='" + dir.file("state.json") + "' ";
    }

    CliRun run(const std::string& arguments, const std::string& extraEnvironment = "") {
        const std::string command = environment + extraEnvironment + " '" + FADERIX_CLI_PATH +
                                    "' --plugin '" + dir.file("Faderix.so") + "' " + arguments + " 2>'" +
                                    dir.file("stderr") + "'";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
            out.append(buffer, n);
        }
        const int status = ::pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out,
                faderix::readWholeFile(dir.file("stderr")).value_or("")};
    }

    faderix_test::TempDir dir;
    std::string environment;
};

} // namespace

TEST(ManualArguments, NumbersTextsAndForcedKinds) {
    std::string error;
    const auto parsed = faderix_cli::ManualArguments::parse({"GET", "0x1F", "-3", "--text=12"}, error);
    ASSERT_TRUE(parsed);
    const ManualParams& params = parsed->params();
    EXPECT_EQ(params.count, 4);
    EXPECT_EQ(params.kind[0], FADERIX_PARAM_TEXT);
    EXPECT_STREQ(reinterpret_cast<const char*>(params.value[0]), "GET");
    EXPECT_NE(params.kind[1], FADERIX_PARAM_TEXT);
    EXPECT_EQ(params.value[1], 0x1F);
    EXPECT_EQ(params.value[2], -3);
    EXPECT_EQ(params.kind[3], FADERIX_PARAM_TEXT);
    EXPECT_STREQ(reinterpret_cast<const char*>(params.value[3]), "12");

    const auto copy = *parsed;
    EXPECT_STREQ(reinterpret_cast<const char*>(copy.params().value[0]), "GET")
        << "a copy points at its own texts";
    EXPECT_NE(copy.params().value[0], params.value[0]);

    EXPECT_EQ(faderix_cli::parseInteger("4294967295"), -1);
    EXPECT_FALSE(faderix_cli::parseInteger("4294967296"));
    EXPECT_FALSE(faderix_cli::parseInteger("12abc"));
    EXPECT_FALSE(faderix_cli::parseInteger("0x"));
    EXPECT_FALSE(faderix_cli::parseInteger("\t5")) << "white space is text, not part of a number";
    EXPECT_FALSE(faderix_cli::parseInteger("0x 5"));
    EXPECT_FALSE(faderix_cli::ManualArguments::parse({"--num=abc"}, error));
    EXPECT_FALSE(faderix_cli::ManualArguments::parse({"a", "b", "c", "d", "e"}, error));
}

TEST_F(FaderixCli, ManualCommandsShareOneMixerBetweenRuns) {
    CliRun first = run("manual SET Master Volume 50");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, "control-info 0 Master\tVolume\nresult 0 50\n");
    EXPECT_EQ(run("manual get master volume").out, "control-info 0 Master\tVolume\nresult 0 49\n");
    EXPECT_EQ(run("manual get --text=7 volume").out,
              "error Invalid params: Faderix.ActionManual(\"get\",\"7\",\"volume\")\nresult 0 0\n");
    EXPECT_EQ(run("manual").out, "error Invalid params: Faderix.ActionManual()\nresult 0 0\n");
}

TEST_F(FaderixCli, ListsAndAppliesPresets) {
    std::ofstream(dir.file("TV_Unmute.cfg"))
        << "[Setup]\nCount=1\n[Item1]\nName=0.Master.Mute\nAction=4\nChecked=1\n";
    std::ofstream(dir.file("Radio_Mute.cfg")) << "[Setup]\nCount=0\n";
    EXPECT_EQ(run("list").out, "Radio_Mute\nTV_Unmute\n");
    EXPECT_EQ(run("apply TV_Unmute 12").out, "result 12 0\n");
    run("manual set master mute 1");
    EXPECT_EQ(run("apply TV_Unmute").out, "result 0 1\n");
}

TEST_F(FaderixCli, SetupWorksForAHostWithoutQtAndSavesThePreset) {
    std::ofstream(dir.file("Radio_Unmute.cfg"))
        << "[Setup]\nCount=1\n[Item1]\nName=0.Master.Volume\nAction=3\nChecked=1\n";
    const std::string command = environment + " QT_QPA_PLATFORM=offscreen '" + FADERIX_SETUP_HOST_PATH +
                                "' '" + dir.file("Faderix.so") + "' Radio_Unmute";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        out.append(buffer, n);
    }
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 0);
    EXPECT_EQ(out, "form after setup: null\nposted 0x402 0 100\n");
    EXPECT_EQ(faderix::readWholeFile(dir.file("Radio_Unmute.cfg")),
              "[Setup]\r\nCount=1\r\n[Item1]\r\nMixer=0\r\nID=1\r\nAction=3\r\nChecked=1\r\nName=0.Master."
              "Volume\r\n");
}

TEST_F(FaderixCli, BadInputGivesClearErrors) {
    std::ofstream(dir.file("mixer.json")) << "{ broken";
    const CliRun broken =
        run("manual get master volume", "FADERIX_VIRTUAL_MIXER='" + dir.file("mixer.json") + "'");
    EXPECT_EQ(broken.out, "control-info 0 Master\tVolume\nresult 0 75\n") << "the built-in mixer is used";
    EXPECT_NE(broken.err.find("not valid JSON"), std::string::npos) << broken.err;

    EXPECT_EQ(run("frobnicate").status, 2);
    EXPECT_EQ(run("apply").status, 2);
    EXPECT_EQ(run("apply X notanumber").status, 2);
    const CliRun headless = run("setup TV_Mute", "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    EXPECT_EQ(headless.status, 0) << "no display: the dialog is refused, the host lives on";
    EXPECT_EQ(headless.out, "result 0 0\n");
    EXPECT_EQ(headless.err, "Faderix: no display to show the setup dialog on\n");
    const CliRun missing = run("list");
    EXPECT_EQ(missing.status, 0);
    std::filesystem::remove(dir.file("Faderix.so"));
    const CliRun noPlugin = run("list");
    EXPECT_EQ(noPlugin.status, 1);
    EXPECT_NE(noPlugin.err.find("cannot load"), std::string::npos);
}
