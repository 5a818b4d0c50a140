// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// CPU time of each of the process's threads, read from /proc: GStreamer names a streaming thread after the
// pad whose task it runs ("source:src", "queue3:src"), so the difference of two readings says which part of
// a graph the time went to. Its threads are pooled and renamed for each task, so readings are kept by
// thread id and a thread is named as it is called at the later reading.

#include <map>
#include <string>

struct ThreadTime {
    std::string name;
    double seconds = 0;
};
using ThreadCpu = std::map<int, ThreadTime>; // by thread id

ThreadCpu ReadThreadCpu();

// later - earlier summed by thread name, busiest first, one "name seconds" line each, up to lines of them.
std::string ThreadCpuReport(const ThreadCpu& earlier, const ThreadCpu& later, int lines = 10);
