// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A command that changes a stored list first takes the running program's own lock on the settings file. A
// Corvane that has the file open would save its own lists over the change when it closes, so the command
// refuses; while the command holds the lock, no Corvane starts on the file.

#include "app/single_instance.h"

#include <cstdio>
#include <filesystem>
#include <memory>

inline constexpr const char* kProgramRunningError =
    "error: corvane is running with these settings; use its Search... button or close it\n";

// The held lock, or null (with kProgramRunningError on err) when a Corvane holds the file.
std::unique_ptr<InstanceLock> HoldSettingsForChange(const std::filesystem::path& registry, std::FILE* err);
