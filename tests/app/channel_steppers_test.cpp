// SPDX-License-Identifier: GPL-2.0-or-later
// The channel and frequency steppers of the TV and Radio pages as the user meets them.
#include "app/main_form.h"
#include "channels/channel_list_editor.h"
#include "components/up_down.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "radio/radio_page.h"
#include "tv/tv_page.h"

#include <QAbstractSpinBox>
#include <QToolButton>

#include <gtest/gtest.h>

TEST(ChannelSteppers, AreArrowPairsThatStepTheListAndNeverTakeText) {
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    TMainForm form(TMainForm::Services{clock, boxes, shell, "NoMixerFolder/Faderix.so"});
    struct Stepper {
        QWidget* page;
        const char* name;
        Qt::Orientation orientation;
    };
    for (const Stepper& expected : {Stepper{form.tvPage(), "TVChanUpDown", Qt::Horizontal},
                                    Stepper{form.tvPage(), "TVChanFreqUpDown", Qt::Vertical},
                                    Stepper{form.radioPage(), "RadioUpDown", Qt::Horizontal},
                                    Stepper{form.radioPage(), "RadioFreqUpDown", Qt::Vertical}}) {
        auto* stepper = expected.page->findChild<UpDown*>(QString::fromLatin1(expected.name));
        ASSERT_NE(stepper, nullptr) << expected.name;
        EXPECT_EQ(stepper->orientation(), expected.orientation) << expected.name;
    }
    EXPECT_EQ(form.tvPage()->findChild<QAbstractSpinBox*>(), nullptr) << "no stepper shows a number to edit";
    EXPECT_EQ(form.radioPage()->findChild<QAbstractSpinBox*>(), nullptr);

    RadioStationList& stations = form.radioPage()->stations();
    stations.RadioAddButtonClick();
    stations.RadioAddButtonClick();
    for (int i = 0; i < stations.list().count(); ++i) {
        stations.list().at(i).enabled = true;
    }
    auto* stepper = form.radioPage()->findChild<UpDown*>(QStringLiteral("RadioUpDown"));
    stepper->upButton()->click();
    EXPECT_EQ(stations.list().selectedIndex(), 0) << "the right arrow steps forward, wrapping to the first";
    stepper->downButton()->click();
    EXPECT_EQ(stations.list().selectedIndex(), 1);
    form.close();
}
