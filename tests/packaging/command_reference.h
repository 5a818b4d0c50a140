// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a command's --help output and its manual page both describe: the usage line, the version, and the
// terms listed in each section (commands, options, environment variables). Both are reduced to plain text
// so they can be compared term by term.

#include <map>
#include <string>
#include <vector>

struct CommandReference {
    std::string usage;   // "corvane [FILE...]", without the program's "Usage: " prefix
    std::string version; // --version's line, or the manual page's source field
    // Section name in capitals ("OPTIONS") to its terms in order ("-h, --help").
    std::map<std::string, std::vector<std::string>> sections;
};

// --help text: a "Usage: " line, then sections opened by a "Name:" line whose entries are lines indented by
// two spaces, the term ending at the first run of two spaces.
CommandReference ParseHelp(const std::string& help, const std::string& version);

// A man(7) page: the SYNOPSIS becomes the usage, each .TP entry's tag line a term of its section.
CommandReference ParseManPage(const std::string& page);

// The differences between the two, one line each; empty when they agree.
std::vector<std::string> CompareReferences(const CommandReference& help, const CommandReference& manPage);
