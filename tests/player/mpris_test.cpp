// SPDX-License-Identifier: GPL-2.0-or-later
#include "player_test_support.h"

#include "player/mpris_service.h"

#include <QUrl>

#include <limits>

namespace {

class MprisTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.page.PlayerTabSheetShow();
        service = new MprisService(page.page);
        player = service->findChild<MprisPlayerAdaptor*>();
        ASSERT_NE(player, nullptr);
    }
    QStringList playlist(int count, double seconds) {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            files << WriteAudioFile(media.path(QStringLiteral("track %1.wav").arg(i)), seconds);
        }
        page.dialog->choice = files;
        page.page.PlayAddButtonClick();
        return files;
    }

    GeneratedMedia media;
    PageHarness page;
    MprisService* service = nullptr;
    MprisPlayerAdaptor* player = nullptr;
};

TEST_F(MprisTest, PlaybackStatusFollowsThePage) {
    EXPECT_EQ(player->playbackStatus(), "Stopped");
    EXPECT_FALSE(player->canPlay());
    playlist(1, 2.0);
    EXPECT_TRUE(player->canPlay());
    player->Play(); // nothing loaded yet: the first entry plays
    EXPECT_EQ(player->playbackStatus(), "Playing");
    page.settle();
    player->PlayPause();
    EXPECT_EQ(player->playbackStatus(), "Paused");
    EXPECT_FALSE(page.page.PlayerStatusTimer().isActive());
    page.settle();
    player->Play();
    EXPECT_EQ(player->playbackStatus(), "Playing");
    player->Stop();
    EXPECT_EQ(player->playbackStatus(), "Stopped");
    EXPECT_TRUE(page.ui().PlayButton->isEnabled());
    player->Play();
    EXPECT_EQ(player->playbackStatus(), "Playing");
}

TEST_F(MprisTest, MetadataDescribesTheCurrentFile) {
    EXPECT_EQ(player->metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    const QStringList files = playlist(2, 1.0);
    page.page.playEntry(1);
    const QVariantMap metadata = player->metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "track 1.wav");
    EXPECT_EQ(QUrl(metadata.value("xesam:url").toString()).toLocalFile(), files[1]);
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 1'000'000);
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/corvane/Track/1");
}

TEST_F(MprisTest, NextAndPreviousStepThroughThePlaylist) {
    const QStringList files = playlist(3, 1.0);
    player->Play();
    EXPECT_EQ(page.page.currentFile(), files[0]);
    EXPECT_FALSE(player->canGoPrevious());
    player->Next();
    EXPECT_EQ(page.page.currentFile(), files[1]);
    player->Next();
    EXPECT_EQ(page.page.currentFile(), files[2]);
    EXPECT_FALSE(player->canGoNext());
    player->Next();
    EXPECT_EQ(page.page.currentFile(), files[2]);
    player->Previous();
    EXPECT_EQ(page.page.currentFile(), files[1]);

    // Opened from the dialog nothing is selected, yet the first file plays: Next goes on to the second.
    page.openFromDialog(files);
    ASSERT_EQ(page.page.currentFile(), files[0]);
    EXPECT_FALSE(player->canGoPrevious());
    player->Next();
    EXPECT_EQ(page.page.currentFile(), files[1]);
}

TEST_F(MprisTest, SeekAndSetPositionWorkInMicroseconds) {
    playlist(3, 10.0);
    player->Play();
    // Pause acts only on a graph that has finished starting; on a busy machine that can take longer than the
    // 100 ms the pause waits for.
    page.settle();
    page.page.PauseButtonClick();
    ASSERT_EQ(player->playbackStatus(), "Paused");
    page.settle();
    player->SetPosition(QDBusObjectPath("/org/corvane/Track/0"), 4'000'000);
    EXPECT_EQ(player->position(), 4'000'000);
    player->SetPosition(QDBusObjectPath("/org/corvane/Track/7"), 1'000'000); // another track: ignored
    EXPECT_EQ(player->position(), 4'000'000);
    player->SetPosition(QDBusObjectPath("/org/corvane/Track/0"), 11'000'000); // past the end: ignored
    EXPECT_EQ(player->position(), 4'000'000);
    page.settle();
    player->Seek(-6'000'000);
    EXPECT_EQ(player->position(), 0);
    page.settle();
    player->Seek(2'500'000);
    EXPECT_EQ(player->position(), 2'500'000);
    page.settle();
    // Any client may send the extremes of the range: they act as any other value past an end.
    player->SetPosition(QDBusObjectPath("/org/corvane/Track/0"), std::numeric_limits<qlonglong>::max());
    EXPECT_EQ(player->position(), 2'500'000);
    player->Seek(std::numeric_limits<qlonglong>::min());
    EXPECT_EQ(player->position(), 0);
    page.settle();
    player->Seek(60'000'000); // beyond the end: the next entry
    EXPECT_EQ(page.ui().PlayCheckListBox->currentRow(), 1);
    player->Seek(std::numeric_limits<qlonglong>::max());
    EXPECT_EQ(page.ui().PlayCheckListBox->currentRow(), 2);
}

TEST_F(MprisTest, LoopStatusAndVolumeAreThePagesControls) {
    EXPECT_EQ(player->loopStatus(), "None");
    player->setLoopStatus("Playlist");
    EXPECT_TRUE(page.ui().LoopCheckBox->isChecked());
    EXPECT_EQ(player->loopStatus(), "Playlist");
    player->setLoopStatus("None");
    EXPECT_FALSE(page.ui().LoopCheckBox->isChecked());

    EXPECT_DOUBLE_EQ(player->volume(), 1.0);
    player->setVolume(0.1);
    EXPECT_EQ(page.ui().VolumeTrackBar->value(), 2000);
    EXPECT_NEAR(player->volume(), 0.1, 1e-9);
    player->setVolume(0.0);
    EXPECT_EQ(page.ui().VolumeTrackBar->value(), 10000);
    player->setVolume(3.0);
    EXPECT_EQ(page.ui().VolumeTrackBar->value(), 0);
}

TEST_F(MprisTest, OpenUriPlaysALocalFile) {
    const QString tone = WriteAudioFile(media.path("opened by uri.wav"), 1.0);
    player->OpenUri(QUrl::fromLocalFile(tone).toString());
    EXPECT_EQ(page.page.currentFile(), tone);
    EXPECT_EQ(player->playbackStatus(), "Playing");
    player->OpenUri("http://example.invalid/stream.mp3");
    EXPECT_EQ(page.page.currentFile(), tone);
}

TEST_F(MprisTest, WhileAnotherPageIsShownTheDesktopCanNeitherStartNorMoveThePlayer) {
    const QStringList files = playlist(3, 2.0);
    page.page.playEntry(1);
    page.settle();
    page.shown = false;
    page.page.leavePage(); // the page change pauses the file
    // The pause completes before the position is taken: until then the sinks may still report an older one.
    page.settle();
    ASSERT_EQ(player->playbackStatus(), "Paused");
    EXPECT_FALSE(player->canPlay());
    EXPECT_FALSE(player->canPause());
    EXPECT_FALSE(player->canGoNext());
    EXPECT_FALSE(player->canGoPrevious());
    EXPECT_FALSE(player->canSeek());
    const qlonglong where = player->position();
    player->Play();
    player->PlayPause();
    player->Next();
    player->Previous();
    player->Seek(500'000);
    player->SetPosition(player->metadata().value("mpris:trackid").value<QDBusObjectPath>(), 1'500'000);
    EXPECT_EQ(player->playbackStatus(), "Paused");
    EXPECT_EQ(page.page.currentFile(), files[1]);
    EXPECT_EQ(player->position(), where);

    page.shown = true;
    EXPECT_TRUE(player->canPlay());
    EXPECT_TRUE(player->canGoNext());
    player->PlayPause();
    EXPECT_EQ(player->playbackStatus(), "Playing");
}

TEST_F(MprisTest, OpenUriShowsThePlayerPageBeforeTheFilePlays) {
    const QString tone = WriteAudioFile(media.path("from the desktop.wav"), 1.0);
    page.shown = false;
    player->OpenUri(QString::fromLatin1(QUrl::fromLocalFile(tone).toEncoded()));
    EXPECT_EQ(page.showRequests, 1);
    EXPECT_TRUE(page.fileWhenShown.isEmpty()); // the page changed before the file opened
    EXPECT_EQ(page.page.currentFile(), tone);
    EXPECT_EQ(player->playbackStatus(), "Playing");
    // A shown page is not asked again.
    player->OpenUri(QString::fromLatin1(QUrl::fromLocalFile(tone).toEncoded()));
    EXPECT_EQ(page.showRequests, 1);
}

TEST_F(MprisTest, TheFileAddressIsPercentEncodedAsClientsParseIt) {
    const QString file = WriteAudioFile(media.path("Café & 100% tone #1.wav"), 1.0);
    page.openFromDialog({file});
    const QString url = player->metadata().value("xesam:url").toString();
    EXPECT_TRUE(url.startsWith("file:///")) << url.toStdString();
    EXPECT_TRUE(url.endsWith("Caf%C3%A9%20&%20100%25%20tone%20%231.wav")) << url.toStdString();
    EXPECT_EQ(QUrl::fromEncoded(url.toLatin1()).toLocalFile(), file);
}

} // namespace
