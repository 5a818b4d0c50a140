#pragma once
// The Player page. The playback graph and the playlist join it with the player issue.

#include "view/video_target.h"

#include <QStringList>
#include <QWidget>

class Clock;
class MessageBoxes;
class TPlayerTools;

struct PlayerPageContext {
    Clock& clock;
    MessageBoxes& messageBoxes;
    QWidget* mainWindow;
    QWidget* videoWindow;
    VideoPlacement& placement;
};

class PlayerPage final : public QWidget {
    Q_OBJECT
public:
    explicit PlayerPage(PlayerPageContext context, QWidget* parent = nullptr);

    void PlayerTabSheetShow();
    void leavePage();
    void PauseButtonClick();
    void FormMouseWheel(int wheelDelta);
    void handlePlayerNotify();
    void freePlayerTools();
    void openFiles(const QStringList& paths);
    TPlayerTools* playerTools() const { return nullptr; }

private:
    PlayerPageContext context_;
};
