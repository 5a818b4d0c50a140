// SPDX-License-Identifier: GPL-2.0-or-later
// A termination signal while the plug-in's setup dialog is open, with the real plug-in: its code and
// session must outlive the dialog (the address sanitizer reports any use after the unload).
#include "app/main_form.h"
#include "app/mixer_plugin_binding.h"
#include "app/unix_signals.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "tv/tv_page.h"
#include "view/video_window_form.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The first control node of the dialog's tree (device, destination, line, control).
QTreeWidgetItem* FirstControl(QTreeWidget* tree) {
    QTreeWidgetItem* item = tree->topLevelItemCount() > 0 ? tree->topLevelItem(0) : nullptr;
    for (int level = 0; level < 3 && item; ++level) {
        item = item->childCount() > 0 ? item->child(0) : nullptr;
    }
    return item;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(CloseDuringSetup, ASignalWhileTheDialogIsOpenClosesItFirstAndSavesTheEdit) {
    // The plug-in saves its presets beside itself, so it runs from a folder of this test.
    QTemporaryDir dir;
    const std::filesystem::path mixer = std::filesystem::path(dir.path().toStdString()) / "Mixer";
    std::filesystem::create_directories(mixer);
    std::filesystem::copy_file(FADERIX_PLUGIN_PATH, mixer / "Faderix.so");
    setenv("FADERIX_BACKEND", "virtual", 1);

    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    auto form = std::make_unique<TMainForm>(
        TMainForm::Services{clock, boxes, shell, (mixer / "Faderix.so").string()});
    TVideoWindowForm videoWindow(*form);
    form->setVideoWindow(&videoWindow);
    ASSERT_TRUE(form->plugin().isBound());
    int closes = 0;
    QObject::connect(form.get(), &TMainForm::closed, [&] { ++closes; });
    CloseWindowOnTerminationSignals(form.get());
    form->show();

    bool edited = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("TreeView"));
        auto* actions = dialog->findChild<QComboBox*>(QStringLiteral("ActionCombo"));
        ASSERT_TRUE(tree && actions);
        QTreeWidgetItem* control = FirstControl(tree);
        ASSERT_NE(control, nullptr);
        tree->setCurrentItem(control);
        actions->setCurrentIndex(1);
        emit actions->activated(1);
        edited = true;
        std::raise(SIGTERM);
    });
    form->tvPage()->mixerUnmuteButton()->click();

    EXPECT_TRUE(edited);
    EXPECT_EQ(closes, 0) << "nothing is closed under the handler that opened the dialog";
    EXPECT_TRUE(form->plugin().isBound());
    EXPECT_NE(ReadFile(mixer / "TV_Unmute.cfg").find("Count=1"), std::string::npos)
        << "the dialog closed through its own path, which saves the user's edit";
    for (int turn = 0; turn < 50 && closes == 0; ++turn) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    EXPECT_EQ(closes, 1) << "the close runs once the dialog is gone";
    EXPECT_FALSE(form->plugin().isBound());
    unsetenv("FADERIX_BACKEND");
}
