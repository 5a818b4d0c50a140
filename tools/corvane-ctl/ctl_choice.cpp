// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_choice.h"

#include "app/settings_store.h"
#include "components/dev_cmb_pickers.h"

bool ChooseByName(DevicePickerCombo& picker, const std::string& name) {
    const int index =
        picker.findText(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        return false;
    }
    picker.setCurrentIndex(index);
    return true;
}

IMoniker* PickedDevice(const SettingsTargets& targets, DevicePickerCombo& picker,
                       const std::optional<std::string>& name, const char* what, std::FILE* err) {
    LoadSettings(targets);
    if (name && !ChooseByName(picker, *name)) {
        std::fprintf(err, "error: no %s named %s\n", what, name->c_str());
        return nullptr;
    }
    IMoniker* moniker = picker.GetMoniker();
    if (!moniker) {
        std::fprintf(err, "error: no %s\n", what);
    }
    return moniker;
}

IMoniker* ChooseVideoDevice(TVideoCaptureDevCombo& video, const std::optional<std::string>& name,
                            std::FILE* err) {
    SettingsTargets targets;
    targets.tvVideoCaptureDev = &video;
    return PickedDevice(targets, video, name, "video capture device", err);
}
