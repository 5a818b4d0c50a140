// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Starts a recording on the card and waits until its first frames are in.

#include "card_tools.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

// Frames arrive in real time; the deadline only ends a test that would otherwise wait forever.
inline void RecordSomeFrames(CardTools& card, LONG frames = 5) {
    ASSERT_TRUE(card.tools.AssembleCapture()) << (card.shown().empty() ? "" : card.shown().front());
    ASSERT_TRUE(card.tools.RunCapture());
    ASSERT_TRUE(card.tools.droppedFrames);
    LONG delivered = 0;
    QElapsedTimer waited;
    waited.start();
    while (delivered - card.tools.notDroppedBase < frames && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        card.tools.droppedFrames->GetNumNotDropped(&delivered);
    }
}
