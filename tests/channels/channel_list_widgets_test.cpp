// SPDX-License-Identifier: GPL-2.0-or-later
#include "channels/channel_list_widgets.h"
#include "components/up_down.h"
#include "recording_channel_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// The TV page's channel controls, built by name as the page's form builds them.
struct TVControls {
    TVControls() {
        const ChannelListControlNames& n = kTVChannelList.controls;
        auto name = [](QObject* o, const char* objectName) {
            o->setObjectName(QString::fromLatin1(objectName));
        };
        name(list = new QListWidget(&page), n.list);
        name(nameEdit = new QLineEdit(&page), n.nameEdit);
        name(freqEdit = new QLineEdit(&page), n.freqEdit);
        name(upDown = new UpDown(&page), n.upDown);
        upDown->setOrientation(Qt::Horizontal);
        upDown->setMinimum(-32766);
        upDown->setMaximum(32767);
        name(tunning = new QLabel(&page), n.tunningLabel);
        name(add = new QPushButton(&page), n.addButton);
        name(del = new QPushButton(&page), n.delButton);
        name(standard = new QComboBox(&page), n.standardPicker);
    }
    QWidget page;
    QListWidget* list;
    QLineEdit* nameEdit;
    QLineEdit* freqEdit;
    UpDown* upDown;
    QLabel* tunning;
    QPushButton* add;
    QPushButton* del;
    QComboBox* standard;
};

TEST(ChannelListWidgets, UserActionsRunTheHandlersAndTheControlsFollowTheList) {
    TVControls c;
    EventLog log;
    LoggingClock clock(log);
    bool visible = false;
    ChannelListWidgets widgets(&c.page, kTVChannelList, [&] { return visible; });
    TVChannelList tv(widgets, nullptr, clock, QLocale::c());
    widgets.bind(tv);
    ASSERT_EQ(c.standard->count(), 20);
    EXPECT_EQ(c.standard->itemText(4), "PAL_B");

    c.add->click();
    c.add->click();
    ASSERT_EQ(c.list->count(), 2);
    EXPECT_EQ(c.list->currentRow(), 1);
    EXPECT_EQ(c.list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(c.standard->currentText(), "PAL_B");

    c.nameEdit->setText("Sport"); // every change of the text renames
    EXPECT_EQ(c.list->item(1)->text(), "Sport");
    EXPECT_EQ(tv.list().at(1).name, "Sport");

    c.list->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(tv.list().at(0).enabled);

    c.list->setCurrentRow(0); // as a click or arrow key would
    EXPECT_EQ(tv.list().selectedIndex(), 0);
    EXPECT_EQ(c.nameEdit->text(), "new channel");

    // Clicking the entry already selected selects it again.
    c.nameEdit->setText("changed elsewhere");
    tv.list().at(0).name = "new channel";
    emit c.list->itemClicked(c.list->item(0));
    EXPECT_EQ(c.nameEdit->text(), "new channel");

    c.freqEdit->setText("1000");
    emit c.freqEdit->returnPressed();
    EXPECT_EQ(c.freqEdit->text(), "800.00");
    EXPECT_EQ(tv.list().at(0).freq, 800000000);

    // Switching to another window or opening the edit's menu is no exit; moving to another control is.
    c.freqEdit->setText("300");
    for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent away(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(c.freqEdit, &away);
    }
    EXPECT_EQ(c.freqEdit->text(), "300");
    EXPECT_EQ(tv.list().at(0).freq, 800000000);
    QFocusEvent exit(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(c.freqEdit, &exit);
    EXPECT_EQ(c.freqEdit->text(), "300.00");
    EXPECT_EQ(tv.list().at(0).freq, 300000000);

    // The stepper's right arrow steps over the unchecked entry to the checked one.
    c.upDown->upButton()->click();
    EXPECT_EQ(tv.list().selectedIndex(), 0);

    c.standard->setCurrentIndex(1);
    emit c.standard->activated(1);
    EXPECT_EQ(tv.list().at(0).palSecam, 1);

    c.del->click();
    EXPECT_EQ(c.list->count(), 1);
    EXPECT_EQ(c.list->item(0)->text(), "Sport");
    EXPECT_TRUE(log.events.empty()); // the page was never visible: nothing tuned
}

} // namespace
