// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/action_form.h"
#include "dialog/action_setup.h"

#include "atomic_file.h"
#include "test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>

#include <gtest/gtest.h>

using namespace faderix;

namespace {

class ActionFormWidget : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void choose(TActionForm& form, int node, int action) {
        form.treeView()->setCurrentItem(form.treeItemOf(node));
        form.actionCombo()->setCurrentIndex(action);
        emit form.actionCombo()->activated(action);
    }

    faderix_test::TempDir dir;
    std::unique_ptr<VirtualMixerBackend> mixer =
        faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("state.json"));
    std::vector<std::string> errors;
    ShowMixerError recordError = [this](const char* text) { errors.push_back(text); };
};

} // namespace

TEST_F(ActionFormWidget, EditsThePresetThroughTreeComboAndList) {
    Preset preset;
    preset.items = {PresetItem{0, 3, 1, 1, ""}};
    TActionForm form(*mixer, recordError);
    form.setEditedPreset(&preset);
    form.show();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(form.windowTitle(), "Sound Mixer");
    const QSize screen = form.screen()->geometry().size();
    EXPECT_EQ(form.size(), QSize(std::max(250, screen.width() / 3), std::max(294, screen.height() / 2)));
    ASSERT_EQ(form.listView()->topLevelItemCount(), 1);
    EXPECT_EQ(form.listView()->topLevelItem(0)->text(1), "Check");
    EXPECT_EQ(form.listView()->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(form.treeView()->currentItem(), form.treeItemOf(5)) << "the first row's control is selected";
    EXPECT_EQ(form.actionCombo()->currentText(), "Check");
    EXPECT_TRUE(form.idLabel()->isVisibleTo(&form));
    EXPECT_EQ(form.idLabel()->text(), "ID=03");

    form.treeView()->setCurrentItem(form.treeItemOf(1));
    EXPECT_FALSE(form.actionCombo()->isEnabled());
    EXPECT_EQ(form.actionCombo()->currentText(), "<Select source control>");
    EXPECT_FALSE(form.idLabel()->isVisibleTo(&form));

    choose(form, 3, 5);
    choose(form, 9, 1);
    ASSERT_EQ(form.listView()->topLevelItemCount(), 3);
    EXPECT_EQ(form.listView()->topLevelItem(0)->text(0), "Volume");
    EXPECT_EQ(form.listView()->topLevelItem(0)->text(1), "Set 50%");
    form.listView()->topLevelItem(2)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(form.listView()->topLevelItem(1)->checkState(0), Qt::Unchecked)
        << "the earlier check is cleared";

    choose(form, 5, 0);
    EXPECT_EQ(form.listView()->topLevelItemCount(), 2) << "<no action> removes the row";
    form.hide();
    ASSERT_EQ(preset.items.size(), 2u);
    EXPECT_EQ(preset.items[0].controlId, 1u);
    EXPECT_EQ(preset.items[0].action, 5u);
    EXPECT_EQ(preset.items[1].controlId, 5u);
    EXPECT_EQ(preset.items[1].action, 2u);
    EXPECT_EQ(preset.items[1].checked, 1u);
}

TEST_F(ActionFormWidget, ActionSetupSavesHoweverTheDialogCloses) {
    QWidget hostWindow;
    FaderixHost host{sizeof(FaderixHost), nullptr, nullptr, nullptr,
                     static_cast<uintptr_t>(hostWindow.winId())};
    PluginSession session(HostLink(&host), dir.path() + "/",
                          faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("s.json")));
    std::ofstream(dir.file("TV_Mute.cfg"))
        << "[Setup]\nCount=2\n[Item1]\nID=6\nAction=3\n[Item2]\nID=1\nAction=7\n";
    void* formSlot = nullptr;
    QString title;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* form = qobject_cast<TActionForm*>(QApplication::activeModalWidget())) {
            EXPECT_EQ(formSlot, static_cast<QObject*>(form));
            title = form->windowTitle();
            EXPECT_EQ(form->parentWidget(), &hostWindow) << "the host's window owns the dialog";
            form->close(); // the window's close box: no cancel, the preset is still saved
        }
    });
    closer.start(10);
    actionSetup(session, "TV_Mute", &formSlot);
    closer.stop();
    EXPECT_EQ(title, "Sound Mixer [TV_Mute]");
    EXPECT_EQ(formSlot, nullptr);
    const std::string saved = readWholeFile(dir.file("TV_Mute.cfg")).value();
    EXPECT_EQ(saved, "[Setup]\r\nCount=2\r\n[Item1]\r\nMixer=0\r\nID=1\r\nAction=7\r\nChecked=0\r\nName=0."
                     "Speakers.Volume\r\n"
                     "[Item2]\r\nMixer=0\r\nID=6\r\nAction=3\r\nChecked=0\r\nName=0.Line.In.Volume\r\n")
        << "rewritten in tree order with fresh paths";
}

TEST_F(ActionFormWidget, AnUnsafeNameOpensNoDialogAndItsPresetStaysEmpty) {
    PluginSession session(HostLink(nullptr), dir.path() + "/",
                          faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("s.json")));
    void* formSlot = nullptr;
    bool shown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* form = qobject_cast<TActionForm*>(QApplication::activeModalWidget())) {
            shown = true;
            form->treeView()->setCurrentItem(form->treeItemOf(3));
            form->actionCombo()->setCurrentIndex(5);
            emit form->actionCombo()->activated(5);
            form->close();
        }
    });
    closer.start(10);
    actionSetup(session, "../TV_Mute", &formSlot);
    closer.stop();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(session.store.get("../TV_Mute").items.empty());
}
