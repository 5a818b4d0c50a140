// SPDX-License-Identifier: GPL-2.0-or-later
#include "frequency_search.h"

#include "platform/win/clock.h"
#include "search_signal.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <vector>

const FrequencySearchParameters kTVSearch = {
    .firstFreq = 40000000,
    .lastFreq = 800000000,
    .step = 50000,
    .settleMs = 50,
    .matchWindow = 2000000,
    .jump = 2000000,
    .asksSignal = true,
    .nameWithSignal = "found channel %.2lf MHz",
    .nameWithoutSignal = "something found %.2lf MHz",
    .hasPicture = true,
};

const FrequencySearchParameters kRadioSearch = {
    .firstFreq = 88000000,
    .lastFreq = 108000000,
    .step = 50000,
    .settleMs = 100,
    .matchWindow = 200000,
    .jump = 300000,
    .asksSignal = false,
    .nameWithSignal = "found station %.2lf MHz",
    .nameWithoutSignal = "found station %.2lf MHz",
    .hasPicture = false,
};

namespace {

// Above any real offset: a negative reading at the first frequency counts as a carrier just below it.
constexpr std::int32_t kNoPreviousOffset = 1000;
// Half the signal range: a carrier is heard from the step its signal reaches this to the step it drops below.
constexpr std::int32_t kHalfSignal = 50;
constexpr std::int64_t kNoRise = -1;

// Restores the running flag however the sweep ends.
class RunningScope {
public:
    explicit RunningScope(bool& running) : running_(running) { running_ = true; }
    ~RunningScope() { running_ = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& running_;
};

} // namespace

QString SearchEntryName(const char* format, std::int32_t hz) {
    // asprintf formats numbers in the C locale, so the separator is a point whatever the user's locale.
    return QString::asprintf(format, static_cast<double>(hz) * 0.000001);
}

FrequencySearch::FrequencySearch(const FrequencySearchParameters& parameters, SearchTuner& tuner,
                                 Clock& clock, SearchProgress& progress)
    : parameters_(parameters), tuner_(tuner), clock_(clock), progress_(progress) {}

std::optional<SearchResult> FrequencySearch::run(ChannelList& list) {
    if (running_) {
        return std::nullopt;
    }
    RunningScope scope(running_);
    SearchResult result;
    // A click on Cancel while the dialog is being drawn is seen after the first step, like any other.
    bool stop = !progress_.processPending();

    result.counts.incorrect = list.count();
    progress_.showCounts(result.counts);
    matched_.assign(static_cast<std::size_t>(list.count()), false);
    byFrequency_.resize(static_cast<std::size_t>(list.count()));
    std::iota(byFrequency_.begin(), byFrequency_.end(), 0);
    std::stable_sort(byFrequency_.begin(), byFrequency_.end(),
                     [&list](int a, int b) { return list.at(a).freq < list.at(b).freq; });
    reached_ = 0;

    std::int32_t previous = kNoPreviousOffset;
    // Searching by signal is for tuners that report no offset; the first offset ends it for the sweep.
    SearchSignal* const meter = dynamic_cast<SearchSignal*>(&tuner_);
    bool sawOffset = false;
    // The first step of a carrier heard by its signal, kNoRise outside one.
    std::int64_t riseAt = kNoRise;
    std::int64_t lastStrong = 0;
    // Wide enough that a jump past the last frequency cannot wrap.
    std::int64_t f = parameters_.firstFreq;
    while (f <= parameters_.lastFreq) {
        const auto tuned = static_cast<std::int32_t>(f);
        progress_.showFrequency(tuned);
        HRESULT hr = tuner_.TuneFrequency(tuned);
        clock_.Sleep(parameters_.settleMs);
        std::int32_t offset = 0;
        if (SUCCEEDED(hr)) {
            hr = tuner_.ReadTunerOffset(&offset);
        }
        // The device has shown its failure once; going on would show it again at every step, so the sweep
        // ends as a cancel does, and this frequency counts as not tried.
        if (FAILED(hr)) {
            result.cancelled = true;
            result.error = hr;
            break;
        }
        if (offset != 0) {
            sawOffset = true;
            riseAt = kNoRise;
        }
        const std::int64_t tried = f;
        if (offset < 0 && previous >= 0) {
            const std::int64_t found = f - parameters_.step;
            onFind(list, static_cast<std::int32_t>(found), result.counts);
            f += parameters_.jump;
        }
        previous = offset;
        std::int32_t strength = 0;
        if (meter && !sawOffset && meter->ReadSignalStrength(&strength)) {
            if (strength >= kHalfSignal) {
                if (riseAt == kNoRise) {
                    riseAt = f;
                }
                lastStrong = f;
            } else if (riseAt != kNoRise) {
                onSignalFind(list, riseAt, lastStrong, result.counts);
                riseAt = kNoRise;
            }
        }
        uncheckReached(list, tried);
        if (!progress_.processPending()) {
            stop = true;
        }
        if (stop) {
            result.cancelled = true;
            break;
        }
        f += parameters_.step;
    }
    // A carrier still heard at the end of the band ends there.
    if (!result.cancelled) {
        if (riseAt != kNoRise) {
            onSignalFind(list, riseAt, lastStrong, result.counts);
        }
        // A whole sweep leaves only what it confirmed checked, entries beyond the band included.
        uncheckReached(list, std::numeric_limits<std::int64_t>::max());
    }
    matched_.clear();
    byFrequency_.clear();
    return result;
}

void FrequencySearch::uncheckReached(ChannelList& list, std::int64_t hz) {
    while (reached_ < byFrequency_.size()) {
        const auto index = static_cast<std::size_t>(byFrequency_[reached_]);
        ChannelEntry& entry = list.at(static_cast<int>(index));
        if (entry.freq > hz && !matched_[index]) {
            return;
        }
        if (!matched_[index]) {
            entry.enabled = false;
        }
        ++reached_;
    }
}

void FrequencySearch::onSignalFind(ChannelList& list, std::int64_t first, std::int64_t last,
                                   SearchCounts& counts) {
    const std::int64_t half = (last - first) / 2;
    const auto found = static_cast<std::int32_t>(first + half - half % parameters_.step);
    tuner_.TuneFrequency(found);
    clock_.Sleep(parameters_.settleMs);
    onFind(list, found, counts);
}

void FrequencySearch::onFind(ChannelList& list, std::int32_t found, SearchCounts& counts) {
    SearchFind find;
    find.freq = found;
    find.signal = !parameters_.asksSignal || tuner_.IsSignalLocked();
    for (int i = 0; i < list.count(); ++i) {
        ChannelEntry& entry = list.at(i);
        const std::int64_t distance = std::llabs(static_cast<std::int64_t>(entry.freq) - found);
        if (matched_[static_cast<std::size_t>(i)] || distance >= parameters_.matchWindow) {
            continue;
        }
        matched_[static_cast<std::size_t>(i)] = true;
        entry.freq = found;
        ++counts.updated;
        if (find.signal) {
            --counts.incorrect;
        }
        entry.enabled = find.signal;
        find.index = i;
        find.name = entry.name;
        progress_.showCounts(counts);
        progress_.found(find);
        return;
    }

    ++counts.added;
    ChannelEntry entry = parameters_.hasPicture ? ChannelEntry::MakeTV(found, kDefaultChannelStandard)
                                                : ChannelEntry::MakeRadio(found);
    entry.name =
        SearchEntryName(find.signal ? parameters_.nameWithSignal : parameters_.nameWithoutSignal, found);
    entry.enabled = find.signal;
    find.added = true;
    find.index = list.count();
    find.name = entry.name;
    list.append(std::move(entry));
    matched_.push_back(true);
    progress_.showCounts(counts);
    progress_.found(find);
}
