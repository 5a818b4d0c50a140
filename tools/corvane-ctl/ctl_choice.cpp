#include "ctl_choice.h"

bool ChooseByName(DevicePickerCombo& picker, const std::string& name) {
    const int index =
        picker.findText(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        return false;
    }
    picker.setCurrentIndex(index);
    return true;
}
