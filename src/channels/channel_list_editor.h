#pragma once
// Every editing rule of a channel list, for either list: the kind table says what differs. The operations
// are the list's handlers; the TV and radio facades below give them the names their controls use.

#include "channel_list.h"
#include "channel_list_kind.h"
#include "channel_list_view.h"
#include "channel_tuner.h"

#include <QLocale>

#include <functional>

class Clock;
class MixerPresets;

// Key code of the Enter key in the frequency edit.
constexpr int kEnterKey = 13;

class ChannelListEditor {
public:
    // presets may be null (no mixer plug-in): the presets are then skipped, the waits are kept.
    ChannelListEditor(const ChannelListKind& kind, ChannelListView& view, MixerPresets* presets, Clock& clock,
                      QLocale locale = QLocale());

    const ChannelListKind& kind() const { return kind_; }
    const ChannelList& list() const { return list_; }
    // Entries and check marks edited outside the handlers (loading, the user's check marks); call
    // showEntries afterwards when the number or order of entries changed.
    ChannelList& list() { return list_; }
    void showEntries() { view_.showEntries(list_); }

    // The device to tune; null until the page's graph exists and after it is freed.
    void setTuner(ChannelTuner* tuner) { tuner_ = tuner; }
    ChannelTuner* tuner() const { return tuner_; }

    // Selection changed: show the entry and, on the visible page, tune it between the mute presets.
    void select();
    // Told the index of every entry select tuned, once it is tuned (the TV page's on-screen display).
    void setAfterTune(std::function<void(int index)> afterTune) { afterTune_ = std::move(afterTune); }
    void selectIndex(int index);
    void step(StepDirection direction);
    void nameEditChange(const QString& text);
    void freqEditExit();
    void freqEditKeyDown(int key);
    void freqUpDownChangingEx(StepDirection direction);
    void standardChange();
    void addEntry();
    void deleteEntry();
    void moveUp();
    void moveDown();
    void sortByFrequency();
    void sortByName();

    // Clamps the entry's frequency into the band, shows it, and tunes the device when there is one.
    void tune(ChannelEntry& entry);

private:
    const ChannelListKind& kind_;
    ChannelListView& view_;
    MixerPresets* presets_;
    Clock& clock_;
    QLocale locale_;
    ChannelTuner* tuner_ = nullptr;
    ChannelList list_;
    std::function<void(int)> afterTune_;
};

// The TV channel list under its handler names.
class TVChannelList final : public ChannelListEditor {
public:
    TVChannelList(ChannelListView& view, MixerPresets* presets, Clock& clock, QLocale locale = QLocale())
        : ChannelListEditor(kTVChannelList, view, presets, clock, locale) {}

    void TVChanCheckListBoxClick() { select(); }
    void TVChanUpDownChangingEx(StepDirection direction) { step(direction); }
    void TVChanNameEditChange(const QString& text) { nameEditChange(text); }
    void TVChanFreqEditExit() { freqEditExit(); }
    void TVChanFreqEditKeyDown(int key) { freqEditKeyDown(key); }
    void TVChanFreqUpDownChangingEx(StepDirection direction) { freqUpDownChangingEx(direction); }
    void TVChanPalSecamComboBoxChange() { standardChange(); }
    void TVAddChanButtonClick() { addEntry(); }
    void TVDelChanButtonClick() { deleteEntry(); }
    void TVChanUpButtonClick() { moveUp(); }
    void TVChanDownButtonClick() { moveDown(); }
    void TVChanSortFreqButtonClick() { sortByFrequency(); }
    void TVChanSortNameButtonClick() { sortByName(); }
};

// The radio station list under its handler names.
class RadioStationList final : public ChannelListEditor {
public:
    RadioStationList(ChannelListView& view, MixerPresets* presets, Clock& clock, QLocale locale = QLocale())
        : ChannelListEditor(kRadioStationList, view, presets, clock, locale) {}

    void RadioCheckListBoxClick() { select(); }
    void RadioUpDownChangingEx(StepDirection direction) { step(direction); }
    void RadioNameEditChange(const QString& text) { nameEditChange(text); }
    void RadioFreqEditExit() { freqEditExit(); }
    void RadioFreqEditKeyDown(int key) { freqEditKeyDown(key); }
    void RadioFreqUpDownChangingEx(StepDirection direction) { freqUpDownChangingEx(direction); }
    void RadioAddButtonClick() { addEntry(); }
    void RadioDelButtonClick() { deleteEntry(); }
    void RadioUpButtonClick() { moveUp(); }
    void RadioDownButtonClick() { moveDown(); }
    void RadioSortFreqButtonClick() { sortByFrequency(); }
    void RadioSordDescButtonClick() { sortByName(); }
};
