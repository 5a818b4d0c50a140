// SPDX-License-Identifier: GPL-2.0-or-later
#include "tv_sweep.h"

#include "channels/frequency_search.h"

namespace {

class SilentProgress final : public SearchProgress {
public:
    void showFrequency(std::int32_t) override {}
    void showCounts(const SearchCounts&) override {}
    bool processPending() override { return true; }
};

} // namespace

std::vector<std::pair<std::int32_t, bool>> SweepTvBand(SearchTuner& tuner, Clock& clock) {
    SilentProgress progress;
    ChannelList list;
    FrequencySearch search(kTVSearch, tuner, clock, progress);
    search.run(list);
    std::vector<std::pair<std::int32_t, bool>> found;
    for (const ChannelEntry& entry : list.entries()) {
        found.emplace_back(entry.freq, entry.enabled);
    }
    return found;
}
