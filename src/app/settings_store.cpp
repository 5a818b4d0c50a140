// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings_store.h"

#include "channels/channel_list_editor.h"
#include "components/dev_cmb_base.h"
#include "compressor_settings_store.h"
#include "platform/registry/registry.h"
#include "video_window_settings.h"

#include <QCheckBox>
#include <QComboBox>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

const std::string kBaseKey = "Software\\Pellworth\\Corvane";

// How one list is laid out below the base key.
struct ListLayout {
    const char* key;
    // Subkey N (from 1) is this prefix followed by N.
    const char* subkeyPrefix;
    // The name of entry N when its Name is stored with another type.
    const char* unreadableNamePrefix;
};
constexpr ListLayout kChannelLayout = {"\\Channels", "Channel", "Channel "};
constexpr ListLayout kStationLayout = {"\\Stations", "Station", "Station "};

// A picker restored from its name, or from its index when the name cannot be read as text.
struct PickerValues {
    const char* nameValue;
    const char* indexValue;
};
constexpr PickerValues kTVDevice = {"DeviceName", "DeviceIndex"};
// The three radio device pickers, in the order they are stored.
struct RadioPicker {
    PickerValues values;
    DevicePickerCombo* SettingsTargets::*picker;
};
constexpr std::array kRadioPickers = {
    RadioPicker{{"TunerName", "TunerIndex"}, &SettingsTargets::radioTunerDev},
    RadioPicker{{"AudioName", "AudioIndex"}, &SettingsTargets::radioAudioDev},
    RadioPicker{{"CrossbarName", "CrossbarIndex"}, &SettingsTargets::radioCrossbarDev},
};

// The TV pickers restored by their index alone.
struct IndexValue {
    const char* name;
    QComboBox* SettingsTargets::*combo;
};
constexpr std::array kTVIndexValues = {
    IndexValue{"CaptureResIndex", &SettingsTargets::tvCaptureRes},
    IndexValue{"PreviewResIndex", &SettingsTargets::tvPreviewRes},
    IndexValue{"VideoCompressIndex", &SettingsTargets::tvVideoCompression},
    IndexValue{"AudioCompressIndex", &SettingsTargets::tvAudioCompression},
};

std::string Utf8(const QString& text) {
    return text.toStdString();
}

// Selects index when the combo has it; a stored index outside the list leaves the combo's own choice.
void SelectIndex(QComboBox* combo, const std::optional<std::int32_t>& index) {
    if (combo && index && *index >= 0 && *index < combo->count()) {
        combo->setCurrentIndex(*index);
    }
}

void LoadPicker(Registry& reg, DevicePickerCombo* picker, const PickerValues& values) {
    if (!picker) {
        return;
    }
    if (const auto name = reg.ReadString(values.nameValue)) {
        picker->SetDevice(QString::fromStdString(*name));
    } else {
        SelectIndex(picker, reg.ReadInteger(values.indexValue));
    }
}

void SavePicker(Registry& reg, const DevicePickerCombo* picker, const PickerValues& values) {
    if (picker) {
        reg.WriteString(values.nameValue, Utf8(picker->GetDevice()));
        reg.WriteInteger(values.indexValue, picker->currentIndex());
    }
}

std::string SubkeyPath(const ListLayout& layout, int number) {
    return kBaseKey + layout.key + "\\" + layout.subkeyPrefix + std::to_string(number);
}

ChannelEntry LoadEntry(Registry& reg, const ListLayout& layout, int number, bool picture) {
    const auto name = reg.ReadString("Name");
    const bool enabled = reg.ReadBool("Enabled").value_or(false);
    const std::int32_t freq = reg.ReadInteger("Freq").value_or(kDefaultChannelFrequency);
    ChannelEntry entry;
    if (picture) {
        entry = ChannelEntry::MakeTV(freq, reg.ReadInteger("PalSecam").value_or(0));
        entry.brightness = reg.ReadInteger("Brightness").value_or(kPictureMiddle);
        entry.contrast = reg.ReadInteger("Contrast").value_or(kPictureMiddle);
        entry.hue = reg.ReadInteger("Hue").value_or(kPictureMiddle);
        entry.saturation = reg.ReadInteger("Saturation").value_or(kPictureMiddle);
    } else {
        entry = ChannelEntry::MakeRadio(freq);
    }
    entry.name = name ? QString::fromStdString(*name)
                      : QString::fromLatin1(layout.unreadableNamePrefix) + QString::number(number);
    entry.enabled = enabled;
    return entry;
}

void LoadList(Registry& reg, ChannelListEditor* editor, const ListLayout& layout, bool canCreate) {
    std::int32_t count = 0;
    std::int32_t lastIndex = 0;
    if (reg.OpenKey(kBaseKey + layout.key, canCreate)) {
        count = reg.ReadInteger("Count").value_or(0);
        lastIndex = reg.ReadInteger("LastIndex").value_or(0);
        const auto present = static_cast<std::int64_t>(reg.GetKeyNames().size());
        count = static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, present + kCountBeyondSubkeys));
        reg.CloseKey();
    }
    if (!editor) {
        return;
    }
    const bool picture = editor->kind().hasPicture;
    std::vector<ChannelEntry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int number = 1; number <= count; ++number) {
        if (reg.OpenKey(SubkeyPath(layout, number), canCreate)) {
            entries.push_back(LoadEntry(reg, layout, number, picture));
            reg.CloseKey();
        }
    }
    editor->list().replaceAll(std::move(entries));
    editor->showEntries();
    editor->selectIndex(lastIndex);
    editor->select();
}

void SaveList(Registry& reg, ChannelListEditor* editor, const ListLayout& layout) {
    if (!editor) {
        return;
    }
    const ChannelList& list = editor->list();
    if (reg.OpenKey(kBaseKey + layout.key, true)) {
        // A list that shrank leaves no stale subkeys, and the keys' order is always the list's.
        for (const std::string& name : reg.GetKeyNames()) {
            reg.DeleteKey(name);
        }
        reg.WriteInteger("Count", list.count());
        reg.WriteInteger("LastIndex", list.selectedIndex());
        reg.CloseKey();
    }
    const bool picture = editor->kind().hasPicture;
    for (int i = 0; i < list.count(); ++i) {
        if (!reg.OpenKey(SubkeyPath(layout, i + 1), true)) {
            continue;
        }
        const ChannelEntry& entry = list.at(i);
        reg.WriteString("Name", Utf8(entry.name));
        reg.WriteBool("Enabled", entry.enabled);
        reg.WriteInteger("Freq", entry.freq);
        if (picture) {
            reg.WriteInteger("PalSecam", entry.palSecam);
            reg.WriteInteger("Brightness", entry.brightness);
            reg.WriteInteger("Contrast", entry.contrast);
            reg.WriteInteger("Hue", entry.hue);
            reg.WriteInteger("Saturation", entry.saturation);
        }
        reg.CloseKey();
    }
}

void Complain(const std::filesystem::path& registry, const char* why) {
    std::fprintf(stderr, "corvane: the settings were not saved to %s: %s\n", registry.c_str(), why);
}

constexpr const char* kPlayCardSound = "PlayCardSound";

void LoadCheck(Registry& reg, QCheckBox* box, const char* name, bool byDefault) {
    if (box) {
        box->setChecked(reg.ReadBool(name).value_or(byDefault));
    }
}

void SaveCheck(Registry& reg, const QCheckBox* box, const char* name) {
    if (box) {
        reg.WriteBool(name, box->isChecked());
    }
}

} // namespace

bool LoadSettings(const SettingsTargets& targets, const std::filesystem::path& registry, Clock* clock) {
    Registry reg(registry, clock);
    // Loading creates missing keys; one transaction keeps that to a single write. While another program
    // holds the file for writing nothing is created, and what is there is still read.
    const bool canCreate = reg.BeginTransaction();
    if (reg.OpenKey(kBaseKey + "\\TV", canCreate)) {
        LoadPicker(reg, targets.tvVideoCaptureDev, kTVDevice);
        for (const IndexValue& value : kTVIndexValues) {
            SelectIndex(targets.*value.combo, reg.ReadInteger(value.name));
        }
        LoadCheck(reg, targets.tvCardSound, kPlayCardSound, true);
        reg.CloseKey();
    }
    LoadList(reg, targets.tvChannels, kChannelLayout, canCreate);
    if (reg.OpenKey(kBaseKey + "\\Radio", canCreate)) {
        for (const RadioPicker& radio : kRadioPickers) {
            LoadPicker(reg, targets.*radio.picker, radio.values);
        }
        if (targets.exitInputPin) {
            *targets.exitInputPin = reg.ReadInteger("ExitAudioSource").value_or(-1);
        }
        LoadCheck(reg, targets.radioCardSound, kPlayCardSound, true);
        reg.CloseKey();
    } else if (targets.exitInputPin) {
        *targets.exitInputPin = -1;
    }
    LoadList(reg, targets.radioStations, kStationLayout, canCreate);
    LoadVideoWindowChoices(reg, kBaseKey, targets.videoWindow, canCreate);
    LoadCompressorOptions(reg, kBaseKey, targets.compressors, canCreate);
    if (canCreate) {
        reg.Commit();
    }
    if (!reg.readEverything()) {
        std::fprintf(
            stderr,
            "corvane: %s is held by another program; the settings that could not be read stay in it, "
            "and this session will not save over them\n",
            registry.c_str());
        return false;
    }
    return true;
}

bool SaveSettings(const SettingsTargets& targets, const std::filesystem::path& registry, Clock* clock,
                  bool loadedEverything) {
    // What could not be read at start is still in the file; saving the lists as they are now would
    // replace it with defaults.
    if (!loadedEverything) {
        Complain(registry, "another program held the file at start, so not all of them were read");
        return false;
    }
    Registry reg(registry, clock);
    // A crash or a full disk never leaves half a save: the old settings stay until the commit. When the
    // transaction cannot start (the file is held by another writer past the wait, or read-only) nothing is
    // saved; writing value by value would wait for the lock once per value and could leave half a save.
    if (!reg.BeginTransaction()) {
        Complain(registry, reg.wasLocked() || reg.isOpen()
                               ? "another program holds the file, or it is read-only"
                               : "the file cannot be opened");
        return false;
    }
    if (reg.OpenKey(kBaseKey + "\\TV", true)) {
        SavePicker(reg, targets.tvVideoCaptureDev, kTVDevice);
        for (const IndexValue& value : kTVIndexValues) {
            if (const QComboBox* combo = targets.*value.combo) {
                reg.WriteInteger(value.name, combo->currentIndex());
            }
        }
        SaveCheck(reg, targets.tvCardSound, kPlayCardSound);
        reg.CloseKey();
    }
    SaveList(reg, targets.tvChannels, kChannelLayout);
    if (reg.OpenKey(kBaseKey + "\\Radio", true)) {
        for (const RadioPicker& radio : kRadioPickers) {
            SavePicker(reg, targets.*radio.picker, radio.values);
        }
        if (targets.exitInputPin) {
            reg.WriteInteger("ExitAudioSource", *targets.exitInputPin);
        }
        SaveCheck(reg, targets.radioCardSound, kPlayCardSound);
        reg.CloseKey();
    }
    SaveList(reg, targets.radioStations, kStationLayout);
    SaveVideoWindowChoices(reg, kBaseKey, targets.videoWindow);
    SaveCompressorOptions(reg, kBaseKey, targets.compressors);
    if (!reg.Commit()) {
        Complain(registry, "another program holds the file, or the disk is full");
        return false;
    }
    return true;
}
