// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl channels tv|radio: the stored TV channel list or radio station list, one entry per line as
// INDEX<TAB>CHECK<TAB>FREQ_HZ<TAB>NAME in list order, INDEX counting from 0 and CHECK 1 or 0.

#include "platform/registry/registry_path.h"

#include <QString>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

enum class CtlChannelList { TV, Radio };

// The arguments after "channels"; nothing with the reason in error when they name no list.
std::optional<CtlChannelList> ParseCtlChannels(const std::vector<std::string>& args, std::string& error);

// A name on one line of a script's output: a tab or line break in it would split the line, so it becomes a
// space.
std::string OneLineName(const QString& name);

// Reads the list from the program's settings as the program loads it; returns the exit status.
int ListChannels(CtlChannelList which, std::FILE* out,
                 const std::filesystem::path& registry = DefaultRegistryPath());
