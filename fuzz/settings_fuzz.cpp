// SPDX-License-Identifier: GPL-2.0-or-later
// The settings loader over damaged databases. An input that starts like an SQLite file is the settings file
// itself; any other input is SQL run on a good settings file first, so rows of every shape, type and
// number reach the loader. Loading is followed by the save that closing the program makes.
#include "app/settings_store.h"
#include "channels/channel_list_editor.h"
#include "channels/headless_channel_list_view.h"
#include "fuzz_support.h"
#include "platform/win/clock.h"

#include <sqlite3.h>

#include <cstring>

namespace {

constexpr char kSqliteHeader[] = "SQLite format 3";
// Bounds for the SQL of one input: no statement runs away with time or memory, and none reaches other files.
constexpr int kMaxSqlSteps = 200000;
constexpr int kMaxSqlLength = 1 << 20;

void RunSql(const std::filesystem::path& file, const std::string& sql) {
    {
        // The schema and root key, as the program makes them.
        SettingsTargets none;
        LoadSettings(none, file);
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxSqlLength);
        int steps = 0;
        sqlite3_progress_handler(
            db, 100, [](void* count) { return ++*static_cast<int*>(count) > kMaxSqlSteps / 100 ? 1 : 0; },
            &steps);
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = fuzz::ScratchFolder() / "registry.sqlite";
    if (size >= sizeof kSqliteHeader && std::memcmp(data, kSqliteHeader, sizeof kSqliteHeader) == 0) {
        fuzz::WriteScratchFile("registry.sqlite", data, size);
    } else {
        RunSql(file, std::string(reinterpret_cast<const char*>(data), size));
    }
    HeadlessChannelListView tvView;
    HeadlessChannelListView radioView;
    VirtualClock clock;
    TVChannelList tv(tvView, nullptr, clock, QLocale::c());
    RadioStationList radio(radioView, nullptr, clock, QLocale::c());
    std::int32_t exitInputPin = 0;
    SettingsTargets targets;
    targets.tvChannels = &tv;
    targets.radioStations = &radio;
    targets.exitInputPin = &exitInputPin;
    LoadSettings(targets, file);
    SaveSettings(targets, file);
    fuzz::ClearScratchFolder();
    return 0;
}
