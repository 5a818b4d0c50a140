// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The two frequency search dialogs, created hidden at start. Shown modally by a list's "Search..." button,
// a dialog runs one sweep as soon as it is on screen, shows where the sweep is and what it has found, and
// closes itself when the sweep ends. Cancel stops the sweep after the step it is on, keeping what was done.

#include "frequency_search.h"

#include <QDialog>

#include <functional>
#include <optional>

class Clock;
class QLabel;
class QPushButton;

class SearchForm : public QDialog, public SearchProgress {
    Q_OBJECT
public:
    QLabel* FreqLabel = nullptr;
    QLabel* UpdLabel = nullptr;
    QLabel* AddLabel = nullptr;
    QLabel* BadLabel = nullptr;
    QPushButton* CancelButton = nullptr;

    // Shows the dialog modally and sweeps tuner over list; returns once the dialog has closed. Nothing when
    // a sweep is already running: the button that asks again is inside the first sweep's event handling.
    // listChanged, when given, runs once the check marks are cleared and after every find, so the list
    // behind the dialog shows what the sweep does.
    std::optional<SearchResult> ShowModal(SearchTuner& tuner, ChannelList& list,
                                          std::function<void()> listChanged = {});
    bool running() const { return search_.has_value() && search_->running(); }

    // Runs the sweep the dialog was shown for, once; later activations (the user switching back to the
    // program) find it started and do nothing.
    void FormActivate();
    // Only asks the sweep to stop; the dialog closes when the sweep has ended.
    void CancelButtonClick();

    // SearchProgress
    void showFrequency(std::int32_t hz) override;
    void showCounts(const SearchCounts& counts) override;
    void found(const SearchFind& find) override;
    bool processPending() override;

protected:
    SearchForm(const QString& objectName, const FrequencySearchParameters& parameters, Clock& clock,
               QWidget* parent);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape presses Cancel.
    void reject() override;

private:
    const FrequencySearchParameters& parameters_;
    Clock& clock_;
    bool cancel_ = false;
    // Set by ShowModal, taken by the activation that starts the sweep.
    SearchTuner* tuner_ = nullptr;
    ChannelList* list_ = nullptr;
    std::function<void()> listChanged_;
    // The first step of a run shows the list with its check marks cleared.
    bool clearedShown_ = false;
    std::optional<FrequencySearch> search_;
    std::optional<SearchResult> result_;
};

class TTVSearchForm final : public SearchForm {
    Q_OBJECT
public:
    explicit TTVSearchForm(Clock& clock, QWidget* parent = nullptr);
};

class TRadioSearchForm final : public SearchForm {
    Q_OBJECT
public:
    explicit TRadioSearchForm(Clock& clock, QWidget* parent = nullptr);
};
