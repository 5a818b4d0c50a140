#pragma once
// Choosing a picker's entry by the name given on the command line.

#include "components/dev_cmb_base.h"

#include <string>

// Selects the entry named exactly name; false when the picker has none.
bool ChooseByName(DevicePickerCombo& picker, const std::string& name);
