// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the program remembers between runs: the TV capture setup, the TV channel list, the radio devices and
// the radio station list, under the registry key "Software\Pellworth\Corvane". Read once while the main
// window is made, written once (in one transaction) when it closes. A value that cannot be read keeps its
// default, one that cannot be written is skipped. A file that another program holds is waited for; a save
// that still cannot run, or would replace settings that could not be read, writes nothing and says so on
// standard error, so the stored settings are never replaced by defaults.

#include "platform/registry/registry_path.h"

#include <cstdint>
#include <filesystem>

class ChannelListEditor;
class CompressorOptions;
class Clock;
class DevicePickerCombo;
class QCheckBox;
class QComboBox;
struct VideoWindowChoices;

// The main window's controls and state that the settings fill and come from.
struct SettingsTargets {
    DevicePickerCombo* tvVideoCaptureDev = nullptr; // TVVideoCaptureDevCombo
    QComboBox* tvCaptureRes = nullptr;              // TVCapResCombo
    QComboBox* tvPreviewRes = nullptr;              // TVPrvResCombo
    QComboBox* tvVideoCompression = nullptr;        // TVVideoCompression
    QComboBox* tvAudioCompression = nullptr;        // TVAudioCompression
    ChannelListEditor* tvChannels = nullptr;        // TVChanCheckListBox
    DevicePickerCombo* radioTunerDev = nullptr;     // RadioTunerDevCombo
    DevicePickerCombo* radioAudioDev = nullptr;     // RadioAudioDevCombo
    DevicePickerCombo* radioCrossbarDev = nullptr;  // RadioCrossbarDevCombo
    ChannelListEditor* radioStations = nullptr;     // RadioCheckListBox
    std::int32_t* exitInputPin = nullptr;
    VideoWindowChoices* videoWindow = nullptr; // the video window's Deinterlace and Aspect
    // "Play card sound" of each page: PlayCardSound in the TV and Radio keys, on when never stored.
    QCheckBox* tvCardSound = nullptr;
    QCheckBox* radioCardSound = nullptr;
    // The settings stored per compressor (TV\Compressors).
    CompressorOptions* compressors = nullptr;
};

// A stored Count never makes more entries than the list key has subkeys plus this many. Within it a Count
// beyond the subkeys gives blank entries, as it always has; a damaged or hostile Count (2147483647) cannot
// make the start hang or run out of memory.
inline constexpr std::int32_t kCountBeyondSubkeys = 16;

// Waits on clock (real time when null) for a file held by another program. False when the file stayed
// locked and not everything stored in it could be read.
bool LoadSettings(const SettingsTargets& targets,
                  const std::filesystem::path& registry = DefaultRegistryPath(), Clock* clock = nullptr);
// Only the targets given are written, so a command that changed one list saves it without touching the
// rest. loadedEverything is what LoadSettings returned: when it was false nothing is written. False when
// nothing was saved.
bool SaveSettings(const SettingsTargets& targets,
                  const std::filesystem::path& registry = DefaultRegistryPath(), Clock* clock = nullptr,
                  bool loadedEverything = true);
