// SPDX-License-Identifier: GPL-2.0-or-later
#include "registry_database.h"

#include "platform/win/clock.h"

#include <sqlite3.h>

#include <array>
#include <limits>
#include <system_error>
#include <unordered_set>

namespace {

enum Statement : int {
    FindChild,
    CreateChild,
    ChildNames,
    ValueNames,
    ChildIds,
    DeleteValuesOfKey,
    DeleteKeyById,
    ReadValue,
    WriteValue,
    StatementCount
};

constexpr std::array<const char*, StatementCount> kStatementSql = {
    "SELECT id FROM keys WHERE parent = ?1 AND name = ?2",
    "INSERT INTO keys(parent, name) VALUES(?1, ?2)",
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY id",
    "SELECT name FROM vals WHERE key = ?1 ORDER BY name",
    "SELECT id FROM keys WHERE parent = ?1",
    "DELETE FROM vals WHERE key = ?1",
    "DELETE FROM keys WHERE id = ?1",
    "SELECT type, data FROM vals WHERE key = ?1 AND name = ?2",
    "INSERT INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4) "
    "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data",
};

constexpr const char* kSchemaSql =
    "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES keys(id), "
    "name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS vals(key INTEGER NOT NULL REFERENCES keys(id), "
    "name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data, PRIMARY KEY(key, name));";

constexpr const char* kRootName = "HKEY_LOCAL_MACHINE";

// A locked file is retried at this interval while the wait lasts.
constexpr std::uint32_t kBusyRetryMs = 20;

bool IsLockCode(int resultCode) {
    const int primary = resultCode & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Binds, steps and resets one prepared statement for the length of a scope.
class Run {
public:
    explicit Run(sqlite3_stmt* statement) : statement_(statement) {}
    ~Run() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    Run& bind(int index, std::int64_t value) {
        ok_ = ok_ && sqlite3_bind_int64(statement_, index, value) == SQLITE_OK;
        return *this;
    }
    Run& bind(int index, std::string_view text) {
        ok_ = ok_ && sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                                       SQLITE_STATIC) == SQLITE_OK;
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return ok_ ? sqlite3_step(statement_) : SQLITE_MISUSE; }
    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3_stmt* statement_;
    bool ok_ = true;
};

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void MoveAside(const std::filesystem::path& path) {
    const std::filesystem::path target = DamagedRegistryPath(path);
    std::error_code ignored;
    // A leftover journal belongs to the damaged file; left in place it would be played into the fresh one.
    for (const char* sidecar : {"-journal", "-wal", "-shm"}) {
        std::filesystem::path from = path;
        from += sidecar;
        if (std::filesystem::exists(from, ignored)) {
            std::filesystem::path to = target;
            to += sidecar;
            std::filesystem::rename(from, to, ignored);
        }
    }
    std::filesystem::rename(path, target, ignored);
}

} // namespace

std::filesystem::path DamagedRegistryPath(const std::filesystem::path& path) {
    std::filesystem::path candidate = path;
    candidate += ".damaged";
    std::error_code ignored;
    for (int n = 1; std::filesystem::exists(candidate, ignored) && n < 1000; ++n) {
        candidate = path;
        candidate += ".damaged." + std::to_string(n);
    }
    return candidate;
}

std::unique_ptr<RegistryDatabase> RegistryDatabase::open(const std::filesystem::path& path, Clock& clock,
                                                         bool* locked) {
    if (locked) {
        *locked = false;
    }
    std::error_code ignored;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    Readiness readiness = Readiness::Unusable;
    auto attempt = [&](int flags) -> std::unique_ptr<RegistryDatabase> {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
        std::unique_ptr<RegistryDatabase> db(new RegistryDatabase(raw, clock));
        readiness = Readiness::Unusable;
        if (rc != SQLITE_OK) {
            return nullptr;
        }
        sqlite3_busy_handler(raw, &RegistryDatabase::onBusy, db.get());
        sqlite3_extended_result_codes(raw, 1);
        readiness = db->prepare();
        return readiness == Readiness::Ready ? std::move(db) : nullptr;
    };
    if (std::filesystem::exists(path, ignored)) {
        if (auto db = attempt(SQLITE_OPEN_READWRITE)) {
            return db;
        }
        // A file someone else holds is most likely healthy; moving it aside would lose every setting.
        if (readiness == Readiness::Locked) {
            if (locked) {
                *locked = true;
            }
            return nullptr;
        }
        MoveAside(path);
    }
    auto db = attempt(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!db && readiness == Readiness::Locked && locked) {
        *locked = true;
    }
    return db;
}

RegistryDatabase::RegistryDatabase(sqlite3* db, Clock& clock) : db_(db), clock_(clock) {}

int RegistryDatabase::onBusy(void* self, int attempts) {
    auto* database = static_cast<RegistryDatabase*>(self);
    const auto waited = static_cast<std::uint64_t>(attempts) * kBusyRetryMs;
    if (!database->waitForLocks_ || waited >= kRegistryBusyTimeoutMs) {
        return 0;
    }
    database->clock_.Sleep(kBusyRetryMs);
    return 1;
}

int RegistryDatabase::noteRead(int resultCode) {
    if (IsLockCode(resultCode)) {
        readFailed_ = true;
        waitForLocks_ = false;
    }
    return resultCode;
}

RegistryDatabase::~RegistryDatabase() {
    if (inTransaction()) {
        rollback();
    }
    for (sqlite3_stmt* s : statements_) {
        sqlite3_finalize(s);
    }
    sqlite3_close(db_);
}

RegistryDatabase::Readiness RegistryDatabase::prepare() {
    // Every step below may meet another program's lock, which says nothing about the file's health.
    const auto failure = [](int rc) { return IsLockCode(rc) ? Readiness::Locked : Readiness::Unusable; };
    // Reading every page catches a file that is not SQLite or is damaged before anything trusts it.
    sqlite3_stmt* check = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &check, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(check);
        return failure(rc);
    }
    rc = sqlite3_step(check);
    const bool healthy = rc == SQLITE_ROW && ColumnText(check, 0) == "ok";
    sqlite3_finalize(check);
    if (!healthy) {
        return failure(rc);
    }
    rc = sqlite3_exec(db_, kSchemaSql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        return failure(rc);
    }
    // Preparing against the existing tables rejects a database whose tables have another shape.
    for (const char* sql : kStatementSql) {
        sqlite3_stmt* prepared = nullptr;
        rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(prepared);
            return failure(rc);
        }
        statements_.push_back(prepared);
    }
    sqlite3_stmt* findRoot = nullptr;
    rc = sqlite3_prepare_v2(db_, "SELECT id FROM keys WHERE parent IS NULL AND name = ?1 ORDER BY id LIMIT 1",
                            -1, &findRoot, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(findRoot);
        return failure(rc);
    }
    std::optional<KeyId> root;
    {
        Run run(findRoot);
        rc = run.bind(1, std::string_view(kRootName)).step();
        if (rc == SQLITE_ROW) {
            root = sqlite3_column_int64(findRoot, 0);
        }
    }
    sqlite3_finalize(findRoot);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        return failure(rc);
    }
    if (!root) {
        Run run(statement(CreateChild));
        sqlite3_bind_null(run.get(), 1);
        rc = run.bind(2, std::string_view(kRootName)).step();
        if (rc != SQLITE_DONE) {
            return failure(rc);
        }
        root = sqlite3_last_insert_rowid(db_);
    }
    root_ = *root;
    return Readiness::Ready;
}

sqlite3_stmt* RegistryDatabase::statement(int which) {
    return statements_[static_cast<std::size_t>(which)];
}

std::optional<RegistryDatabase::KeyId> RegistryDatabase::findChild(KeyId parent, std::string_view name) {
    Run run(statement(FindChild));
    if (noteRead(run.bind(1, parent).bind(2, name).step()) == SQLITE_ROW) {
        return sqlite3_column_int64(run.get(), 0);
    }
    return std::nullopt;
}

std::optional<RegistryDatabase::KeyId> RegistryDatabase::createChild(KeyId parent, std::string_view name) {
    Run run(statement(CreateChild));
    if (run.bind(1, parent).bind(2, name).step() != SQLITE_DONE) {
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(db_);
}

std::vector<std::string> RegistryDatabase::namesOf(int which, KeyId key) {
    std::vector<std::string> names;
    Run run(statement(which));
    run.bind(1, key);
    while (noteRead(run.step()) == SQLITE_ROW) {
        names.push_back(ColumnText(run.get(), 0));
    }
    return names;
}

std::vector<std::string> RegistryDatabase::childNames(KeyId parent) {
    return namesOf(ChildNames, parent);
}

std::vector<std::string> RegistryDatabase::valueNames(KeyId key) {
    return namesOf(ValueNames, key);
}

bool RegistryDatabase::deleteChild(KeyId parent, std::string_view name) {
    const std::optional<KeyId> child = findChild(parent, name);
    if (!child) {
        return false;
    }
    // Values and keys go together or not at all. Inside a caller's transaction that transaction already
    // ensures it; a savepoint per key would copy every touched page once more.
    const bool ownTransaction = !inTransaction();
    if (ownTransaction && !begin()) {
        return false;
    }
    // Key by key through the indexes; one query over the whole subtree would build a temporary table per
    // deleted key, which made saving a long list slow.
    // Each key once: a damaged index (which quick_check does not read against the table) can go on listing
    // a key after it is deleted, and following it again would never end.
    bool ok = true;
    std::vector<KeyId> pending{*child};
    std::unordered_set<KeyId> visited;
    while (ok && !pending.empty()) {
        const KeyId key = pending.back();
        pending.pop_back();
        if (!visited.insert(key).second) {
            continue;
        }
        {
            Run children(statement(ChildIds));
            children.bind(1, key);
            int rc = SQLITE_ROW;
            while ((rc = children.step()) == SQLITE_ROW) {
                pending.push_back(sqlite3_column_int64(children.get(), 0));
            }
            ok = rc == SQLITE_DONE;
        }
        for (int which : {DeleteValuesOfKey, DeleteKeyById}) {
            Run run(statement(which));
            ok = ok && run.bind(1, key).step() == SQLITE_DONE;
        }
    }
    if (ownTransaction) {
        if (ok) {
            ok = commit();
        }
        if (!ok) {
            rollback();
        }
    }
    return ok;
}

std::optional<RegistryDatabase::Value> RegistryDatabase::readValue(KeyId key, std::string_view name) {
    Run run(statement(ReadValue));
    if (noteRead(run.bind(1, key).bind(2, name).step()) != SQLITE_ROW) {
        return std::nullopt;
    }
    Value value;
    value.type = sqlite3_column_int(run.get(), 0);
    switch (sqlite3_column_type(run.get(), 1)) {
    case SQLITE_INTEGER:
        value.number = sqlite3_column_int64(run.get(), 1);
        break;
    case SQLITE_TEXT:
        value.text = ColumnText(run.get(), 1);
        break;
    default:
        break;
    }
    return value;
}

bool RegistryDatabase::writeText(KeyId key, std::string_view name, std::string_view text) {
    Run run(statement(WriteValue));
    return run.bind(1, key)
               .bind(2, name)
               .bind(3, static_cast<std::int64_t>(ValueType::String))
               .bind(4, text)
               .step() == SQLITE_DONE;
}

bool RegistryDatabase::writeNumber(KeyId key, std::string_view name, std::int32_t number) {
    Run run(statement(WriteValue));
    return run.bind(1, key)
               .bind(2, name)
               .bind(3, static_cast<std::int64_t>(ValueType::Number))
               .bind(4, static_cast<std::int64_t>(number))
               .step() == SQLITE_DONE;
}

bool RegistryDatabase::begin() {
    return Exec(db_, "BEGIN IMMEDIATE");
}
bool RegistryDatabase::commit() {
    return Exec(db_, "COMMIT");
}
void RegistryDatabase::rollback() {
    Exec(db_, "ROLLBACK");
}
bool RegistryDatabase::inTransaction() const {
    return db_ && sqlite3_get_autocommit(db_) == 0;
}
