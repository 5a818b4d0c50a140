// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/unix_signals.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

class CloseCountingWindow final : public QWidget {
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

// The close arrives through the event loop; give it a bounded number of turns.
void RunEventsUntil(const std::function<bool()>& done) {
    for (int turn = 0; turn < 50 && !done(); ++turn) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
}

} // namespace

TEST(TerminationSignals, EachSignalClosesTheWindowAsItsCloseBoxDoes) {
    CloseCountingWindow window;
    window.show();
    CloseWindowOnTerminationSignals(&window);

    ASSERT_EQ(std::raise(SIGTERM), 0);
    RunEventsUntil([&] { return window.closes == 1; });
    EXPECT_EQ(window.closes, 1);
    EXPECT_FALSE(window.isVisible());

    window.show();
    ASSERT_EQ(std::raise(SIGINT), 0);
    RunEventsUntil([&] { return window.closes == 2; });
    EXPECT_EQ(window.closes, 2);
}
