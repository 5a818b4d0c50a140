#pragma once
// The main window: a small fixed always-on-top window holding the four pages. It decides when each page's
// objects run, applies the mixer presets when the user moves between pages, loads the settings at start and
// saves them at close. Each page's own handlers live in that page's class.

#include "components/dev_cmb_base.h"
#include "platform/registry/registry_path.h"
#include "platform/win/window_message.h"
#include "view/video_target.h"
#include "view/video_window_choices.h"
#include "view/video_window_host.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TMainForm;
}
class Clock;
class MessageBoxes;
class MixerPluginBinding;
class PlayerPage;
class QLabel;
class QTabWidget;
class RadioPage;
class SearchForm;
struct SettingsTargets;
class Shell;
class TVPage;
class TVideoWindowForm;

class TMainForm final : public QWidget, public VideoWindowHost {
    Q_OBJECT
public:
    enum PageIndex { PlayerPageIndex = 0, TVPageIndex = 1, RadioPageIndex = 2, AboutPageIndex = 3 };

    struct Services {
        Clock& clock;
        MessageBoxes& messageBoxes;
        Shell& shell;
        // Folder-relative path of the mixer plug-in, resolved beside the executable.
        std::string pluginPath;
        // The settings database (CORVANE_REGISTRY or the user's configuration folder by default).
        std::filesystem::path registryPath = DefaultRegistryPath();
        // The devices the pages' pickers list; the system's enumerator when empty.
        DeviceEnumFactory devices = {};
    };

    explicit TMainForm(Services services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The video window is made after the main window; the pages that show pictures need it.
    void setVideoWindow(TVideoWindowForm* videoWindow);
    // So are the search dialogs, which the lists' "Search..." buttons show.
    void setSearchForms(SearchForm* tvSearch, SearchForm* radioSearch);

    void FormCreate();
    void FormShow();
    void FormClose();
    // The page at leavingIndex is about to be left. Never refuses the change.
    void MainPageControlChanging(int leavingIndex);
    // Window messages; true when handled here and not passed on.
    bool WndProc(WindowMessageEvent& message);
    void wwwLabelClick();
    void emailLabelClick();
    // Files a later program on the same settings file handed over: the window comes up (also when hidden
    // from the video window's menu) and the files become the playlist, as on the command line.
    void openHandedOverFiles(const QStringList& files);

    // VideoWindowHost
    bool isPlayerPageVisible() const override;
    bool isTVPageVisible() const override;
    void PauseButtonClick() override;
    void FormMouseWheel(int wheelDelta) override;
    void TVChanUpDownChangingEx(bool up, int newPosition) override;
    int TVChanUpDownPosition() const override;
    void selectTVChannelByNumber(int number) override;
    void showMainWindow() override;
    void hideMainWindow() override;
    void closeMainWindow() override;
    Clock& clock() override { return services_.clock; }
    VideoWindowChoices& videoWindowChoices() override { return videoChoices_; }

    int currentPage() const;
    // The one answer to "which page is shown": the page whose show handler ran last and that has not been
    // left since, whether or not the window itself is on screen.
    bool isPageShown(int index) const;
    bool isPageTabVisible(int index) const;
    const VideoPlacement& tvPlacement() const { return tvPlacement_; }
    const VideoPlacement& playerPlacement() const { return playerPlacement_; }

    QTabWidget* pageControl() const;
    QLabel* wwwLabel() const;
    QLabel* emailLabel() const;
    PlayerPage* playerPage() const { return playerPage_; }
    TVPage* tvPage() const { return tvPage_; }
    RadioPage* radioPage() const { return radioPage_; }
    MixerPluginBinding& plugin() const { return *plugin_; }

signals:
    // The close has run to its end; the program may end.
    void closed();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createPages();
    void onPageChanged(int newIndex);
    void runPageShowHandler(int index);
    // Detach, hide and remember the video window for the page being left.
    void leaveVideoWindow(VideoPlacement& placement);
    void centreOnScreen();
    // The controls and state the settings store fills at start and saves at close.
    SettingsTargets settingsTargets() const;

    std::unique_ptr<Ui::TMainForm> ui;
    Services services_;
    std::unique_ptr<MixerPluginBinding> plugin_;
    TVideoWindowForm* videoWindow_ = nullptr;
    PlayerPage* playerPage_ = nullptr;
    TVPage* tvPage_ = nullptr;
    RadioPage* radioPage_ = nullptr;
    VideoPlacement tvPlacement_;
    VideoPlacement playerPlacement_;
    // Filled and saved by the settings store through settingsTargets().
    mutable VideoWindowChoices videoChoices_;
    int shownPage_ = PlayerPageIndex;
    bool pageControlShown_ = false;
    bool closing_ = false;
    bool closed_ = false;
    // A close arrived while the plug-in's setup dialog was open; it runs once ActionSetup has returned.
    bool closeAfterSetup_ = false;
    // A close arrived while a search ran; it runs once the search's dialog has closed.
    bool closeAfterSearch_ = false;
    // False when the settings file was held by another program at start; the close then keeps it as is.
    bool settingsReadEverything_ = true;
};
