// SPDX-License-Identifier: GPL-2.0-or-later
#include "player_test_support.h"

namespace {

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override { page.page.PlayerTabSheetShow(); }

    // Four short files as the playlist, checked as given, without playing anything.
    QStringList makePlaylist(std::initializer_list<bool> checked) {
        QStringList files;
        for (std::size_t index = 0; index < checked.size(); ++index) {
            files << WriteAudioFile(media.path(QStringLiteral("entry%1.wav").arg(index)), 0.3);
        }
        page.dialog->choice = files;
        page.page.PlayAddButtonClick();
        int row = 0;
        for (bool mark : checked) {
            list().item(row++)->setCheckState(mark ? Qt::Checked : Qt::Unchecked);
        }
        return files;
    }
    QListWidget& list() { return *page.ui().PlayCheckListBox; }
    // Waits for the current file to end and for the page to handle it.
    bool waitForEnd() {
        const int before = page.mainWindow.notifications;
        return WaitUntil([&] { return page.mainWindow.notifications > before; }, 15000);
    }

    GeneratedMedia media;
    PageHarness page;
};

TEST_F(PlaylistTest, AddAppendsCheckedEntriesWithoutPlaying) {
    const QStringList files = makePlaylist({true, true});
    EXPECT_EQ(list().count(), 2);
    EXPECT_FALSE(page.page.playerTools()->loaded());
    page.dialog->choice = {};
    page.page.PlayAddButtonClick();
    EXPECT_EQ(list().count(), 2);
}

TEST_F(PlaylistTest, UpAndDownMoveTheSelectedEntryWithItsCheckMark) {
    const QStringList files = makePlaylist({true, false, true});
    page.page.PlayDownButtonClick(); // nothing selected
    EXPECT_EQ(list().item(0)->text(), files[0]);

    list().setCurrentRow(1);
    page.page.PlayUpButtonClick();
    EXPECT_EQ(list().item(0)->text(), files[1]);
    EXPECT_EQ(list().item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list().item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(list().currentRow(), 0);
    page.page.PlayUpButtonClick(); // already first
    EXPECT_EQ(list().item(0)->text(), files[1]);

    list().setCurrentRow(1);
    page.page.PlayDownButtonClick();
    EXPECT_EQ(list().item(2)->text(), files[0]);
    EXPECT_EQ(list().item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(list().currentRow(), 2);
    page.page.PlayDownButtonClick(); // already last
    EXPECT_EQ(list().item(2)->text(), files[0]);

    page.page.PlayDelButtonClick();
    EXPECT_EQ(list().count(), 2);
    list().setCurrentRow(-1);
    page.page.PlayDelButtonClick();
    EXPECT_EQ(list().count(), 2);
}

TEST_F(PlaylistTest, ButtonsActOnlyOnASelectedEntryAndDeletingSelectsNone) {
    const QStringList files = makePlaylist({true, true, true, true});
    // Focus makes an entry current without selecting it; the user chose nothing.
    list().selectionModel()->setCurrentIndex(list().model()->index(1, 0), QItemSelectionModel::NoUpdate);
    page.page.PlayDelButtonClick();
    page.page.PlayUpButtonClick();
    page.page.PlayDownButtonClick();
    EXPECT_EQ(list().count(), 4);
    EXPECT_EQ(list().item(1)->text(), files[1]);
    EXPECT_EQ(list().item(2)->text(), files[2]);

    list().setCurrentRow(1);
    page.page.PlayDelButtonClick();
    EXPECT_TRUE(list().selectedItems().isEmpty());
    page.page.PlayDelButtonClick(); // a second press has nothing to delete
    ASSERT_EQ(list().count(), 3);
    EXPECT_EQ(list().item(1)->text(), files[2]);
}

TEST_F(PlaylistTest, AfterThePlayingEntryIsDeletedLoopStartsFromTheTop) {
    const QStringList files = makePlaylist({true, false, false, true});
    page.ui().LoopCheckBox->setChecked(true);
    list().setCurrentRow(1);
    page.page.PlayCheckListBoxClick();
    page.page.PlayDelButtonClick();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(page.page.currentFile(), files[0]);
}

TEST_F(PlaylistTest, ClickingAnEntryPlaysItCheckedOrNot) {
    const QStringList files = makePlaylist({true, false});
    list().setCurrentRow(1);
    page.page.PlayCheckListBoxClick();
    EXPECT_EQ(page.page.currentFile(), files[1]);
    EXPECT_TRUE(page.page.playerTools()->started());
    EXPECT_EQ(list().count(), 2);
}

TEST_F(PlaylistTest, LoopContinuesWithTheNextCheckedEntryWrappingAround) {
    const QStringList files = makePlaylist({true, false, false, false});
    page.ui().LoopCheckBox->setChecked(true);
    list().setCurrentRow(2);
    page.page.PlayCheckListBoxClick();
    ASSERT_EQ(page.page.currentFile(), files[2]);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(page.page.currentFile(), files[0]);
    EXPECT_EQ(list().currentRow(), 0);
    EXPECT_TRUE(page.page.playerTools()->started());
    // Entry 0 is the only checked one, so it follows itself.
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(page.page.currentFile(), files[0]);
    EXPECT_TRUE(page.page.playerTools()->started());
}

TEST_F(PlaylistTest, WithoutLoopOrWithoutCheckedEntriesTheEndOnlyStops) {
    const QStringList files = makePlaylist({true, true});
    list().setCurrentRow(0);
    page.page.PlayCheckListBoxClick();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(page.page.currentFile(), files[0]);
    EXPECT_FALSE(page.page.playerTools()->started());
    EXPECT_TRUE(page.ui().PlayButton->isEnabled());
    EXPECT_EQ(page.position(), 0);

    page.ui().LoopCheckBox->setChecked(true);
    for (int row = 0; row < list().count(); ++row) {
        list().item(row)->setCheckState(Qt::Unchecked);
    }
    page.page.PlayButtonClick();
    ASSERT_TRUE(waitForEnd());
    EXPECT_FALSE(page.page.playerTools()->started());
    EXPECT_EQ(page.page.currentFile(), files[0]);
}

TEST_F(PlaylistTest, LoopWithAnEmptyPlaylistPlaysTheSameFileAgain) {
    const QStringList files = makePlaylist({true});
    list().setCurrentRow(0);
    page.page.PlayCheckListBoxClick();
    page.page.PlayDelButtonClick();
    ASSERT_EQ(list().count(), 0);
    page.ui().LoopCheckBox->setChecked(true);
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(page.page.playerTools()->started());
    EXPECT_FALSE(page.ui().PlayButton->isEnabled());
    EXPECT_LT(page.position(), 2'000'000);
}

TEST_F(PlaylistTest, CommandLineFilesBecomeTheCheckedPlaylistAndTheFirstPlays) {
    const QString first = WriteAudioFile(media.path("one.wav"), 0.5);
    const QString second = WriteAudioFile(media.path("two.wav"), 0.5);
    PageHarness fresh; // the page was never shown: opening the files creates the player
    fresh.page.openFiles({first, second});
    ASSERT_NE(fresh.page.playerTools(), nullptr);
    ASSERT_EQ(fresh.ui().PlayCheckListBox->count(), 2);
    EXPECT_EQ(fresh.ui().PlayCheckListBox->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(fresh.page.currentFile(), first);
    EXPECT_TRUE(fresh.page.playerTools()->started());
}

TEST_F(PlaylistTest, AGraphErrorWhilePlayingShowsThePlayerStopped) {
    // The sound output fails after five buffers, as a device that goes away would.
    UseFakeAudioOutput("identity error-after=5 ! fakeaudiosink");
    page.ui().LoopCheckBox->setChecked(true);
    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 3.0)});
    ASSERT_TRUE(page.page.playerTools()->started());
    ASSERT_TRUE(waitForEnd());
    EXPECT_FALSE(page.page.playerTools()->started());
    EXPECT_TRUE(page.ui().PlayButton->isEnabled());
    EXPECT_FALSE(page.ui().PauseButton->isEnabled() || page.ui().StopButton->isEnabled());
    EXPECT_FALSE(page.page.PlayerStatusTimer().isActive());
    // An error is not the end of the file: Loop does not go on with it.
    EXPECT_FALSE(WaitUntil([&] { return page.page.playerTools()->started(); }, 300));

    UseFakeAudioOutput();
    const QString tone = WriteAudioFile(media.path("next.wav"), 0.3);
    page.openFromDialog({tone});
    EXPECT_TRUE(page.page.playerTools()->started());
    EXPECT_EQ(page.page.currentFile(), tone);
}

TEST_F(PlaylistTest, AFileThatBreaksWhilePlayingEndsPlaybackAndThePageStaysUsable) {
    // The second half of the file is garbage: the decoder gives up part way through.
    const QString good = WriteVideoWithSoundFile(media.path("good.avi"), 160, 120, 2.0);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    file.seek(size / 2);
    file.write(QByteArray(int(size / 2 - 64), '\xff'));
    file.close();
    page.openFromDialog({good});
    if (!page.page.playerTools()->started()) {
        GTEST_SKIP() << "the damaged file was refused at opening";
    }
    ASSERT_TRUE(waitForEnd());
    EXPECT_FALSE(page.page.playerTools()->started());
    EXPECT_TRUE(page.ui().PlayButton->isEnabled());
    const QString tone = WriteAudioFile(media.path("tone.wav"), 0.3);
    page.openFromDialog({tone});
    EXPECT_TRUE(page.page.playerTools()->started());
    EXPECT_EQ(page.page.currentFile(), tone);
}

} // namespace
