// SPDX-License-Identifier: GPL-2.0-or-later
#include "command_reference.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// Removes font changes and turns the escapes a page uses into their characters.
std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 'f' && i + 1 < text.size()) {
            ++i; // \fB, \fI, \fR, \fP
        } else if (next == '&') {
            // zero-width
        } else if (next == 'e') {
            out += '\\';
        } else {
            out += next; // \- and other single-character escapes
        }
    }
    return out;
}

// A macro's arguments: words, or double-quoted strings that keep their spaces.
std::vector<std::string> Arguments(const std::string& text) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (text[i] == '"') {
            const auto close = text.find('"', i + 1);
            arg = text.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? text.size() : close + 1;
        } else {
            const auto end = std::min(text.find(' ', i), text.size());
            arg = text.substr(i, end - i);
            i = end;
        }
        args.push_back(arg);
    }
    return args;
}

// The text a line puts on the page; empty for requests that print nothing.
std::string Render(const std::string& line) {
    if (line.empty() || line[0] != '.') {
        return Unescape(line);
    }
    const auto space = line.find(' ');
    const std::string macro = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
    const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
    const std::vector<std::string> args = Arguments(rest);
    std::string out;
    if (macro == "B" || macro == "I") {
        for (const std::string& arg : args) {
            out += (out.empty() ? "" : " ") + arg;
        }
    } else if (macro.size() == 2 && std::string("BIR").find(macro[0]) != std::string::npos &&
               std::string("BIR").find(macro[1]) != std::string::npos) {
        // The alternating-font macros join their arguments without spaces.
        for (const std::string& arg : args) {
            out += arg;
        }
    }
    return Unescape(out);
}

std::string CollapseSpaces(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out += c;
    }
    return Trim(out);
}

} // namespace

CommandReference ParseHelp(const std::string& help, const std::string& version) {
    CommandReference ref;
    ref.version = Trim(version);
    std::string section;
    for (const std::string& line : Lines(help)) {
        if (line.rfind("Usage: ", 0) == 0) {
            ref.usage = CollapseSpaces(line.substr(7));
        } else if (!line.empty() && line.back() == ':' && line.find(' ') == std::string::npos) {
            section = Upper(line.substr(0, line.size() - 1));
            ref.sections[section];
        } else if (!section.empty() && line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
            ref.sections[section].push_back(Trim(line.substr(0, line.find("  ", 2))));
        } else if (Trim(line).empty()) {
            section.clear();
        }
    }
    return ref;
}

CommandReference ParseManPage(const std::string& page) {
    CommandReference ref;
    std::string section;
    bool tagNext = false;
    for (const std::string& line : Lines(page)) {
        if (line.rfind(".TH ", 0) == 0) {
            const std::vector<std::string> args = Arguments(line.substr(4));
            ref.version = args.size() > 3 ? Unescape(args[3]) : std::string();
        } else if (line.rfind(".SH ", 0) == 0) {
            section = Upper(Unescape(Trim(line.substr(4))));
            tagNext = false;
            if (section != "SYNOPSIS") {
                ref.sections[section];
            }
        } else if (line == ".TP") {
            tagNext = true;
        } else if (section == "SYNOPSIS") {
            ref.usage = CollapseSpaces(ref.usage + " " + Render(line));
        } else if (tagNext) {
            ref.sections[section].push_back(CollapseSpaces(Render(line)));
            tagNext = false;
        }
    }
    return ref;
}

std::vector<std::string> CompareReferences(const CommandReference& help, const CommandReference& manPage) {
    std::vector<std::string> differences;
    if (help.usage != manPage.usage) {
        differences.push_back("usage: --help says \"" + help.usage + "\", the manual page \"" +
                              manPage.usage + "\"");
    }
    if (help.version != manPage.version) {
        differences.push_back("version: --version says \"" + help.version + "\", the manual page \"" +
                              manPage.version + "\"");
    }
    for (const auto& [section, terms] : help.sections) {
        const auto found = manPage.sections.find(section);
        if (found == manPage.sections.end()) {
            differences.push_back("section " + section + " is missing from the manual page");
            continue;
        }
        if (terms != found->second) {
            std::string line = "section " + section + ": --help lists";
            for (const std::string& term : terms) {
                line += " [" + term + "]";
            }
            line += ", the manual page";
            for (const std::string& term : found->second) {
                line += " [" + term + "]";
            }
            differences.push_back(line);
        }
    }
    // The manual page may have sections of its own (FILES, EXIT STATUS), but none that --help also names
    // are allowed to go missing from it, and none of the listing sections may exist only in the page.
    for (const char* listing : {"COMMANDS", "OPTIONS", "ENVIRONMENT"}) {
        if (manPage.sections.count(listing) != 0 && help.sections.count(listing) == 0) {
            differences.push_back(std::string("section ") + listing + " is missing from --help");
        }
    }
    return differences;
}
