// SPDX-License-Identifier: GPL-2.0-or-later
// The recording's helpers: its figures, keeping the previous file, and the per-device lock.
#include "tv/capture_file.h"
#include "tv/capture_statistics.h"
#include "tv/device_lock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(CaptureStatistics, FiguresAsTheCaptureSheetShowsThem) {
    // 12 frames after 1.5 s; a frame of 256,250 bytes makes 2,050,000 bytes per second at 8 fps.
    const CaptureStatistics stats = ComputeCaptureStatistics(5, 112, 256250, 2, 100, 1500);
    EXPECT_EQ(stats.delivered, 12);
    EXPECT_EQ(stats.dropped, 3);
    EXPECT_EQ(FormatCaptureTime(stats), "Time: 1.5");
    EXPECT_EQ(FormatCaptureFrames(stats), "Frames: 12 (dropped 3)");
    EXPECT_EQ(FormatCaptureRate(stats), "FPS: 8.0, Data rate: 2.050 MB/sec");
    EXPECT_EQ(FormatCaptureLine(stats),
              "Time: 1.5  Frames: 12 (dropped 3)  FPS: 8.0, Data rate: 2.050 MB/sec");
}

TEST(CaptureStatistics, TruncatesAndKeepsLeadingZeros) {
    // 25 frames in 1,999 ms: 12.506 fps shows 12.5; 50,000 bytes a frame, 625,312 bytes a second: 0.625.
    const CaptureStatistics stats = ComputeCaptureStatistics(0, 25, 50000, 0, 0, 1999);
    EXPECT_EQ(FormatCaptureTime(stats), "Time: 1.9");
    EXPECT_EQ(FormatCaptureRate(stats), "FPS: 12.5, Data rate: 0.625 MB/sec");
    const CaptureStatistics small = ComputeCaptureStatistics(0, 1, 5000, 0, 0, 1000);
    EXPECT_EQ(FormatCaptureRate(small), "FPS: 1.0, Data rate: 0.005 MB/sec");
    // No time yet: nothing divided by zero.
    const CaptureStatistics none = ComputeCaptureStatistics(0, 3, 5000, 0, 0, 0);
    EXPECT_EQ(FormatCaptureRate(none), "FPS: 0.0, Data rate: 0.000 MB/sec");
}

class CaptureFile : public ::testing::Test {
protected:
    fs::path path(const char* name) const { return fs::path(folder_.path().toStdString()) / name; }
    QTemporaryDir folder_;
};

TEST_F(CaptureFile, ExistingRecordingIsKeptUnderItsTime) {
    const fs::path file = path("capture.avi");
    std::ofstream(file) << "old";
    const std::time_t written =
        fs::file_time_type::clock::to_sys(fs::last_write_time(file)).time_since_epoch() /
        std::chrono::seconds(1);
    const fs::path expected = KeptCaptureName(file, written);

    EXPECT_FALSE(KeepPreviousCapture(file));

    EXPECT_FALSE(fs::exists(file));
    std::ifstream kept(expected);
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "old");
}

TEST_F(CaptureFile, KeptNamesNeverOverwriteEachOther) {
    const fs::path file = path("capture.avi");
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 8;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    EXPECT_EQ(KeptCaptureName(file, when).filename(), "capture-20261208-090507.avi");
    std::ofstream(path("capture-20261208-090507.avi")) << "x";
    EXPECT_EQ(KeptCaptureName(file, when).filename(), "capture-20261208-090507-1.avi");
    std::ofstream(path("capture-20261208-090507-1.avi")) << "x";
    EXPECT_EQ(KeptCaptureName(file, when).filename(), "capture-20261208-090507-2.avi");
}

TEST_F(CaptureFile, NothingToKeepIsNoError) {
    EXPECT_FALSE(KeepPreviousCapture(path("capture.avi")));
    EXPECT_TRUE(fs::is_empty(folder_.path().toStdString()));
}

TEST_F(CaptureFile, DevicesAreWrittenToAndNeverMoved) {
    EXPECT_FALSE(KeepPreviousCapture("/dev/null"));
    EXPECT_TRUE(fs::exists("/dev/null"));
    fs::create_directory(path("capture.avi"));
    EXPECT_FALSE(KeepPreviousCapture(path("capture.avi")));
    EXPECT_TRUE(fs::is_directory(path("capture.avi")));
}

TEST_F(CaptureFile, LinkIsMovedAndItsTargetLeftAlone) {
    std::ofstream(path("take1.avi")) << "first";
    fs::create_symlink(path("take1.avi"), path("capture.avi"));
    EXPECT_FALSE(KeepPreviousCapture(path("capture.avi")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(path("capture.avi"))));
    EXPECT_TRUE(fs::exists(path("take1.avi")));
}

TEST_F(CaptureFile, FileThatCannotBeMovedIsReported) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may rename anywhere";
    }
    const fs::path inner = path("locked");
    fs::create_directory(inner);
    std::ofstream(inner / "capture.avi") << "old";
    fs::permissions(inner, fs::perms::owner_read | fs::perms::owner_exec);

    EXPECT_TRUE(KeepPreviousCapture(inner / "capture.avi"));
    EXPECT_TRUE(fs::exists(inner / "capture.avi"));
    fs::permissions(inner, fs::perms::owner_all);
}

TEST(DeviceLock, SecondHolderIsToldWhoHasTheDevice) {
    DeviceLock first;
    DeviceLock second;
    ASSERT_TRUE(first.acquire("Corvane Virtual TV Card"));
    EXPECT_TRUE(first.held());

    EXPECT_FALSE(second.acquire("Corvane Virtual TV Card"));
    EXPECT_EQ(second.busyMessage(),
              "device busy: Corvane Virtual TV Card is in use by process " + std::to_string(::getpid()));
    // Other devices are free.
    EXPECT_TRUE(second.acquire("Corvane Virtual TV Card Audio"));

    first.release();
    DeviceLock third;
    EXPECT_TRUE(third.acquire("Corvane Virtual TV Card"));
}

TEST(DeviceLock, NamesBecomeSafeFileNamesInTheRuntimeFolder) {
    const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(DeviceLock::lockPath("../My Card/2"), runtime + "/corvane/.._My_Card_2.lock");

    DeviceLock lock;
    ASSERT_TRUE(lock.acquire("../My Card/2"));
    EXPECT_TRUE(fs::exists(runtime + "/corvane/.._My_Card_2.lock"));
}

TEST(DeviceLock, MovedLockStaysHeld) {
    DeviceLock first;
    ASSERT_TRUE(first.acquire("Moved"));
    DeviceLock moved(std::move(first));
    EXPECT_FALSE(first.held());
    EXPECT_TRUE(moved.held());
    DeviceLock other;
    EXPECT_FALSE(other.acquire("Moved"));
}

} // namespace
