// SPDX-License-Identifier: GPL-2.0-or-later
#include "thread_cpu.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// utime + stime of /proc/self/task/TID/stat, in seconds. The name field may hold spaces and parentheses, so
// the fields are counted from the last ')'.
double CpuOfTask(const std::filesystem::path& task) {
    std::ifstream stat(task / "stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t end = line.rfind(')');
    if (end == std::string::npos) {
        return 0;
    }
    std::istringstream fields(line.substr(end + 2));
    std::string field;
    unsigned long long user = 0;
    unsigned long long system = 0;
    // After the name: state is field 3, utime 14 and stime 15.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) {
            user = std::stoull(field);
        } else if (index == 15) {
            system = std::stoull(field);
        }
    }
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

} // namespace

ThreadCpu ReadThreadCpu() {
    ThreadCpu cpu;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        ThreadTime time;
        std::getline(comm, time.name);
        time.seconds = CpuOfTask(task.path());
        cpu[std::atoi(task.path().filename().c_str())] = time;
    }
    return cpu;
}

std::string ThreadCpuReport(const ThreadCpu& earlier, const ThreadCpu& later, int lines) {
    std::map<std::string, double> byName;
    for (const auto& [id, time] : later) {
        const auto before = earlier.find(id);
        byName[time.name] += time.seconds - (before == earlier.end() ? 0.0 : before->second.seconds);
    }
    std::vector<std::pair<double, std::string>> spent;
    for (const auto& [name, used] : byName) {
        if (used > 0) {
            spent.emplace_back(used, name);
        }
    }
    std::sort(spent.rbegin(), spent.rend());
    std::string report;
    for (int i = 0; i < lines && i < int(spent.size()); ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "  %-16s %6.2f s\n", spent[i].second.c_str(), spent[i].first);
        report += line;
    }
    return report;
}
