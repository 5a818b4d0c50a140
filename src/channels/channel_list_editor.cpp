// SPDX-License-Identifier: GPL-2.0-or-later
#include "channel_list_editor.h"

#include "components/mixer_presets.h"
#include "frequency_text.h"
#include "platform/win/clock.h"

#include <algorithm>
#include <limits>

namespace {

std::int32_t SaturatingAdd(std::int32_t value, std::int64_t delta) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value + delta, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

ChannelListEditor::ChannelListEditor(const ChannelListKind& kind, ChannelListView& view,
                                     MixerPresets* presets, Clock& clock, QLocale locale)
    : kind_(kind), view_(view), presets_(presets), clock_(clock), locale_(std::move(locale)) {}

void ChannelListEditor::tune(ChannelEntry& entry) {
    entry.freq = std::clamp(entry.freq, kind_.minFreq, kind_.maxFreq);
    view_.setFrequencyText(FormatFrequencyMHz(entry.freq, locale_));
    if (!tuner_) {
        return;
    }
    tuner_->TuneFrequency(entry.freq);
    clock_.Sleep(kTunerSettleMs);
    // A read that failed (and said so) shows 0, the offset the tuner object answers then.
    std::int32_t offset = 0;
    if (FAILED(tuner_->ReadTunerOffset(&offset))) {
        offset = 0;
    }
    view_.setTunningText(QString::asprintf("Fine tunning: %+d", offset));
}

void ChannelListEditor::select() {
    ChannelEntry* entry = list_.selectedEntry();
    if (!entry) {
        view_.setDescriptionText(QString());
        return;
    }
    // Copies: setting the texts may run the description edit's handler, which writes the name back.
    const QString name = entry->name;
    view_.setNameShowText(name);
    view_.setDescriptionText(name);
    if (kind_.hasPicture) {
        view_.selectStandard(entry->palSecam);
        view_.showPicture(*entry);
    }
    if (!view_.isPageVisible()) {
        return;
    }
    MuteAndSettle(presets_, clock_, kind_.mutePreset);
    // The picture sliders' handlers may have touched the list; look the entry up again.
    if (ChannelEntry* tuned = list_.selectedEntry()) {
        tune(*tuned);
    }
    if (kind_.hasPicture) {
        standardChange();
    }
    if (presets_) {
        presets_->ActionPreset(kind_.unmutePreset);
    }
    if (afterTune_ && list_.selectedEntry()) {
        afterTune_(list_.selectedIndex());
    }
}

void ChannelListEditor::selectIndex(int index) {
    list_.select(index);
    view_.showSelection(list_.selectedIndex());
}

void ChannelListEditor::step(StepDirection direction) {
    const int target = list_.stepTarget(direction);
    if (target < 0) {
        return;
    }
    selectIndex(target);
    select();
}

void ChannelListEditor::nameEditChange(const QString& text) {
    ChannelEntry* entry = list_.selectedEntry();
    if (!entry) {
        return;
    }
    entry->name = text;
    view_.showEntryName(list_.selectedIndex(), text);
    view_.setNameShowText(text);
}

void ChannelListEditor::freqEditExit() {
    ChannelEntry* entry = list_.selectedEntry();
    if (!entry) {
        return;
    }
    if (const auto typed = ParseFrequencyMHz(view_.frequencyText(), locale_)) {
        entry->freq = *typed;
    }
    tune(*entry);
}

void ChannelListEditor::freqEditKeyDown(int key) {
    if (key == kEnterKey) {
        freqEditExit();
    }
}

void ChannelListEditor::freqUpDownChangingEx(StepDirection direction) {
    ChannelEntry* entry = list_.selectedEntry();
    if (!entry || direction == StepDirection::None) {
        return;
    }
    entry->freq =
        SaturatingAdd(entry->freq, direction == StepDirection::Up ? kind_.freqStep : -kind_.freqStep);
    tune(*entry);
}

void ChannelListEditor::standardChange() {
    const std::int32_t standard = view_.selectedStandard().value_or(kStandardWhenNoneSelected);
    if (ChannelEntry* entry = list_.selectedEntry(); entry && kind_.hasPicture) {
        entry->palSecam = standard;
    }
    if (tuner_) {
        tuner_->SetVideoStandard(standard);
    }
}

void ChannelListEditor::addEntry() {
    const ChannelEntry* selected = list_.selectedEntry();
    const std::int32_t freq = selected ? selected->freq : kDefaultChannelFrequency;
    // A new TV entry starts from the default standard and picture, not from the selected entry's.
    ChannelEntry entry = kind_.hasPicture ? ChannelEntry::MakeTV(freq, kDefaultChannelStandard)
                                          : ChannelEntry::MakeRadio(freq);
    entry.name = QString::fromUtf8(kind_.newEntryName);
    entry.enabled = false;
    list_.append(std::move(entry));
    view_.showEntries(list_);
    selectIndex(list_.count() - 1);
    select();
}

void ChannelListEditor::deleteEntry() {
    const int removed = list_.selectedIndex();
    if (removed >= 0) {
        list_.removeAt(removed);
        view_.showEntries(list_);
    }
    // The entry that moved into the removed place, or the new last one.
    selectIndex(std::min(removed, list_.count() - 1));
    select();
}

void ChannelListEditor::moveUp() {
    const int s = list_.selectedIndex();
    if (s <= 0) {
        return;
    }
    list_.swap(s - 1, s);
    list_.select(s - 1);
    view_.showEntries(list_);
    view_.showSelection(s - 1);
}

void ChannelListEditor::moveDown() {
    const int s = list_.selectedIndex();
    if (s < 0 || s >= list_.count() - 1) {
        return;
    }
    list_.swap(s, s + 1);
    list_.select(s + 1);
    view_.showEntries(list_);
    view_.showSelection(s + 1);
}

void ChannelListEditor::sortByFrequency() {
    list_.sortByFrequency();
    view_.showEntries(list_);
    view_.showSelection(list_.selectedIndex());
    select();
}

void ChannelListEditor::sortByName() {
    list_.sortByName();
    view_.showEntries(list_);
    view_.showSelection(list_.selectedIndex());
    select();
}
