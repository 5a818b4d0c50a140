// SPDX-License-Identifier: GPL-2.0-or-later
#include "main_form.h"

#include "ui_main_form.h"

#include "channels/channel_list_editor.h"
#include "channels/channel_search_button.h"
#include "components/dev_cmb_base.h"
#include "faderix.h"
#include "mixer_plugin_binding.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "player/player_messages.h"
#include "player/player_page.h"
#include "player/screensaver_inhibitor.h"
#include "radio/radio_page.h"
#include "settings_store.h"
#include "tv/tuner_tools.h"
#include "tv/tv_page.h"
#include "view/picture_menus.h"
#include "view/video_window_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QTabBar>
#include <QWheelEvent>

namespace {
constexpr int kClientWidth = 242;
constexpr int kClientHeight = 348;
constexpr double kInactiveOpacity = 192.0 / 255.0;
} // namespace

TMainForm::TMainForm(Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint),
      ui(std::make_unique<Ui::TMainForm>()), services_(std::move(services)),
      plugin_(std::make_unique<MixerPluginBinding>(services_.messageBoxes)),
      screenSaver_(
          std::make_unique<ScreenSaverInhibitor>(QDBusConnection::sessionBus(), QStringLiteral("Corvane"))) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QApplication::applicationName());
    setFixedSize(kClientWidth, kClientHeight);
    ui->MainPageControl->setVisible(false);
    createPages();
    centreOnScreen();

    connect(ui->MainPageControl, &QTabWidget::currentChanged, this, &TMainForm::onPageChanged);
    // A close that waited for the plug-in's dialog runs once the handler that opened it has finished.
    plugin_->setAfterSetup([this] {
        if (closeAfterSetup_) {
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        }
    });
    ui->wwwLabel->installEventFilter(this);
    ui->emailLabel->installEventFilter(this);
    setAcceptDrops(true);
    // The wheel reaches the window before the control under the mouse, as the Player page seeks with it.
    qApp->installEventFilter(this);

    FormCreate();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    if (!closed_) {
        FormClose();
    }
}

void TMainForm::createPages() {
    // The lists, the video window and the handlers all ask the main window which page is shown: the
    // pages' own visibility is lost while the main window is hidden from the video window's menu.
    tvPage_ = new TVPage(TVPageContext{services_.clock, services_.messageBoxes, *plugin_,
                                       [this] { return isPageShown(TVPageIndex); }, this, &tvPlacement_,
                                       services_.devices},
                         ui->TVTabSheet);
    ui->TVTabSheetLayout->addWidget(tvPage_);
    radioPage_ = new RadioPage(
        services_.clock, *plugin_, services_.messageBoxes, [this] { return isPageShown(RadioPageIndex); },
        ui->RadioTabSheet, services_.devices);
    ui->RadioTabSheetLayout->addWidget(radioPage_);
}

void TMainForm::setVideoWindow(TVideoWindowForm* videoWindow) {
    videoWindow_ = videoWindow;
    tvPage_->setVideoWindow(videoWindow_);
    if (videoWindow_) {
        // The stored deinterlacing is there before the first picture is made.
        videoWindow_->pictureMenus().applyToPicture();
    }
    if (playerPage_ || !videoWindow_) {
        return;
    }
    playerPage_ =
        new PlayerPage(PlayerPageContext{services_.clock, services_.messageBoxes, this, videoWindow_,
                                         playerPlacement_, [this] { return isPageShown(PlayerPageIndex); },
                                         [this] { ui->MainPageControl->setCurrentIndex(PlayerPageIndex); }},
                       ui->PlayerTabSheet);
    ui->PlayerTabSheetLayout->addWidget(playerPage_);
    connect(playerPage_, &PlayerPage::playbackChanged, this, &TMainForm::updateScreenSaver);
}

void TMainForm::setSearchForms(SearchForm* tvSearch, SearchForm* radioSearch) {
    tvPage_->searchButton().setForm(tvSearch);
    radioPage_->searchButton().setForm(radioSearch);
    for (ChannelSearchButton* button : {&tvPage_->searchButton(), &radioPage_->searchButton()}) {
        button->setAfterSearch([this] {
            if (closeAfterSearch_) {
                QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            }
        });
    }
}

void TMainForm::centreOnScreen() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

void TMainForm::FormCreate() {
    plugin_->bind(this, services_.pluginPath);
    // The default resolutions, then the stored settings over them, which fill both lists and restore the
    // device pickers. The analog standard picker was filled with the channel list's controls.
    const SettingsTargets settings = settingsTargets();
    settings.tvPreviewRes->setCurrentIndex(3);
    settings.tvCaptureRes->setCurrentIndex(1);
    settingsReadEverything_ = LoadSettings(settings, services_.registryPath, &services_.clock);
    if (!tvPage_->hasVideoCaptureDevice()) {
        ui->MainPageControl->setTabVisible(TVPageIndex, false);
    }
    if (!radioPage_->hasTunerDevice()) {
        ui->MainPageControl->setTabVisible(RadioPageIndex, false);
    }
}

SettingsTargets TMainForm::settingsTargets() const {
    return {tvPage_->videoCaptureDevices(), tvPage_->captureResolutions(), tvPage_->previewResolutions(),
            tvPage_->videoCompressors(),    tvPage_->audioCompressors(),   &tvPage_->channels(),
            radioPage_->tunerDevices(),     radioPage_->audioDevices(),    radioPage_->crossbarDevices(),
            &radioPage_->stations(),        &radioPage_->exitInputPin,     &videoChoices_,
            tvPage_->cardSoundBox(),        radioPage_->cardSoundBox(),    &tvPage_->compressorOptions()};
}

void TMainForm::FormShow() {
    if (pageControlShown_) {
        return;
    }
    pageControlShown_ = true;
    shownPage_ = ui->MainPageControl->currentIndex();
    ui->MainPageControl->setVisible(true);
    runPageShowHandler(shownPage_);
    updateScreenSaver();
}

void TMainForm::onPageChanged(int newIndex) {
    if (!pageControlShown_ || newIndex == shownPage_ || closing_) {
        return;
    }
    MainPageControlChanging(shownPage_);
    shownPage_ = newIndex;
    runPageShowHandler(newIndex);
    updateScreenSaver();
}

void TMainForm::updateScreenSaver() {
    const TTunerTools* tv = tvPage_ ? tvPage_->tunerTools() : nullptr;
    if (isPageShown(PlayerPageIndex) && playerPage_ && playerPage_->playsPicture()) {
        screenSaver_->setInhibited(true, QStringLiteral("Playing a film"));
    } else if (isPageShown(TVPageIndex) && tv && (tv->previewRunning || tv->captureRunning)) {
        screenSaver_->setInhibited(true, QStringLiteral("Watching TV"));
    } else {
        screenSaver_->setInhibited(false);
    }
}

void TMainForm::runPageShowHandler(int index) {
    switch (index) {
    case PlayerPageIndex:
        if (playerPage_) {
            playerPage_->PlayerTabSheetShow();
        }
        break;
    case TVPageIndex:
        tvPage_->TVTabSheetShow();
        break;
    case RadioPageIndex:
        radioPage_->RadioTabSheetShow();
        break;
    default:
        break;
    }
}

void TMainForm::MainPageControlChanging(int leavingIndex) {
    switch (leavingIndex) {
    case PlayerPageIndex:
        if (playerPage_) {
            playerPage_->leavePage();
        }
        leaveVideoWindow(playerPlacement_);
        break;
    case TVPageIndex:
        tvPage_->leavePage();
        leaveVideoWindow(tvPlacement_);
        break;
    case RadioPageIndex:
        radioPage_->leavePage();
        break;
    default:
        break;
    }
}

void TMainForm::leaveVideoWindow(VideoPlacement& placement) {
    DetachVideo();
    if (!videoWindow_) {
        return;
    }
    videoWindow_->hide();
    placement.left = videoWindow_->x();
    placement.top = videoWindow_->y();
    placement.clientWidth = videoWindow_->width();
    placement.clientHeight = videoWindow_->height();
}

void TMainForm::FormClose() {
    if (closed_) {
        return;
    }
    closing_ = true;
    if (pageControlShown_) {
        MainPageControlChanging(shownPage_);
    }
    SaveSettings(settingsTargets(), services_.registryPath, &services_.clock, settingsReadEverything_);
    tvPage_->channels().list().clear();
    if (playerPage_) {
        playerPage_->freePlayerTools();
    }
    tvPage_->freeTunerTools();
    // The radio object goes last, after the player's and the TV's.
    radioPage_->freeRadioTools();
    plugin_->unbind();
    updateScreenSaver();
    closed_ = true;
}

// Message numbers that meet in the handler below. The plug-in's result and the playback graph's notification
// share one number on purpose, and one case serves both; the capture graph's notification must stay apart
// from everything the plug-in posts or sends.
static_assert(FADERIX_WM_USER == WM_USER, "the plug-in counts its messages from the host's WM_USER");
static_assert(PlayerNotifyMessage == WM_PLUGIN_RESULT,
              "the PlayerNotifyMessage case also takes the plug-in's WM_PLUGIN_RESULT");
static_assert(CaptureNotifyMessage != WM_PLUGIN_RESULT && CaptureNotifyMessage != WM_PLUGIN_ERROR &&
                  CaptureNotifyMessage != WM_PLUGIN_CONTROL_INFO,
              "the capture graph's events must not be taken for the plug-in's messages");

bool TMainForm::WndProc(WindowMessageEvent& message) {
    switch (message.message()) {
    case WM_ACTIVATE:
        if ((message.wParam() & 0xFFFFu) == WA_INACTIVE) {
            setWindowOpacity(kInactiveOpacity);
        } else {
            setWindowOpacity(1.0);
        }
        return false;
    case CaptureNotifyMessage:
        tvPage_->handleCaptureNotify();
        // A lost device stops the picture.
        updateScreenSaver();
        return true;
    case PlayerNotifyMessage:
        // Also the plug-in's completion message, which carries the same number: pending player events are
        // fetched either way.
        if (playerPage_) {
            playerPage_->handlePlayerNotify();
        }
        return true;
    default:
        return false;
    }
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == WindowMessageEvent::eventType()) {
        auto& message = static_cast<WindowMessageEvent&>(*event);
        WndProc(message);
        return true;
    }
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) {
        const WPARAM state = event->type() == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE;
        SendMessage(this, WM_ACTIVATE, state, 0);
    }
    return QWidget::event(event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The plug-in's setup dialog runs inside ActionSetup: closing now would unload the plug-in under it. The
    // dialog is closed the way the user closes it (which saves the preset), and this close follows.
    if (plugin_->isInSetup()) {
        event->ignore();
        closeAfterSetup_ = true;
        plugin_->closeSetupDialog();
        return;
    }
    // A sweep runs inside its dialog's event handling: closing now would free the tuner under it. The sweep
    // is cancelled as its Cancel button does, and this close follows once its dialog has closed.
    for (ChannelSearchButton* button : {&tvPage_->searchButton(), &radioPage_->searchButton()}) {
        if (button->busy()) {
            event->ignore();
            closeAfterSearch_ = true;
            button->cancel();
            return;
        }
    }
    FormClose();
    event->accept();
    emit closed();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == ui->wwwLabel) {
            wwwLabelClick();
            return true;
        }
        if (watched == ui->emailLabel) {
            emailLabelClick();
            return true;
        }
    }
    if (event->type() == QEvent::Wheel && isPageShown(PlayerPageIndex)) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && (widget == this || isAncestorOf(widget))) {
            const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
            if (delta != 0) {
                FormMouseWheel(delta);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::openHandedOverFiles(const QStringList& files) {
    showNormal();
    raise();
    activateWindow();
    if (!files.isEmpty() && playerPage_) {
        playerPage_->openFiles(files);
    }
}

void TMainForm::wwwLabelClick() {
    services_.shell.open(ui->wwwLabel->toolTip());
}

void TMainForm::emailLabelClick() {
    services_.shell.open(ui->emailLabel->toolTip());
}

QTabWidget* TMainForm::pageControl() const {
    return ui->MainPageControl;
}

QLabel* TMainForm::wwwLabel() const {
    return ui->wwwLabel;
}

QLabel* TMainForm::emailLabel() const {
    return ui->emailLabel;
}

int TMainForm::currentPage() const {
    return ui->MainPageControl->currentIndex();
}

bool TMainForm::isPageTabVisible(int index) const {
    return ui->MainPageControl->isTabVisible(index);
}

bool TMainForm::isPageShown(int index) const {
    return pageControlShown_ && !closing_ && shownPage_ == index;
}

bool TMainForm::isPlayerPageVisible() const {
    return isPageShown(PlayerPageIndex);
}

bool TMainForm::isTVPageVisible() const {
    return isPageShown(TVPageIndex);
}

void TMainForm::PauseButtonClick() {
    if (playerPage_) {
        playerPage_->PauseButtonClick();
    }
}

void TMainForm::FormMouseWheel(int wheelDelta) {
    if (isPageShown(PlayerPageIndex) && playerPage_) {
        playerPage_->FormMouseWheel(wheelDelta);
    }
}

void TMainForm::TVChanUpDownChangingEx(bool up, int newPosition) {
    tvPage_->TVChanUpDownChangingEx(up, newPosition);
}

int TMainForm::TVChanUpDownPosition() const {
    return tvPage_->TVChanUpDownPosition();
}

void TMainForm::selectTVChannelByNumber(int number) {
    tvPage_->selectChannelByNumber(number);
}

void TMainForm::showMainWindow() {
    show();
}

void TMainForm::hideMainWindow() {
    hide();
}

void TMainForm::closeMainWindow() {
    close();
}

bool TMainForm::acceptsFileDrop() const {
    return isPageShown(PlayerPageIndex) && playerPage_;
}

void TMainForm::dropFiles(const QList<QUrl>& urls) {
    if (acceptsFileDrop()) {
        playerPage_->dropFiles(urls);
    }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && acceptsFileDrop()) {
        event->acceptProposedAction();
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls() && acceptsFileDrop()) {
        event->acceptProposedAction();
        dropFiles(event->mimeData()->urls());
    }
}
