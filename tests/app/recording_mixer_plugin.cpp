// SPDX-License-Identifier: GPL-2.0-or-later
// A mixer plug-in that records the calls its host makes, for the host's tests.
#include "faderix.h"

#include <string>

namespace {
std::string callLog;
FaderixHost* host = nullptr;
} // namespace

extern "C" {

__attribute__((visibility("default"))) const char* RecordedCalls() {
    return callLog.c_str();
}
__attribute__((visibility("default"))) void ClearRecordedCalls() {
    callLog.clear();
}

__attribute__((visibility("default"))) const char* Open(int32_t, FaderixHost* hostRecord, int32_t) {
    host = hostRecord;
    callLog += "Open;";
    return "Sound mixer plugin";
}

__attribute__((visibility("default"))) void Close() {
    callLog += "Close;";
    host = nullptr;
}

__attribute__((visibility("default"))) void ActionSetup(const char* name) {
    callLog += std::string("ActionSetup ") + name + ";";
}

__attribute__((visibility("default"))) int32_t ActionPreset(const char* name, int32_t tag) {
    callLog += std::string("ActionPreset ") + name + ";";
    return host && host->size >= sizeof(FaderixHost) && host->post
               ? host->post(host, WM_PLUGIN_RESULT, tag, 0)
               : 0;
}
}
