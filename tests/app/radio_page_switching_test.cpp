// SPDX-License-Identifier: GPL-2.0-or-later
// The Radio page as the main window enters and leaves it, on the virtual TV card: the station is tuned
// between the radio presets on entering, the exit audio source is routed on leaving and at close, and the
// close lets go of the radio tuner.
#include "app/main_form.h"
#include "channels/channel_list_editor.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "radio/radio_page.h"
#include "recorded_calls.h"
#include "tv/device_lock.h"
#include "view/video_window_form.h"
#include "virtual_card_devices.h"

#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr int kAudioDecoderOutput = 1;
constexpr int kAudioTunerInput = 3;
constexpr int kAudioLineInput = 4;

struct RadioPageSwitching : ::testing::Test {
    void SetUp() override {
        TMainForm::Services services{clock, boxes, shell, RECORDING_PLUGIN};
        services.devices = card.factory();
        form = std::make_unique<TMainForm>(services);
        videoWindow = std::make_unique<TVideoWindowForm>(*form);
        form->setVideoWindow(videoWindow.get());
        // One station at 100 MHz, added while the page is hidden: nothing is tuned yet.
        form->radioPage()->stations().RadioAddButtonClick();
        form->radioPage()->exitInputPin = kAudioLineInput;
        form->show();
        TakeRecordedCalls();
    }
    void TearDown() override {
        form.reset();
        videoWindow.reset();
    }

    VirtualCardDevices card;
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TVideoWindowForm> videoWindow;
};

TEST_F(RadioPageSwitching, EnteringTunesBetweenThePresetsAndLeavingRoutesTheExitSource) {
    EXPECT_EQ(card.card->frequency(), 0);
    form->pageControl()->setCurrentIndex(TMainForm::RadioPageIndex);
    EXPECT_EQ(card.card->mode(), TunerMode::Fm);
    EXPECT_EQ(card.card->frequency(), 100000000);
    EXPECT_EQ(card.card->routedTo(0, kAudioDecoderOutput), kAudioTunerInput);
    EXPECT_EQ(TakeRecordedCalls(), "ActionPreset Radio_Mute;ActionPreset Radio_Unmute;");

    form->pageControl()->setCurrentIndex(TMainForm::AboutPageIndex);
    EXPECT_EQ(card.card->routedTo(0, kAudioDecoderOutput), kAudioLineInput);
    EXPECT_EQ(TakeRecordedCalls(), "ActionPreset Radio_Mute;");
    EXPECT_EQ(card.card->frequency(), 100000000) << "the radio keeps its station";
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(RadioPageSwitching, ClosingOnTheRadioPageRoutesTheExitSource) {
    form->pageControl()->setCurrentIndex(TMainForm::RadioPageIndex);
    form->close();
    EXPECT_EQ(card.card->routedTo(0, kAudioDecoderOutput), kAudioLineInput);
}

} // namespace
