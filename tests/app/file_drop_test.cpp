// SPDX-License-Identifier: GPL-2.0-or-later
// Files dragged from a file manager onto the main window or the video window while the Player page is shown.
#include "app/main_form.h"
#include "media_test_support.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "player/player_page.h"
#include "player/player_tools.h"
#include "view/video_window_form.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FileDrop : public ::testing::Test {
protected:
    void SetUp() override {
        UseFakeAudioOutput();
        form = std::make_unique<TMainForm>(TMainForm::Services{clock, boxes, shell, RECORDING_PLUGIN});
        videoWindow = std::make_unique<TVideoWindowForm>(*form);
        form->setVideoWindow(videoWindow.get());
        form->show();
        song = WriteAudioFile(media.path("song.wav"), 2.0);
        film = WriteVideoFile(media.path("film.avi"), 160, 120, 10, "1/1");
        ASSERT_FALSE(song.isEmpty());
        ASSERT_FALSE(film.isEmpty());
        notes = media.path("notes.txt");
        QFile text(notes);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not a film\n");
        text.close();
        folder = media.path("Holidays");
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    void TearDown() override {
        form.reset();
        videoWindow.reset();
    }

    // Drags the files over a window and lets go; false when the window refused the drag.
    static bool drop(QWidget& window, const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        data.setUrls(urls);
        const QPoint centre = window.rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent release(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &release);
        return release.isAccepted();
    }
    QStringList playlist() const {
        QStringList entries;
        const QListWidget& list =
            *form->playerPage()->findChild<QListWidget*>(QStringLiteral("PlayCheckListBox"));
        for (int row = 0; row < list.count(); ++row) {
            EXPECT_EQ(list.item(row)->checkState(), Qt::Checked);
            entries << list.item(row)->text();
        }
        return entries;
    }
    QString statusLine() const {
        return form->playerPage()
            ->findChild<QStatusBar*>(QStringLiteral("PlayerStatusBar"))
            ->currentMessage();
    }

    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    GeneratedMedia media;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TVideoWindowForm> videoWindow;
    QString song, film, notes, folder;
};

TEST_F(FileDrop, MediaFilesBecomeThePlaylistAndTheRestIsNamedOnTheStatusLine) {
    ASSERT_TRUE(drop(*form, {film, folder, notes, song}));
    EXPECT_EQ(playlist(), (QStringList{film, song}));
    EXPECT_EQ(form->playerPage()->currentFile(), film) << "the first dropped media file plays";
    ASSERT_TRUE(form->playerPage()->playerTools()->started());
    EXPECT_EQ(statusLine(), "2 dropped items left out: folders and files that are not media");
    form->playerPage()->PlayerStatusTimerTimer();
    EXPECT_EQ(statusLine(), "2 dropped items left out: folders and files that are not media")
        << "the note stays a while before the position";
    clock.Sleep(6000);
    form->playerPage()->PlayerStatusTimerTimer();
    EXPECT_TRUE(statusLine().contains("film.avi")) << statusLine().toStdString();

    // Onto the picture: the video window hands the files to the Player page.
    ASSERT_TRUE(drop(*videoWindow, {song}));
    EXPECT_EQ(playlist(), QStringList{song});
    EXPECT_EQ(form->playerPage()->currentFile(), song);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(FileDrop, NothingToOpenLeavesThePlaylistAsItWas) {
    ASSERT_TRUE(drop(*form, {song}));
    ASSERT_TRUE(drop(*form, {folder}));
    EXPECT_EQ(playlist(), QStringList{song});
    EXPECT_EQ(statusLine(), "Folder left out: Holidays");
    ASSERT_TRUE(drop(*videoWindow, {notes}));
    EXPECT_EQ(playlist(), QStringList{song});
    EXPECT_EQ(statusLine(), "Not a media file, left out: notes.txt");
}

TEST_F(FileDrop, OtherPagesTakeNoFiles) {
    form->pageControl()->setCurrentIndex(TMainForm::AboutPageIndex);
    EXPECT_FALSE(drop(*form, {song}));
    EXPECT_FALSE(drop(*videoWindow, {song}));
    EXPECT_TRUE(playlist().isEmpty());
}

} // namespace
