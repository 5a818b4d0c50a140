// SPDX-License-Identifier: GPL-2.0-or-later
// A termination signal while a list's search runs inside its dialog: the sweep is cancelled as by its Cancel
// button, and the main window closes only once the search, and the select after it, are over.
#include "app/main_form.h"
#include "app/unix_signals.h"
#include "channels/channel_search_button.h"
#include "channels/search_form.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "radio/radio_page.h"
#include "view/video_window_form.h"

#include <QCoreApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// Hears nothing; raises SIGTERM at one step.
class SignallingTuner final : public SearchTuner {
public:
    HRESULT TuneFrequency(std::int32_t) override {
        if (++tunes == 5) {
            std::raise(SIGTERM);
        }
        return S_OK;
    }
    HRESULT ReadTunerOffset(std::int32_t* offset) override {
        *offset = 0;
        return S_OK;
    }
    bool IsSignalLocked() override { return false; }

    int tunes = 0;
};

} // namespace

TEST(CloseDuringSearch, ASignalCancelsTheSweepAndTheCloseFollowsIt) {
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    auto form = std::make_unique<TMainForm>(TMainForm::Services{clock, boxes, shell, "Mixer/none.so"});
    TVideoWindowForm videoWindow(*form);
    form->setVideoWindow(&videoWindow);
    TRadioSearchForm radioSearch(clock);
    TTVSearchForm tvSearch(clock);
    form->setSearchForms(&tvSearch, &radioSearch);
    int closes = 0;
    QObject::connect(form.get(), &TMainForm::closed, [&] { ++closes; });
    CloseWindowOnTerminationSignals(form.get());
    form->show();
    SignallingTuner tuner;
    form->radioPage()->searchButton().setTuner(&tuner);

    auto* button = form->radioPage()->findChild<QPushButton*>(QStringLiteral("RadioSearchButton"));
    ASSERT_NE(button, nullptr);
    button->click();

    EXPECT_EQ(tuner.tunes, 5) << "the step that saw the signal was the last";
    EXPECT_EQ(closes, 0) << "nothing is closed under the search";
    EXPECT_FALSE(radioSearch.isVisible());
    for (int turn = 0; turn < 50 && closes == 0; ++turn) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    EXPECT_EQ(closes, 1) << "the close runs once the search is over";
    form->radioPage()->searchButton().setTuner(nullptr);
}
