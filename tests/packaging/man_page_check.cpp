// SPDX-License-Identifier: GPL-2.0-or-later
// man_page_check PROGRAM PAGE: fails when the manual page and the program's --help and --version disagree.
#include "command_reference.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool Run(const std::string& command, std::string& output) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: man_page_check PROGRAM PAGE\n");
        return 2;
    }
    const std::string program = std::string("'") + argv[1] + "'";
    std::string help;
    std::string version;
    if (!Run(program + " --help", help) || !Run(program + " --version", version)) {
        std::fprintf(stderr, "%s: --help or --version failed\n", argv[1]);
        return 1;
    }
    std::ifstream pageFile(argv[2]);
    std::stringstream page;
    page << pageFile.rdbuf();
    if (!pageFile) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    const auto differences = CompareReferences(ParseHelp(help, version), ParseManPage(page.str()));
    for (const std::string& difference : differences) {
        std::fprintf(stderr, "%s: %s\n", argv[2], difference.c_str());
    }
    return differences.empty() ? 0 : 1;
}
