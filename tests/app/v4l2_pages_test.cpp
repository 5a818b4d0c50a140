// SPDX-License-Identifier: GPL-2.0-or-later
// Which pages the main window offers on V4L2 devices: a webcam alone gives the TV page and no Radio tab; an
// analog card with its radio node gives both.
#include "app/main_form.h"
#include "platform/devices/v4l2/v4l2_provider.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "v4l2/fake_v4l2.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class V4l2PagesTest : public ::testing::Test {
protected:
    std::unique_ptr<TMainForm> Open() {
        const std::shared_ptr<FakeV4l2> cards = system;
        DeviceEnumFactory devices = [cards](ICreateDevEnum** out) {
            *out = MakeDeviceEnum({MakeV4l2Provider(cards)}).detach();
            return S_OK;
        };
        const auto registry = std::filesystem::path(dir.path().toStdString()) / "registry.sqlite";
        return std::make_unique<TMainForm>(TMainForm::Services{
            clock, boxes, shell, "no-such-folder/Faderix.so", registry, std::move(devices)});
    }

    std::shared_ptr<FakeV4l2> system = std::make_shared<FakeV4l2>();
    QTemporaryDir dir;
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
};

TEST_F(V4l2PagesTest, WebcamAloneHidesTheRadioTab) {
    system->addWebcam();
    const auto form = Open();
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::TVPageIndex));
    EXPECT_FALSE(form->isPageTabVisible(TMainForm::RadioPageIndex));
}

TEST_F(V4l2PagesTest, AnalogCardOffersTvAndRadio) {
    system->addPciCard();
    const auto form = Open();
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::TVPageIndex));
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::RadioPageIndex));
}

TEST_F(V4l2PagesTest, UsbRadioAloneHidesTheTvTab) {
    system->addUsbRadio();
    const auto form = Open();
    EXPECT_FALSE(form->isPageTabVisible(TMainForm::TVPageIndex));
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::RadioPageIndex));
}

} // namespace
