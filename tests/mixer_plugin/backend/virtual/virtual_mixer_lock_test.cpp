// SPDX-License-Identifier: GPL-2.0-or-later
#include "backend/virtual/virtual_mixer_backend.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr int kSteps = 500;

// A second host of the mixer in a process of its own: it counts its control up one step at a time, reading
// the value back each time, as a host applying presets over and over would.
pid_t CountUpInAnotherProcess(const std::string& state, uint32_t controlId) {
    const pid_t child = ::fork();
    if (child != 0) {
        return child;
    }
    int status = 0;
    try {
        auto mixer = faderix_test::makeMixer(faderix_test::kTestMixer, state);
        for (int step = 0; step < kSteps; ++step) {
            faderix_test::setValueOf(*mixer, controlId, faderix_test::valueOf(*mixer, controlId) + 1);
        }
    } catch (...) {
        status = 2;
    }
    ::_exit(status);
}

} // namespace

TEST(VirtualMixerHosts, TwoProcessesChangingDifferentControlsLoseNoWrite) {
    faderix_test::TempDir dir;
    const std::string state = dir.file("state/virtual-mixer.json");
    auto mixer = faderix_test::makeMixer(faderix_test::kTestMixer, state);
    const uint32_t volumeStart = faderix_test::valueOf(*mixer, 1);
    const uint32_t lineInStart = faderix_test::valueOf(*mixer, 6);

    const std::vector<pid_t> hosts = {CountUpInAnotherProcess(state, 1), CountUpInAnotherProcess(state, 6)};
    for (const pid_t host : hosts) {
        ASSERT_GT(host, 0);
        int status = -1;
        ASSERT_EQ(::waitpid(host, &status, 0), host);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(faderix_test::valueOf(*mixer, 1), volumeStart + kSteps);
    EXPECT_EQ(faderix_test::valueOf(*mixer, 6), lineInStart + kSteps);
}
