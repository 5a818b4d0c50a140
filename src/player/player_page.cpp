#include "player_page.h"

PlayerPage::PlayerPage(PlayerPageContext context, QWidget* parent) : QWidget(parent), context_(context) {}

void PlayerPage::PlayerTabSheetShow() {
    DetachVideo();
}

void PlayerPage::leavePage() {}

void PlayerPage::PauseButtonClick() {}

void PlayerPage::FormMouseWheel(int) {}

void PlayerPage::handlePlayerNotify() {}

void PlayerPage::freePlayerTools() {}

void PlayerPage::openFiles(const QStringList&) {}
