// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A channel list view, tuner and mixer that write what happens to them into one log, so tests can check the
// order of presets, waits and tuning.

#include "channels/channel_list_view.h"
#include "channels/channel_tuner.h"
#include "components/mixer_presets.h"
#include "platform/win/clock.h"

#include <string>
#include <vector>

struct EventLog {
    std::vector<std::string> events;
    void add(std::string event) { events.push_back(std::move(event)); }
};

class RecordingChannelView final : public ChannelListView {
public:
    explicit RecordingChannelView(EventLog& log) : log_(log) {}

    void showEntries(const ChannelList& list) override { shownCount = list.count(); }
    void showEntryName(int, const QString&) override {}
    void showSelection(int index) override { shownSelection = index; }
    void setDescriptionText(const QString& text) override { description = text; }
    void setNameShowText(const QString& text) override { nameShow = text; }
    QString frequencyText() const override { return freqText; }
    void setFrequencyText(const QString& text) override { freqText = text; }
    void setTunningText(const QString& text) override { tunning = text; }
    bool isPageVisible() const override { return visible; }
    void selectStandard(std::int32_t value) override {
        const auto row = AnalogVideoStandardRow(value);
        standard = row ? std::optional<std::int32_t>(value) : std::nullopt;
    }
    std::optional<std::int32_t> selectedStandard() const override { return standard; }
    void showPicture(const ChannelEntry& entry) override {
        log_.add("picture " + std::to_string(entry.brightness));
    }

    bool visible = false;
    int shownCount = 0;
    int shownSelection = -1;
    QString description, nameShow, freqText, tunning;
    std::optional<std::int32_t> standard;

private:
    EventLog& log_;
};

class RecordingTuner final : public ChannelTuner {
public:
    explicit RecordingTuner(EventLog& log) : log_(log) {}
    HRESULT TuneFrequency(std::int32_t hz) override {
        log_.add("tune " + std::to_string(hz));
        return S_OK;
    }
    HRESULT ReadTunerOffset(std::int32_t* offset) override {
        *offset = offset_;
        return S_OK;
    }
    HRESULT SetVideoStandard(std::int32_t standard) override {
        log_.add("standard " + std::to_string(standard));
        return S_OK;
    }
    std::int32_t offset_ = -3;

private:
    EventLog& log_;
};

class RecordingPresets final : public MixerPresets {
public:
    explicit RecordingPresets(EventLog& log) : log_(log) {}
    void ActionPreset(const char* name) override { log_.add(name); }
    void ActionSetup(const char* name) override { log_.add(std::string("setup ") + name); }

private:
    EventLog& log_;
};

// Sleeps land in the same log as everything else.
class LoggingClock final : public Clock {
public:
    explicit LoggingClock(EventLog& log) : log_(log) {}
    void Sleep(std::uint32_t ms) override { log_.add("sleep " + std::to_string(ms)); }
    std::uint32_t timeGetTime() const override { return 0; }

private:
    EventLog& log_;
};
