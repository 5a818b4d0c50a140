// SPDX-License-Identifier: GPL-2.0-or-later
#include "channel_search_button.h"

#include "channel_list_editor.h"
#include "search_form.h"

#include <QAbstractButton>
#include <QTimer>
#include <QWidget>

ChannelSearchButton::ChannelSearchButton(QWidget* page, ChannelListEditor& editor, QTimer* pausedTimer)
    : QObject(page), editor_(editor),
      button_(page->findChild<QAbstractButton*>(QString::fromLatin1(editor.kind().controls.searchButton))),
      pausedTimer_(pausedTimer) {
    if (button_) {
        connect(button_, &QAbstractButton::clicked, this, &ChannelSearchButton::click);
        button_->setEnabled(false);
    }
}

void ChannelSearchButton::setTuner(SearchTuner* tuner) {
    tuner_ = tuner;
    if (button_) {
        button_->setEnabled(tuner_ != nullptr);
    }
}

void ChannelSearchButton::click() {
    if (!form_ || !tuner_ || busy_) {
        return;
    }
    busy_ = true;
    const bool timerWasActive = pausedTimer_ && pausedTimer_->isActive();
    if (pausedTimer_) {
        pausedTimer_->stop();
    }
    const bool swept =
        form_->ShowModal(*tuner_, editor_.list(), [this] { editor_.showEntries(); }).has_value();
    if (timerWasActive) {
        pausedTimer_->start();
    }
    // Nothing was shown when the dialog was already up (another list's button cannot reach here, as the
    // dialog is modal, but a second click on this one can while the sweep handles events).
    if (swept) {
        editor_.showEntries();
        editor_.select();
    }
    busy_ = false;
    if (afterSearch_) {
        afterSearch_();
    }
}

void ChannelSearchButton::cancel() {
    if (form_) {
        form_->CancelButtonClick();
    }
}
