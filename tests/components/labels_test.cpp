// SPDX-License-Identifier: GPL-2.0-or-later
#include "components/web_label.h"
#include "components/win_ver_label.h"
#include "components/winutils.h"
#include "platform/win/shell.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

TEST(WebLabel, OpensItsFileWhenClicked) {
    RecordingShell shell;
    TWebLabel label(shell);
    label.resize(200, 20);
    EXPECT_EQ(label.file(), QStringLiteral("mailto:") + label.text());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(label.font().underline());
    label.setProperty("File", QStringLiteral("https://www.corvane.org/"));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &press);
    QApplication::sendEvent(&label, &release);
    ASSERT_EQ(shell.opened().size(), 1u);
    EXPECT_EQ(shell.opened()[0], "https://www.corvane.org/");
}

TEST(WinVerLabel, ShowsTheVersionLine) {
    TWinVerLabel label;
    EXPECT_EQ(label.text(), GetWindowsVersion());
}
