// SPDX-License-Identifier: GPL-2.0-or-later
#include "components/up_down.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QToolButton>

#include <gtest/gtest.h>

TEST(UpDown, AHorizontalPairOfArrowsReportsEachDirection) {
    UpDown stepper;
    stepper.setOrientation(Qt::Horizontal);
    stepper.setMinimum(-2);
    stepper.setMaximum(1);
    EXPECT_EQ(stepper.upButton()->arrowType(), Qt::RightArrow) << "up is the right arrow";
    EXPECT_EQ(stepper.downButton()->arrowType(), Qt::LeftArrow);
    stepper.show();
    EXPECT_LT(stepper.downButton()->x(), stepper.upButton()->x()) << "side by side, left arrow first";
    EXPECT_EQ(stepper.downButton()->y(), stepper.upButton()->y());

    std::vector<bool> directions;
    QObject::connect(&stepper, &UpDown::changingEx, [&](bool up) { directions.push_back(up); });
    stepper.upButton()->click();
    stepper.upButton()->click(); // at the end of the range: reported, position kept
    stepper.downButton()->click();
    EXPECT_EQ(directions, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(stepper.position(), 0);
    EXPECT_TRUE(stepper.upButton()->autoRepeat()) << "held down, an arrow repeats";
}

TEST(UpDown, TypingIsNoStep) {
    UpDown stepper;
    EXPECT_EQ(stepper.upButton()->arrowType(), Qt::UpArrow) << "vertical unless told otherwise";
    EXPECT_EQ(stepper.findChild<QAbstractSpinBox*>(), nullptr);
    int steps = 0;
    QObject::connect(&stepper, &UpDown::changingEx, [&](bool) { ++steps; });
    for (const Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_Up, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString());
        QCoreApplication::sendEvent(&stepper, &press);
    }
    EXPECT_EQ(steps, 0);
}
