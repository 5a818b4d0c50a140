// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Another program holding the settings file: a second SQLite connection inside a transaction, and a clock
// whose waits let that program go after a given number of them.

#include "platform/win/clock.h"

#include <sqlite3.h>

#include <filesystem>

class FileHolder final {
public:
    // lock: "BEGIN EXCLUSIVE" keeps out readers and writers, "BEGIN IMMEDIATE" only writers.
    FileHolder(const std::filesystem::path& path, const char* lock) {
        held_ = sqlite3_open(path.c_str(), &db_) == SQLITE_OK &&
                sqlite3_exec(db_, lock, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~FileHolder() {
        release();
        sqlite3_close(db_);
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;

    bool held() const { return held_; }
    void release() {
        if (held_) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            held_ = false;
        }
    }

private:
    sqlite3* db_ = nullptr;
    bool held_ = false;
};

// Virtual waits that count; after releaseAfter of them the holder lets go (never when it is 0).
class ReleasingClock final : public Clock {
public:
    ReleasingClock(FileHolder& holder, int releaseAfter) : holder_(holder), releaseAfter_(releaseAfter) {}
    void Sleep(std::uint32_t milliseconds) override {
        waitedMs += milliseconds;
        if (++waits == releaseAfter_) {
            holder_.release();
        }
    }
    std::uint32_t timeGetTime() const override { return waitedMs; }

    int waits = 0;
    std::uint32_t waitedMs = 0;

private:
    FileHolder& holder_;
    int releaseAfter_;
};
