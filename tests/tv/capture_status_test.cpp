// SPDX-License-Identifier: GPL-2.0-or-later
// The texts about the source: the video source box's items, the status line and the audio format label.
#include "capture_doubles.h"
#include "tuner_test_card.h"
#include "tv/capture_status.h"
#include "tv/crossbar.h"
#include "tv/video_sources.h"

#include <gtest/gtest.h>

namespace {

using Spec = FakeCrossbar::PinSpec;

TEST(VideoSources, TheTunerIsChosenWhereverTheCrossbarListsIt) {
    CallLog log;
    auto xbar = MakeCom<FakeCrossbar>("xbar",
                                      std::vector<Spec>{{PhysConn_Video_Composite, -1},
                                                        {PhysConn_Video_SVideo, -1},
                                                        {PhysConn_Video_Tuner, -1}},
                                      std::vector<Spec>{{PhysConn_Video_VideoDecoder, -1}}, log);
    auto capture = MakeCom<FakeFilter>("capture");
    FakePin* input = capture->addPin(PINDIR_INPUT, PIN_CATEGORY_ANALOGVIDEOIN);
    Link(xbar->output(0), input);
    CCrossbar crossbar(input);

    const VideoSourceBox box = ReadVideoSources(&crossbar, crossbar.InputCount());

    EXPECT_EQ(box.names, (std::vector<std::string>{"Video Composite", "Video SVideo", "Video Tuner"}));
    EXPECT_EQ(box.selected, 2);
    EXPECT_TRUE(ReadVideoSources(nullptr, 3).names.empty()) << "no crossbar, an empty box";
    EXPECT_EQ(ReadVideoSources(&crossbar, 0).selected, -1);
}

TEST(CaptureStatus, StatusLineNamesTheDeviceOrTheCompressorThatDescribesItself) {
    EXPECT_EQ(CaptureStatusLine(nullptr, "Card"), "Info: N/A");

    TestCard card;
    card.select();
    card.target.videoWidth = 704;
    card.target.videoHeight = 576;
    EXPECT_EQ(CaptureStatusLine(&card.tools, "Test Card"), "View: Test Card [704x576]");
    card.tools.captureRunning = true;
    EXPECT_EQ(CaptureStatusLine(&card.tools, "Test Card"), "Rec: Test Card [352x288]");
    card.tools.captureRunning = false;
    EXPECT_EQ(CaptureStatusLine(&card.tools, std::string(200, 'x')).size(),
              std::string("View:  [704x576]").size() + 124)
        << "the name is cut to 124 characters";
}

TEST(CaptureStatus, AudioFormatInWords) {
    EXPECT_EQ(AudioFormatText(nullptr, nullptr), "N/A");
    auto compressor = MakeCom<FakeFilter>("compressor");
    EXPECT_EQ(AudioFormatText(compressor.get(), nullptr), "Can't get audio format")
        << "a compressor without an output pin";

    WAVEFORMATEX pcm;
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = 2;
    pcm.nSamplesPerSec = 44100;
    pcm.wBitsPerSample = 16;
    EXPECT_EQ(DescribeWaveFormat(pcm), "44.100 kHz, 16 Bit, Stereo");
    WAVEFORMATEX coded;
    coded.wFormatTag = 0x55;
    coded.nChannels = 1;
    coded.nSamplesPerSec = 22050;
    coded.nAvgBytesPerSec = 4000;
    EXPECT_EQ(DescribeWaveFormat(coded), "MPEG Layer-3, 32 kBit/s, 22.050 kHz, Mono");
    coded.wFormatTag = 0x2000;
    coded.nAvgBytesPerSec = 0;
    coded.nChannels = 6;
    EXPECT_EQ(DescribeWaveFormat(coded), "AC-3, 22.050 kHz, 6 channels") << "a rate not known is not shown";
}

} // namespace
