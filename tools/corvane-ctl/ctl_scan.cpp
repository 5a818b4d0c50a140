// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_scan.h"

#include "app/settings_store.h"
#include "app/unix_signals.h"
#include "channels/channel_list_editor.h"
#include "channels/frequency_search.h"
#include "channels/headless_channel_list_view.h"
#include "ctl_channels.h"
#include "ctl_message_boxes.h"
#include "ctl_scan_device.h"
#include "ctl_settings_guard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>

#include <memory>
#include <string>

namespace {

// Never shown: Ctrl+C and SIGTERM close it, and its close only asks the sweep to stop.
class StopWindow final : public QWidget {
public:
    bool stopAsked = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        stopAsked = true;
        event->ignore();
    }
};

// The terminal as the search's dialog: a line per find, the device's messages as warnings as they come.
class TerminalProgress final : public SearchProgress {
public:
    TerminalProgress(std::FILE* out, std::FILE* err, CtlMessageBoxes& boxes, const StopWindow& stop)
        : out_(out), err_(err), boxes_(boxes), stop_(stop) {}

    void showFrequency(std::int32_t) override {}
    void showCounts(const SearchCounts&) override {}
    void found(const SearchFind& find) override {
        std::fprintf(out_, "find %d %s %s %s\n", static_cast<int>(find.freq), find.added ? "new" : "updated",
                     find.signal ? "signal" : "no-signal", OneLineName(find.name).c_str());
        std::fflush(out_);
    }
    bool processPending() override {
        boxes_.flush(err_, false);
        QCoreApplication::processEvents();
        return !stop_.stopAsked;
    }

private:
    std::FILE* out_;
    std::FILE* err_;
    CtlMessageBoxes& boxes_;
    const StopWindow& stop_;
};

} // namespace

int ScanChannels(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err,
                 const std::filesystem::path& registry) {
    const std::unique_ptr<InstanceLock> held = HoldSettingsForChange(registry, err);
    if (!held) {
        return 1;
    }
    const bool tv = args.band == CtlArguments::Band::Tv;
    CtlMessageBoxes boxes;
    // The program's own editor loads and saves the list, so it is read and written exactly as there.
    HeadlessChannelListView view;
    ChannelListEditor editor(tv ? kTVChannelList : kRadioStationList, view, nullptr, clock);
    SettingsTargets targets;
    (tv ? targets.tvChannels : targets.radioStations) = &editor;
    if (!LoadSettings(targets, registry, &clock)) {
        std::fprintf(err, "error: %s is held by another program\n", registry.c_str());
        return 1;
    }
    std::unique_ptr<ScanDevice> device = OpenScanDevice(args.band, registry, clock, boxes, err);
    if (!device) {
        return 1;
    }
    // Whatever was said while opening the devices did not stop them.
    boxes.flush(err, false);

    FrequencySearchParameters parameters = tv ? kTVSearch : kRadioSearch;
    if (args.settleMs) {
        parameters.settleMs = *args.settleMs;
    }
    StopWindow stop;
    CloseWindowOnTerminationSignals(&stop);
    TerminalProgress progress(out, err, boxes, stop);
    FrequencySearch search(parameters, device->tuner(), clock, progress);
    const SearchResult result = search.run(editor.list()).value_or(SearchResult{});
    const SearchCounts& counts = result.counts;
    // A tuner failure ended the sweep: its box is the error, and what was found before it is still saved.
    const bool failed = FAILED(result.error);
    boxes.flush(err, failed);
    device.reset();

    SettingsTargets saved;
    (tv ? saved.tvChannels : saved.radioStations) = &editor;
    if (!SaveSettings(saved, registry, &clock)) {
        std::fprintf(err, "error: the list could not be saved to %s\n", registry.c_str());
        return 1;
    }
    std::fprintf(out, "updated %d, new %d, incorrect %d\n", counts.updated, counts.added, counts.incorrect);
    std::fflush(out);
    return failed ? 1 : 0;
}
