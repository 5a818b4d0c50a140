// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "Features" list of the "Setup" sheet: every settings dialog the current capture devices offer, in a
// fixed order, and what opening each does to the running graph. The dialogs are the devices' own; nothing
// chosen in them is stored by the program.

#include <array>
#include <cstddef>
#include <vector>

class PropertyFrames;
class TTunerTools;

enum class DeviceProperty {
    VideoFormat,
    VideoSource,
    VideoDisplay,
    TvTuner,
    VideoCrossbar,
    SecondCrossbar,
    VideoCaptureFilter,
    VideoCapturePin,
    VideoPreviewPin,
    TvAudio,
    AudioCaptureFilter,
    AudioCapturePin,
};
inline constexpr std::size_t kDevicePropertyCount = 12;

// "Video Format...", "TV Tuner...", ...
const char* DevicePropertyText(DeviceProperty entry);
// Whether opening the entry stops the graph (and may take it apart): the driver dialogs and the pin formats.
bool DevicePropertyStopsGraph(DeviceProperty entry);

class DevicePropertyPages {
public:
    DevicePropertyPages(TTunerTools& tools, PropertyFrames& frames) : tools_(tools), frames_(frames) {}

    bool Offers(DeviceProperty entry);
    // The entries offered now, in the list's order.
    std::vector<DeviceProperty> Offered();
    // Opens the entry's dialog, stopping, rebuilding and restarting the preview around it as the dialog
    // needs. Does nothing when the object it belongs to is missing.
    void Show(DeviceProperty entry);

private:
    void ShowDriverDialog(int dialog);
    void ShowVideoFormat();
    void ShowVideoCapturePin();
    void ShowVideoPreviewPin();
    void ShowAudioCapturePin();
    // The video size as the preview pin's format gives it, into the video target.
    void ReadPreviewSize();
    // The preview stops around a dialog that changes the device, and comes back after it, only when wanted.
    void HaltPreviewIfWanted();
    void RestartPreview(bool rebuild);

    TTunerTools& tools_;
    PropertyFrames& frames_;
};

// Where each entry stands in the list box, -1 when it is not offered: the page's twelve stored indexes.
class DevicePropertyIndexes {
public:
    DevicePropertyIndexes() { clear(); }
    void clear() { positions_.fill(-1); }
    void place(DeviceProperty entry, int position) { positions_[static_cast<std::size_t>(entry)] = position; }
    // The first entry in the list's order stored at row; false when none is.
    bool entryAt(int row, DeviceProperty* entry) const;

private:
    std::array<int, kDevicePropertyCount> positions_{};
};
