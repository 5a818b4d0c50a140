// SPDX-License-Identifier: GPL-2.0-or-later
// A list's "Search..." button with its dialog: the sweep runs in the modal dialog over the page's device,
// the page's timer is paused and put back, Cancel, Escape and a close stop after the current step, a second
// click starts nothing, and the list is shown and its selection retuned afterwards.
#include "channel_rows.h"
#include "channels/channel_list_editor.h"
#include "channels/channel_search_button.h"
#include "channels/search_form.h"
#include "recording_channel_view.h"
#include "search_doubles.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

// The scripted tuner, with a look at the program's state as each step tunes.
class WatchedTuner final : public SearchTuner {
public:
    HRESULT TuneFrequency(std::int32_t hz) override {
        if (onTune) {
            onTune(static_cast<int>(script.tuned.size()));
        }
        return script.TuneFrequency(hz);
    }
    HRESULT ReadTunerOffset(std::int32_t* offset) override { return script.ReadTunerOffset(offset); }
    bool IsSignalLocked() override { return script.IsSignalLocked(); }

    ScriptedTuner script;
    // Called with the number of steps already tuned.
    std::function<void(int)> onTune;
};

class SearchButtonTest : public ::testing::Test {
protected:
    SearchButtonTest() {
        search.setForm(&form);
        search.setTuner(&tuner);
        stations.setTuner(&channelTuner);
        stations.list().replaceAll({Station("Near", MHz(100.15), false), Station("Other", MHz(95), true)});
        stations.list().select(0);
        view.visible = true;
        timer.setInterval(1000);
        QLocale::setDefault(QLocale::c());
    }
    ~SearchButtonTest() override { QLocale::setDefault(QLocale()); }

    int tunes() const { return static_cast<int>(tuner.script.tuned.size()); }

    QWidget page;
    QPushButton* button = [this] {
        auto* made = new QPushButton(&page);
        made->setObjectName(QString::fromLatin1(kRadioStationList.controls.searchButton));
        return made;
    }();
    EventLog log;
    RecordingChannelView view{log};
    LoggingClock listClock{log};
    RecordingTuner channelTuner{log};
    RadioStationList stations{view, nullptr, listClock, QLocale::c()};
    QTimer timer;
    ChannelSearchButton search{&page, stations, &timer};
    VirtualClock searchClock;
    TRadioSearchForm form{searchClock};
    WatchedTuner tuner;
};

TEST_F(SearchButtonTest, SweepsInTheDialogWithTheTimerPausedThenShowsAndRetunesTheList) {
    tuner.script.carrier(MHz(100));
    tuner.script.carrier(MHz(104.6));
    timer.start();
    bool shownWhileSweeping = false;
    bool timerRanWhileSweeping = false;
    int shownMidway = -1;
    tuner.onTune = [&](int tuned) {
        shownWhileSweeping = form.isVisible();
        timerRanWhileSweeping = timerRanWhileSweeping || timer.isActive();
        if (tuned == 350) {
            shownMidway = view.shownCount;
        }
    };

    button->click();

    EXPECT_EQ(tunes(), 401 - 2 * 6) << "two finds jumped 300 kHz, six steps, each";
    EXPECT_TRUE(shownWhileSweeping);
    EXPECT_FALSE(timerRanWhileSweeping);
    EXPECT_EQ(shownMidway, 3) << "the list behind the dialog shows each find as it comes";
    EXPECT_TRUE(timer.isActive());
    EXPECT_FALSE(form.isVisible());
    // The dialog shows the last frequency tried and the counts.
    EXPECT_EQ(form.FreqLabel->text(), "108.00");
    EXPECT_EQ(form.UpdLabel->text(), "1");
    EXPECT_EQ(form.AddLabel->text(), "1");
    EXPECT_EQ(form.BadLabel->text(), "1");
    // The list is shown as the sweep left it and the selected station, moved onto its find, is retuned.
    ASSERT_EQ(stations.list().count(), 3);
    EXPECT_EQ(view.shownCount, 3);
    EXPECT_EQ(stations.list().at(0).freq, MHz(100));
    EXPECT_TRUE(stations.list().at(0).enabled);
    EXPECT_FALSE(stations.list().at(1).enabled);
    EXPECT_EQ(stations.list().selectedIndex(), 0);
    EXPECT_NE(std::find(log.events.begin(), log.events.end(), "tune 100000000"), log.events.end());

    // A timer that was stopped stays stopped.
    timer.stop();
    button->click();
    EXPECT_FALSE(timer.isActive());
}

TEST_F(SearchButtonTest, CancelAndEscapeStopAfterTheCurrentStepKeepingWhatWasFound) {
    tuner.script.carrier(MHz(88.1));
    tuner.onTune = [&](int tuned) {
        if (tuned == 10) {
            form.CancelButton->click();
        }
    };
    button->click();
    // The step that saw the click was finished; no other was started.
    EXPECT_EQ(tunes(), 11);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(stations.list().count(), 3);
    EXPECT_EQ(stations.list().at(2).name, "found station 88.10 MHz");
    EXPECT_FALSE(stations.list().at(0).enabled) << "the cleared check marks stay cleared";
    EXPECT_EQ(view.shownCount, 3);

    tuner.script = ScriptedTuner{};
    tuner.onTune = [&](int tuned) {
        if (tuned == 4) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&form, &escape);
        }
    };
    button->click();
    EXPECT_EQ(tunes(), 5);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SearchButtonTest, ASecondClickStartsNothingAndAClosingDialogStopsTheSweep) {
    int clicksBack = 0;
    search.setAfterSearch([&] { ++clicksBack; });
    tuner.onTune = [&](int tuned) {
        if (tuned == 3) {
            EXPECT_TRUE(search.busy());
            button->click();
            EXPECT_FALSE(form.ShowModal(tuner, stations.list())) << "the dialog is already up";
        }
        if (tuned == 20) {
            EXPECT_FALSE(form.close()) << "a sweep closes its own dialog";
        }
    };
    button->click();
    EXPECT_EQ(tunes(), 21);
    EXPECT_EQ(clicksBack, 1);
    EXPECT_FALSE(search.busy());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SearchButtonTest, WithoutTheListsDeviceTheButtonIsDisabledAndNothingHappens) {
    EXPECT_TRUE(button->isEnabled());
    search.setTuner(nullptr);
    EXPECT_FALSE(button->isEnabled());
    timer.start();
    search.click();
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(tunes(), 0);
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(stations.list().at(1).enabled);

    // A button made before its page has a device starts disabled.
    QWidget other;
    auto* otherButton = new QPushButton(&other);
    otherButton->setObjectName(QString::fromLatin1(kRadioStationList.controls.searchButton));
    ChannelSearchButton fresh(&other, stations);
    EXPECT_FALSE(otherButton->isEnabled());
    fresh.setTuner(&tuner);
    EXPECT_TRUE(otherButton->isEnabled());
}

} // namespace
