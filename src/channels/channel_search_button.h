// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "Search..." button of one channel list. Only while the list's device exists, it pauses the page's
// timer (the TV signal timer, which would read the lock between the sweep's steps), shows the list's search
// dialog over the device, puts the timer back as it was, shows the list as the sweep left it and runs the
// list's select, which retunes the selected entry.

#include <QObject>

#include <functional>

class ChannelListEditor;
class QAbstractButton;
class QTimer;
class QWidget;
class SearchForm;
class SearchTuner;

class ChannelSearchButton final : public QObject {
public:
    // Connects the list's search button below page; pausedTimer may be null.
    ChannelSearchButton(QWidget* page, ChannelListEditor& editor, QTimer* pausedTimer = nullptr);

    // The dialogs are made after the pages.
    void setForm(SearchForm* form) { form_ = form; }
    // The device swept; null while the list has no tuner that answers (no graph yet, a capture device
    // without tuner, a radio tuner that could not be bound), and then the button is disabled and does
    // nothing: a sweep without a tuner would only clear check marks for minutes.
    void setTuner(SearchTuner* tuner);

    // Runs when a click has finished, select included.
    void setAfterSearch(std::function<void()> after) { afterSearch_ = std::move(after); }

    // TVChanSearchButtonClick, RadioSearchButtonClick.
    void click();
    // From the dialog's show to the end of the select after it.
    bool busy() const { return busy_; }
    // Asks a running search to stop after its current step.
    void cancel();

private:
    ChannelListEditor& editor_;
    QAbstractButton* button_;
    QTimer* pausedTimer_;
    SearchForm* form_ = nullptr;
    SearchTuner* tuner_ = nullptr;
    std::function<void()> afterSearch_;
    bool busy_ = false;
};
