// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_settings_guard.h"

std::unique_ptr<InstanceLock> HoldSettingsForChange(const std::filesystem::path& registry, std::FILE* err) {
    // Not listening: a Corvane started meanwhile finds the file held and does not start.
    auto lock = std::make_unique<InstanceLock>(InstanceAddressFor(registry), InstanceLock::Listen::No);
    if (!lock->isFirst()) {
        std::fputs(kProgramRunningError, err);
        return nullptr;
    }
    return lock;
}
