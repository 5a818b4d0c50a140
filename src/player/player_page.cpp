#include "player_page.h"

#include "view/on_screen_control.h"
#include "view/video_window_form.h"

#include "mpris_service.h"
#include "platform/media/gst/com_factory.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "player_tools.h"
#include "ui_player_page.h"

#include <QFileInfo>
#include <QMouseEvent>

namespace {

constexpr int StatusIntervalMs = 100;
constexpr REFERENCE_TIME kWheelStep = 100'000'000; // 10 seconds
// The angle of one notch of a classic wheel.
constexpr int kWheelNotch = 120;

} // namespace

PlayerPage::PlayerPage(PlayerPageContext context, QWidget* parent)
    : QWidget(parent), context_(context), ui_(std::make_unique<Ui::PlayerPage>()),
      openDialog_(std::make_unique<QtOpenDialog>()) {
    ui_->setupUi(this);
    statusTimer_.setInterval(StatusIntervalMs);
    connect(&statusTimer_, &QTimer::timeout, this, &PlayerPage::PlayerStatusTimerTimer);
    connect(ui_->OpenButton, &QPushButton::clicked, this, [this] { OpenButtonClick(ui_->OpenButton); });
    connect(ui_->PlayButton, &QPushButton::clicked, this, &PlayerPage::PlayButtonClick);
    connect(ui_->StopButton, &QPushButton::clicked, this, &PlayerPage::StopButtonClick);
    connect(ui_->PauseButton, &QPushButton::clicked, this, &PlayerPage::PauseButtonClick);
    connect(ui_->EffectComboBox, &QComboBox::activated, this, &PlayerPage::EffectComboBoxChange);
    connect(ui_->DMOSettingsButton, &QPushButton::clicked, this, &PlayerPage::DMOSettingsButtonClick);
    connect(ui_->VolumeTrackBar, &QSlider::valueChanged, this, &PlayerPage::VolumeTrackBarChange);
    connect(ui_->PanoramaCheckBox, &QCheckBox::clicked, this, &PlayerPage::PanoramaCheckBoxClick);
    connect(ui_->PlayAddButton, &QPushButton::clicked, this, &PlayerPage::PlayAddButtonClick);
    connect(ui_->PlayDelButton, &QPushButton::clicked, this, &PlayerPage::PlayDelButtonClick);
    connect(ui_->PlayUpButton, &QPushButton::clicked, this, &PlayerPage::PlayUpButtonClick);
    connect(ui_->PlayDownButton, &QPushButton::clicked, this, &PlayerPage::PlayDownButtonClick);
    // A click on an entry's check mark only checks it; a click on the entry plays it.
    connect(ui_->PlayCheckListBox, &QListWidget::itemPressed, this,
            [this](QListWidgetItem* item) { pressedCheckState_ = item->checkState(); });
    connect(ui_->PlayCheckListBox, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item->checkState() == pressedCheckState_) {
            PlayCheckListBoxClick();
        }
    });
    ui_->SeekBackPanel->installEventFilter(this);
    ui_->SeekSliderPanel->installEventFilter(this);
    mpris_ = MprisService::publish(*this);
}

PlayerPage::~PlayerPage() = default;

bool PlayerPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const int x = int(static_cast<QMouseEvent*>(event)->position().x());
        if (watched == ui_->SeekBackPanel) {
            SeekBackPanelMouseDown(x);
            return true;
        }
        if (watched == ui_->SeekSliderPanel) {
            SeekSliderPanelMouseDown(x);
            return true;
        }
    }
    if (event->type() == QEvent::Resize && watched == ui_->SeekBackPanel) {
        ui_->SeekSliderPanel->resize(ui_->SeekSliderPanel->width(),
                                     std::max(0, ui_->SeekBackPanel->height() - 2));
    }
    return QWidget::eventFilter(watched, event);
}

void PlayerPage::createPlayerTools() {
    tools_ = std::make_unique<TPlayerTools>(context_.mainWindow, &VideoTarget, context_.messageBoxes);
    ui_->EffectComboBox->clear();
    ui_->EffectComboBox->addItem(QStringLiteral("<none>"));
    const int count = tools_->EnumerateEffects();
    for (int row = 0; row < count; ++row) {
        ui_->EffectComboBox->addItem(QString::fromLocal8Bit(tools_->effectEntry(row).name));
    }
    ui_->EffectComboBox->setCurrentIndex(0);
    EffectComboBoxChange();
}

void PlayerPage::PlayerTabSheetShow() {
    DetachVideo();
    VideoTarget.videoWidth = 0;
    VideoTarget.videoHeight = 0;
    if (!tools_) {
        createPlayerTools();
        if (context_.videoWindow) {
            context_.videoWindow->hide();
        }
        emit playbackChanged();
        return;
    }
    VideoTarget.window = tools_->graph() ? query<IVideoWindow>(tools_->graph()) : nullptr;
    LONG width = 0;
    LONG height = 0;
    if (!tools_->ReadVideoSize(&width, &height)) {
        width = height = 0;
    }
    VideoTarget.videoWidth = width;
    VideoTarget.videoHeight = height;
    const bool fileLoaded = ui_->PlayButton->isEnabled() || ui_->StopButton->isEnabled();
    emit playbackChanged();
    if (!context_.videoWindow) {
        return;
    }
    if (VideoTarget.videoHeight > 0 && fileLoaded) {
        const VideoPlacement& place = context_.placement;
        context_.videoWindow->move(place.left, place.top);
        context_.videoWindow->resize(place.clientWidth, place.clientHeight);
        AttachVideo(context_.videoWindow);
        context_.videoWindow->show();
    } else {
        context_.videoWindow->hide();
    }
}

void PlayerPage::leavePage() {
    if (tools_ && tools_->started() && !tools_->paused()) {
        PauseButtonClick();
    }
    // What the desktop's controls may do changes with the page.
    emit playbackChanged();
}

void PlayerPage::showPage() {
    if (!shown() && context_.showPage) {
        context_.showPage();
    }
}

void PlayerPage::showVideoWindowForFile() {
    if (!context_.videoWindow) {
        return;
    }
    if (VideoTarget.videoHeight > 0) {
        context_.videoWindow->resize(VideoTarget.videoWidth, VideoTarget.videoHeight);
        PlaceBesideMainWindow(context_.videoWindow, context_.mainWindow);
        AttachVideo(context_.videoWindow);
        context_.videoWindow->show();
    } else {
        context_.videoWindow->hide();
    }
}

void PlayerPage::OpenButtonClick(QObject* sender) {
    if (!tools_) {
        return;
    }
    if (sender && !openDialog_->Execute(this)) {
        return;
    }
    if (!tools_->OpenFile(openDialog_->FileName)) {
        return;
    }
    currentFile_ = openDialog_->FileName;
    if (sender) {
        ui_->PlayCheckListBox->clear();
        appendToPlaylist(openDialog_->Files);
        ui_->PlayCheckListBox->setCurrentRow(-1);
    }
    PlayerStatusTimerTimer();
    showVideoWindowForFile();
    ui_->PlayButton->setEnabled(true);
    PlayButtonClick();
}

void PlayerPage::PlayButtonClick() {
    if (tools_ && tools_->Play()) {
        ui_->PlayButton->setEnabled(false);
        ui_->StopButton->setEnabled(true);
        ui_->PauseButton->setEnabled(true);
        statusTimer_.start();
    }
    emit playbackChanged();
}

void PlayerPage::StopButtonClick() {
    statusTimer_.stop();
    if (tools_) {
        tools_->Stop();
        ui_->PlayButton->setEnabled(true);
        ui_->StopButton->setEnabled(false);
        ui_->PauseButton->setEnabled(false);
    }
    emit playbackChanged();
}

void PlayerPage::PauseButtonClick() {
    if (!tools_) {
        return;
    }
    paused_ = tools_->TogglePause();
    if (paused_) {
        statusTimer_.stop();
    } else {
        statusTimer_.start();
    }
    emit playbackChanged();
}

void PlayerPage::EffectComboBoxChange() {
    if (!tools_) {
        return;
    }
    const int index = ui_->EffectComboBox->currentIndex();
    ui_->DMOSettingsButton->setEnabled(index > 0);
    tools_->SwapEffect(index);
}

void PlayerPage::DMOSettingsButtonClick() {
    if (!tools_) {
        return;
    }
    const int row = ui_->EffectComboBox->currentIndex() - 1;
    RefPtr<ISpecifyPropertyPages> pages;
    if (tools_->effect()) {
        pages = query<ISpecifyPropertyPages>(tools_->effect());
    } else if (row >= 0 && row < TPlayerTools::EffectTableRows) {
        CoCreateInstance(tools_->effectEntry(row).classId, nullptr, CLSCTX_INPROC_SERVER,
                         ISpecifyPropertyPages::IID, reinterpret_cast<void**>(pages.put()));
    }
    if (!pages || row < 0) {
        return;
    }
    const std::wstring caption = QString::fromLocal8Bit(tools_->effectEntry(row).name).toStdWString();
    CAUUID list;
    if (FAILED(pages->GetPages(&list))) {
        return;
    }
    IUnknown* object = pages.get();
    OleCreatePropertyFrame(context_.mainWindow, 0, 0, caption.c_str(), 1, &object, list.cElems, list.pElems,
                           0);
    CoTaskMemFree(list.pElems);
}

void PlayerPage::VolumeTrackBarChange() {
    if (tools_) {
        tools_->SetVolume(-ui_->VolumeTrackBar->value());
    }
    auto* videoWindow = qobject_cast<TVideoWindowForm*>(context_.videoWindow);
    if (videoWindow && shown()) {
        const QSlider& bar = *ui_->VolumeTrackBar;
        videoWindow->onScreen().showVolume((bar.maximum() - bar.value()) * 100 / bar.maximum());
    }
}

void PlayerPage::PlayerStatusTimerTimer() {
    if (!tools_) {
        return;
    }
    const REFERENCE_TIME current = tools_->CurrentPosition();
    // An empty or endless file has no proportion to show.
    const qint64 track = ui_->SeekBackPanel->width() - 2;
    const qint64 width =
        tools_->length() > 0 ? std::clamp<qint64>(current * track / tools_->length(), 0, track) : 0;
    ui_->SeekSliderPanel->setGeometry(1, 1, int(width), std::max(0, ui_->SeekBackPanel->height() - 2));
    const QString status =
        QStringLiteral("%1 / %2").arg(TPlayerTools::FormatTime(current), tools_->description());
    ui_->PlayerStatusBar->showMessage(status);
    ui_->PlayerStatusBar->setToolTip(status);
}

void PlayerPage::SeekBackPanelMouseDown(int x) {
    if (!tools_) {
        return;
    }
    const qint64 track = ui_->SeekBackPanel->width() - 2;
    if (track <= 0) {
        return;
    }
    tools_->SeekTo(tools_->length() * (x - 1) / track);
}

void PlayerPage::seekTo(REFERENCE_TIME position) {
    if (!tools_) {
        return;
    }
    tools_->SeekTo(position);
    PlayerStatusTimerTimer();
}

void PlayerPage::SeekSliderPanelMouseDown(int x) {
    SeekBackPanelMouseDown(x + 1);
}

void PlayerPage::PanoramaCheckBoxClick() {
    VideoTarget.panorama = ui_->PanoramaCheckBox->isChecked();
    LayoutVideo();
}

void PlayerPage::FormMouseWheel(int wheelDelta) {
    if (!tools_) {
        return;
    }
    // Touchpads and fine wheels report a notch in small parts: the parts add up to whole notches, so one
    // swipe does not jump minutes. A turn the other way starts a new count.
    if ((wheelDelta < 0) != (wheelRemainder_ < 0)) {
        wheelRemainder_ = 0;
    }
    wheelRemainder_ += wheelDelta;
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= notches * kWheelNotch;
    if (notches == 0) {
        return;
    }
    // An exact position: a step to a key frame could land where it started when key frames are more than a
    // step apart.
    tools_->SeekTo(tools_->CurrentPosition() + notches * kWheelStep);
}

void PlayerPage::handlePlayerNotify() {
    LONG code = 0;
    while (tools_ && tools_->NextEvent(&code)) {
        if (code == EC_COMPLETE) {
            StopButtonClick();
            if (ui_->LoopCheckBox->isChecked()) {
                continueLoop();
            }
        } else if (code == EC_ERRORABORT) {
            // The graph gave up on the file: show it stopped, so Play, Open and the playlist work as usual.
            StopButtonClick();
        }
    }
}

int PlayerPage::selectedRow() const {
    QListWidget& list = *ui_->PlayCheckListBox;
    const int row = list.currentRow();
    return row >= 0 && list.item(row)->isSelected() ? row : -1;
}

void PlayerPage::continueLoop() {
    QListWidget& list = *ui_->PlayCheckListBox;
    const int count = list.count();
    if (count == 0) {
        PlayButtonClick();
        return;
    }
    const int selected = selectedRow();
    for (int step = 1; step <= count; ++step) {
        const int row = ((selected < 0 ? -1 : selected) + step + count) % count;
        if (list.item(row)->checkState() == Qt::Checked) {
            playEntry(row);
            return;
        }
    }
}

void PlayerPage::playEntry(int row) {
    QListWidgetItem* item = ui_->PlayCheckListBox->item(row);
    if (!item) {
        return;
    }
    ui_->PlayCheckListBox->setCurrentRow(row);
    openDialog_->FileName = item->text();
    OpenButtonClick(nullptr);
}

void PlayerPage::appendToPlaylist(const QStringList& files) {
    for (const QString& file : files) {
        auto* item = new QListWidgetItem(file, ui_->PlayCheckListBox);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void PlayerPage::PlayAddButtonClick() {
    if (openDialog_->Execute(this)) {
        appendToPlaylist(openDialog_->Files);
    }
}

void PlayerPage::PlayDelButtonClick() {
    const int row = selectedRow();
    if (row >= 0) {
        delete ui_->PlayCheckListBox->takeItem(row);
        // The list would select a neighbour instead; a second press must not delete an entry nobody chose.
        ui_->PlayCheckListBox->setCurrentRow(-1);
    }
}

void PlayerPage::swapEntries(int row, int other) {
    QListWidget& list = *ui_->PlayCheckListBox;
    const Qt::CheckState rowMark = list.item(row)->checkState();
    const Qt::CheckState otherMark = list.item(other)->checkState();
    QListWidgetItem* moved = list.takeItem(row);
    list.insertItem(other, moved);
    list.item(other)->setCheckState(rowMark);
    list.item(row)->setCheckState(otherMark);
    list.setCurrentRow(other);
}

void PlayerPage::PlayUpButtonClick() {
    const int row = selectedRow();
    if (row > 0) {
        swapEntries(row, row - 1);
    }
}

void PlayerPage::PlayDownButtonClick() {
    const int row = selectedRow();
    if (row >= 0 && row < ui_->PlayCheckListBox->count() - 1) {
        swapEntries(row, row + 1);
    }
}

void PlayerPage::PlayCheckListBoxClick() {
    const int row = selectedRow();
    if (row >= 0) {
        playEntry(row);
    }
}

void PlayerPage::freePlayerTools() {
    statusTimer_.stop();
    tools_.reset();
}

void PlayerPage::openFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    if (!tools_) {
        createPlayerTools();
    }
    QStringList absolute;
    for (const QString& path : paths) {
        absolute << QFileInfo(path).absoluteFilePath();
    }
    ui_->PlayCheckListBox->clear();
    appendToPlaylist(absolute);
    playEntry(0);
}
