// SPDX-License-Identifier: GPL-2.0-or-later
#include "mpris_service.h"

#include "platform/media/gst/media_filters.h"
#include "player_page.h"
#include "player_tools.h"
#include "ui_player_page.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace {

constexpr qlonglong kUnitsPerMicrosecond = 10;
constexpr const char* PlayerInterface = "org.mpris.MediaPlayer2.Player";

bool IsPlaying(const TPlayerTools* tools) {
    return tools && tools->started() && !tools->paused();
}

} // namespace

MprisService::MprisService(PlayerPage& page) : QObject(&page), page_(page) {
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    connect(&page, &PlayerPage::playbackChanged, this, &MprisService::announceChanges);
    connect(page.ui().LoopCheckBox, &QCheckBox::toggled, this, &MprisService::announceChanges);
    connect(page.ui().VolumeTrackBar, &QSlider::valueChanged, this, &MprisService::announceChanges);
}

MprisService* MprisService::publish(PlayerPage& page) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return nullptr;
    }
    auto* service = new MprisService(page);
    // A second instance takes a name of its own, as the media player naming rules allow.
    const QString name = QString::fromLatin1(ServiceName);
    const bool named = bus.registerService(name) ||
                       bus.registerService(name + QStringLiteral(".instance%1").arg(::getpid()));
    if (!named ||
        !bus.registerObject(QString::fromLatin1(ObjectPath), service, QDBusConnection::ExportAdaptors)) {
        delete service;
        return nullptr;
    }
    service->registered_ = true;
    return service;
}

void MprisService::announceChanges() {
    if (!registered_) {
        return;
    }
    auto* player = findChild<MprisPlayerAdaptor*>();
    QVariantMap changed{
        {QStringLiteral("PlaybackStatus"), player->playbackStatus()},
        {QStringLiteral("LoopStatus"), player->loopStatus()},
        {QStringLiteral("Metadata"), player->metadata()},
        {QStringLiteral("Volume"), player->volume()},
        {QStringLiteral("CanGoNext"), player->canGoNext()},
        {QStringLiteral("CanGoPrevious"), player->canGoPrevious()},
        {QStringLiteral("CanPlay"), player->canPlay()},
        {QStringLiteral("CanPause"), player->canPause()},
        {QStringLiteral("CanSeek"), player->canSeek()},
    };
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(PlayerInterface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
    return {QStringLiteral("audio/x-wav"),      QStringLiteral("audio/mpeg"), QStringLiteral("audio/ogg"),
            QStringLiteral("video/x-msvideo"),  QStringLiteral("video/mpeg"), QStringLiteral("video/mp4"),
            QStringLiteral("video/x-matroska"), QStringLiteral("video/webm")};
}

void MprisRootAdaptor::Raise() {
    if (QWidget* window = service_.page().window()) {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), page_(service.page()) {
    setAutoRelaySignals(true);
}

QString MprisPlayerAdaptor::playbackStatus() const {
    const TPlayerTools* tools = page_.playerTools();
    if (!tools || !tools->started()) {
        return QStringLiteral("Stopped");
    }
    return tools->paused() ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QString MprisPlayerAdaptor::loopStatus() const {
    return page_.ui().LoopCheckBox->isChecked() ? QStringLiteral("Playlist") : QStringLiteral("None");
}

void MprisPlayerAdaptor::setLoopStatus(const QString& status) {
    page_.ui().LoopCheckBox->setChecked(status != QLatin1String("None"));
}

int MprisPlayerAdaptor::currentEntry() const {
    const int selected = page_.selectedRow();
    if (selected >= 0) {
        return selected;
    }
    // After Open nothing is selected although the first chosen file plays.
    const auto& list = *page_.ui().PlayCheckListBox;
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->text() == page_.currentFile()) {
            return row;
        }
    }
    return -1;
}

QDBusObjectPath MprisPlayerAdaptor::trackId() const {
    const int row = std::max(currentEntry(), 0);
    return QDBusObjectPath(QStringLiteral("/org/corvane/Track/%1").arg(row));
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    const TPlayerTools* tools = page_.playerTools();
    if (!tools || !tools->loaded() || page_.currentFile().isEmpty()) {
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral(
                                                      "/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    }
    const QString file = page_.currentFile();
    return {
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())},
        {QStringLiteral("mpris:length"), qlonglong(tools->length() / kUnitsPerMicrosecond)},
        // Clients parse the address as a URI: spaces and other letters percent-encoded.
        {QStringLiteral("xesam:url"), QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded())},
        {QStringLiteral("xesam:title"), QFileInfo(file).fileName()},
    };
}

double MprisPlayerAdaptor::volume() const {
    return GainOfLevel(-page_.ui().VolumeTrackBar->value());
}

void MprisPlayerAdaptor::setVolume(double volume) {
    // The track bar is the attenuation in hundredths of a decibel; the bus speaks linear gain.
    const int attenuation =
        volume <= 0.0 ? 10000 : int(std::lround(-2000.0 * std::log10(std::min(volume, 1.0))));
    page_.ui().VolumeTrackBar->setValue(std::clamp(attenuation, 0, 10000));
}

qlonglong MprisPlayerAdaptor::position() const {
    const TPlayerTools* tools = page_.playerTools();
    return tools ? tools->CurrentPosition() / kUnitsPerMicrosecond : 0;
}

// While another page is shown the player stays still: a media key must not play sound over the TV or the
// radio, nor take the video window from the TV page.
bool MprisPlayerAdaptor::canGoNext() const {
    const auto& list = *page_.ui().PlayCheckListBox;
    return page_.shown() && currentEntry() + 1 < list.count();
}

bool MprisPlayerAdaptor::canGoPrevious() const {
    return page_.shown() && currentEntry() > 0;
}

bool MprisPlayerAdaptor::canPlay() const {
    const TPlayerTools* tools = page_.playerTools();
    return page_.shown() && ((tools && tools->loaded()) || page_.ui().PlayCheckListBox->count() > 0);
}

bool MprisPlayerAdaptor::canSeek() const {
    const TPlayerTools* tools = page_.playerTools();
    return page_.shown() && tools && tools->loaded() && tools->length() > 0;
}

void MprisPlayerAdaptor::Next() {
    if (canGoNext()) {
        page_.playEntry(currentEntry() + 1);
    }
}

void MprisPlayerAdaptor::Previous() {
    if (canGoPrevious()) {
        page_.playEntry(currentEntry() - 1);
    }
}

void MprisPlayerAdaptor::Pause() {
    if (canPause() && IsPlaying(page_.playerTools())) {
        page_.PauseButtonClick();
    }
}

void MprisPlayerAdaptor::PlayPause() {
    if (!canPlay()) {
        return;
    }
    if (IsPlaying(page_.playerTools())) {
        page_.PauseButtonClick();
    } else {
        Play();
    }
}

void MprisPlayerAdaptor::Stop() {
    if (page_.ui().StopButton->isEnabled()) {
        page_.StopButtonClick();
    }
}

void MprisPlayerAdaptor::Play() {
    const TPlayerTools* tools = page_.playerTools();
    if (!canPlay()) {
        return;
    }
    if (page_.ui().PlayButton->isEnabled()) {
        page_.PlayButtonClick();
    } else if (tools && tools->started() && tools->paused()) {
        page_.PauseButtonClick();
    } else if (!(tools && tools->loaded()) && page_.ui().PlayCheckListBox->count() > 0) {
        page_.playEntry(std::max(page_.ui().PlayCheckListBox->currentRow(), 0));
    }
}

void MprisPlayerAdaptor::Seek(qlonglong offsetMicroseconds) {
    const TPlayerTools* tools = page_.playerTools();
    if (!canSeek()) {
        return;
    }
    // The offset comes from any client on the bus: bounded first, so that no multiplication overflows. Past
    // either end the result is the same as for the bound.
    const qlonglong bound = tools->length() / kUnitsPerMicrosecond + 1;
    offsetMicroseconds = std::clamp(offsetMicroseconds, -bound, bound);
    const REFERENCE_TIME target =
        position() * kUnitsPerMicrosecond + offsetMicroseconds * kUnitsPerMicrosecond;
    if (target > tools->length()) {
        Next();
        return;
    }
    page_.seekTo(std::max<REFERENCE_TIME>(target, 0));
    emit Seeked(position());
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& track, qlonglong positionMicroseconds) {
    const TPlayerTools* tools = page_.playerTools();
    // Compared before converting: a position from the bus may be too large to convert.
    if (!canSeek() || track != trackId() || positionMicroseconds < 0 ||
        positionMicroseconds > tools->length() / kUnitsPerMicrosecond) {
        return;
    }
    page_.seekTo(positionMicroseconds * kUnitsPerMicrosecond);
    emit Seeked(position());
}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (url.isLocalFile()) {
        // The page the user sees changes first, with its leave logic (the TV page mutes), then the file
        // plays.
        page_.showPage();
        page_.openFiles({url.toLocalFile()});
    }
}
