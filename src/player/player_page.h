// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Player page: opens, plays, pauses and stops media files with TPlayerTools, seeks by click, wheel and
// arrow keys, sets the volume and the audio effect, and keeps a playlist of files with check marks.

#include "open_dialog.h"
#include "platform/media/gst/control_interfaces.h"
#include "view/video_target.h"

#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class Clock;
class MessageBoxes;
class MprisService;
class QListWidgetItem;
class TPlayerTools;

namespace Ui {
class PlayerPage;
}

struct PlayerPageContext {
    Clock& clock;
    MessageBoxes& messageBoxes;
    QWidget* mainWindow;  // for PlaceBesideMainWindow and as the notify window of the graph
    QWidget* videoWindow; // the video window, shown, hidden, moved and resized by the page
    VideoPlacement& placement;
    // Whether the Player page is the page shown, and how to show it through the usual page change (the
    // other page's leave logic runs). Without them the page counts as shown.
    std::function<bool()> pageShown = {};
    std::function<void()> showPage = {};
};

class PlayerPage final : public QWidget {
    Q_OBJECT
public:
    explicit PlayerPage(PlayerPageContext context, QWidget* parent = nullptr);
    ~PlayerPage() override;

    // What the main window calls.
    void PlayerTabSheetShow();
    // Leaving the page: a file that plays is paused (the main window then takes the video window away).
    void leavePage();
    void PauseButtonClick();
    void FormMouseWheel(int wheelDelta);
    // PlayerNotifyMessage: drains the graph's events.
    void handlePlayerNotify();
    void freePlayerTools();
    // Files given on the command line: they become the playlist, all checked, and the first plays.
    void openFiles(const QStringList& paths);
    // Files dropped on the main window or the video window: the media files among them open as if chosen in
    // the "Open..." dialog; folders and other files are left out, and the status line says so.
    void dropFiles(const QList<QUrl>& urls);
    TPlayerTools* playerTools() const { return tools_.get(); }

    // The page's handlers; a handler run by the page itself gets a null sender.
    void OpenButtonClick(QObject* sender);
    void PlayButtonClick();
    void StopButtonClick();
    void EffectComboBoxChange();
    void DMOSettingsButtonClick();
    void VolumeTrackBarChange();
    void PlayerStatusTimerTimer();
    void SeekBackPanelMouseDown(int x);
    void SeekSliderPanelMouseDown(int x);
    void PanoramaCheckBoxClick();
    void PlayAddButtonClick();
    void PlayDelButtonClick();
    void PlayUpButtonClick();
    void PlayDownButtonClick();
    void PlayCheckListBoxClick();

    Ui::PlayerPage& ui() const { return *ui_; }
    QTimer& PlayerStatusTimer() { return statusTimer_; }
    OpenDialog& openDialog() const { return *openDialog_; }
    void setOpenDialog(std::unique_ptr<OpenDialog> dialog) { openDialog_ = std::move(dialog); }

    // Opens and plays a playlist entry, selecting it, as a click on it does.
    void playEntry(int row);
    // The entry the user selected, or -1. The list's current row alone is not a choice: focus makes the first
    // entry current without selecting it.
    int selectedRow() const;
    // Moves to a position (100 ns units) in the current file and shows it; for the desktop's media controls.
    void seekTo(REFERENCE_TIME position);
    // Whether the page is shown: only then may anything start playback.
    bool shown() const { return !context_.pageShown || context_.pageShown(); }
    // Changes to this page through the main window's page change, when it is not shown.
    void showPage();
    // A file with a picture plays (not paused, not stopped): the screensaver should stay off.
    bool playsPicture() const;
    // The file opened last; empty before the first.
    const QString& currentFile() const { return currentFile_; }

signals:
    // Playback started, paused, stopped, or another file opened.
    void playbackChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createPlayerTools();
    void appendToPlaylist(const QStringList& files);
    void swapEntries(int row, int other);
    void continueLoop();
    void showVideoWindowForFile();
    // Opens the dialog's file; with replacePlaylist the dialog's files become the playlist.
    void openDialogChoice(bool replacePlaylist);
    // A note on the status line, kept there for a while before the position takes it back.
    void showNote(const QString& note);

    PlayerPageContext context_;
    std::unique_ptr<Ui::PlayerPage> ui_;
    std::unique_ptr<TPlayerTools> tools_;
    std::unique_ptr<OpenDialog> openDialog_;
    QTimer statusTimer_;
    bool paused_ = false;
    // Wheel angle not yet making up a whole notch.
    int wheelRemainder_ = 0;
    QString currentFile_;
    Qt::CheckState pressedCheckState_ = Qt::Unchecked;
    MprisService* mpris_ = nullptr;
    bool noteShown_ = false;
    std::uint32_t noteShownAt_ = 0;
};
