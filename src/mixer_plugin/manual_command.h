// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "faderix.h"
#include "mixer_backend.h"

#include <optional>
#include <string>

namespace faderix {

// What one ActionManual call produced; the entry point turns it into messages to the host.
struct ManualOutcome {
    std::optional<std::string> error; // the "Invalid params: ..." text
    std::string lineName;             // set with the control found, for the control-info message
    std::string controlName;
    bool foundControl = false;
    int32_t value = 0;
};

ManualOutcome runManualCommand(MixerBackend& backend, const ManualParams* params);

// "Invalid params: Faderix.ActionManual(...)", at most 255 characters.
std::string manualErrorText(const ManualParams* params);

} // namespace faderix
