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

IMoniker* ChooseVideoDevice(TVideoCaptureDevCombo& video, const std::optional<std::string>& name,
                            std::FILE* err) {
    SettingsTargets targets;
    targets.tvVideoCaptureDev = &video;
    LoadSettings(targets);
    if (name && !ChooseByName(video, *name)) {
        std::fprintf(err, "error: no video capture device named %s\n", name->c_str());
        return nullptr;
    }
    IMoniker* moniker = video.GetMoniker();
    if (!moniker) {
        std::fprintf(err, "error: no video capture device\n");
    }
    return moniker;
}
