// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The automatic search that sweeps a tuner across its band and fills a channel list. The detector does not
// measure signal strength: it watches the tuner's fine-tuning offset and takes the step where it turns from
// zero or positive to negative as a carrier. The TV and the radio search are this one loop with the two
// parameter sets below; the dialogs and the command line drive it through SearchTuner and SearchProgress.

#include "channel_list.h"
#include "search_tuner.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class Clock;

struct FrequencySearchParameters {
    std::int32_t firstFreq;
    // Tried when a step lands on it exactly.
    std::int32_t lastFreq;
    std::int32_t step;
    // Wait between tuning and reading the offset.
    std::uint32_t settleMs;
    // An entry closer than this (strictly) to a find is snapped onto it.
    std::int32_t matchWindow;
    // Skipped past a find, so the carrier's own slope is not found again.
    std::int32_t jump;
    // Whether a find asks the tuner for its picture lock; without, every find has signal.
    bool asksSignal;
    // printf formats of a new entry's name, filled with the find in MHz.
    const char* nameWithSignal;
    const char* nameWithoutSignal;
    // New entries carry a video standard and picture values (TV) or not (radio).
    bool hasPicture;
};

extern const FrequencySearchParameters kTVSearch;
extern const FrequencySearchParameters kRadioSearch;

struct SearchCounts {
    int updated = 0;
    int added = 0;
    // Entries present at the start that no find with signal has confirmed yet.
    int incorrect = 0;

    friend bool operator==(const SearchCounts&, const SearchCounts&) = default;
};

struct SearchFind {
    std::int32_t freq = 0;
    // Index of the entry snapped or appended.
    int index = -1;
    bool added = false;
    bool signal = false;
    QString name;
};

// Where the sweep reports and learns whether to go on; a dialog or a terminal.
class SearchProgress {
public:
    virtual ~SearchProgress() = default;
    virtual void showFrequency(std::int32_t hz) = 0;
    virtual void showCounts(const SearchCounts& counts) = 0;
    virtual void found(const SearchFind&) {}
    // Lets pending events be handled (a dialog redraws, a click on Cancel is seen). False once the user has
    // asked to stop: the sweep then ends after the step it is on.
    virtual bool processPending() = 0;
};

struct SearchResult {
    SearchCounts counts;
    // Ended before the band's end: asked to stop, or a tuner failure (error).
    bool cancelled = false;
    // The failure of the tuner that ended the sweep; S_OK otherwise. The device has shown it already.
    HRESULT error = S_OK;
};

class FrequencySearch {
public:
    FrequencySearch(const FrequencySearchParameters& parameters, SearchTuner& tuner, Clock& clock,
                    SearchProgress& progress);

    // One whole sweep over list. Nothing when a sweep is already running (the caller was re-entered from
    // processPending): a second run would retune under the first one's feet. Entries lose their check mark
    // only once the sweep has tried their frequency (or at the band's end), so a sweep that stops early
    // leaves the entries above the last frequency tried as they were.
    std::optional<SearchResult> run(ChannelList& list);
    bool running() const { return running_; }

private:
    void onFind(ChannelList& list, std::int32_t found, SearchCounts& counts);
    // A carrier heard by its signal from first to last (see SearchSignal): the find is the middle between
    // them on the sweep's grid, tuned again so that its lock is asked there.
    void onSignalFind(ChannelList& list, std::int64_t first, std::int64_t last, SearchCounts& counts);
    // Clears the check marks of the entries present at the start, not matched by a find, at or below hz.
    void uncheckReached(ChannelList& list, std::int64_t hz);

    FrequencySearchParameters parameters_;
    SearchTuner& tuner_;
    Clock& clock_;
    SearchProgress& progress_;
    bool running_ = false;
    // Per entry of the running sweep: already snapped to a find (or added by one), so never matched again.
    std::vector<bool> matched_;
    // The entries present at the start, by frequency, and how many of them the sweep has reached.
    std::vector<int> byFrequency_;
    std::size_t reached_ = 0;
};

// "found channel 175.25 MHz": the format filled with hz in MHz as printf does it, with a point.
QString SearchEntryName(const char* format, std::int32_t hz);
