// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A Player page as the main window holds it: a notify window that forwards PlayerNotifyMessage to the page,
// a video window, recorded message boxes and an open dialog the test answers.

#include "graph_test_support.h"

#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "player/player_messages.h"
#include "player/player_page.h"
#include "player/player_tools.h"
#include "ui_player_page.h"

#include <QWidget>

class ScriptedOpenDialog final : public OpenDialog {
public:
    bool Execute(QWidget*) override {
        ++executed;
        if (choice.isEmpty()) {
            return false;
        }
        Files = choice;
        FileName = choice.first();
        return true;
    }
    QStringList choice;
    int executed = 0;
};

class NotifyWindow final : public QWidget {
public:
    bool event(QEvent* event) override {
        if (event->type() == WindowMessageEvent::eventType()) {
            if (page && static_cast<WindowMessageEvent*>(event)->message() == PlayerNotifyMessage) {
                ++notifications;
                page->handlePlayerNotify();
            }
            return true;
        }
        return QWidget::event(event);
    }
    PlayerPage* page = nullptr;
    int notifications = 0;
};

struct PageHarness {
    PageHarness() {
        UseFakeAudioOutput();
        VideoTarget = VideoTargetRecord{};
        VideoTarget.owner = &videoWindow;
        mainWindow.page = &page;
        auto scripted = std::make_unique<ScriptedOpenDialog>();
        dialog = scripted.get();
        page.setOpenDialog(std::move(scripted));
    }
    ~PageHarness() {
        page.freePlayerTools();
        mainWindow.page = nullptr;
        VideoTarget = VideoTargetRecord{};
    }
    Ui::PlayerPage& ui() { return page.ui(); }
    TPlayerTools& tools() { return *page.playerTools(); }
    REFERENCE_TIME position() {
        REFERENCE_TIME current = -1;
        query<IMediaSeeking>(tools().graph())->GetCurrentPosition(&current);
        return current;
    }
    // Waits for the graph to finish a state change or a seek.
    void settle() {
        OAFilterState state;
        query<IMediaControl>(tools().graph())->GetState(5000, &state);
    }
    void openFromDialog(const QStringList& files) {
        dialog->choice = files;
        page.OpenButtonClick(ui().OpenButton);
    }

    VirtualClock clock;
    RecordingMessageBoxes boxes;
    NotifyWindow mainWindow;
    QWidget videoWindow;
    VideoPlacement placement;
    // Whether the main window shows the Player page; a request to show it is counted, with the file open
    // then.
    bool shown = true;
    int showRequests = 0;
    QString fileWhenShown;
    PlayerPage page{PlayerPageContext{clock, boxes, &mainWindow, &videoWindow, placement,
                                      [this] { return shown; },
                                      [this] {
                                          ++showRequests;
                                          fileWhenShown = page.currentFile();
                                          shown = true;
                                      }}};
    ScriptedOpenDialog* dialog = nullptr;
};
