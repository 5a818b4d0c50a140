// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SQLite file behind the registry: opening it (moving an unusable file aside), its fixed schema, and the
// statements the registry runs. Other tools read and back up the same file, so the schema never changes:
//   keys(id, parent, name COLLATE NOCASE, UNIQUE(parent, name)), one root row "HKEY_LOCAL_MACHINE";
//   vals(key, name COLLATE NOCASE, type, data, PRIMARY KEY(key, name)), type 1 text, type 4 32-bit number.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class Clock;

// How long a file held by another program (another instance, a backup tool, a terminal) is waited for.
inline constexpr std::uint32_t kRegistryBusyTimeoutMs = 3000;

class RegistryDatabase final {
public:
    using KeyId = std::int64_t;
    enum class ValueType : int { String = 1, Number = 4 };
    struct Value {
        int type = 0;
        std::optional<std::string> text;
        std::optional<std::int64_t> number;
    };

    // Opens the file, creating it and its folder when missing. A file that is not SQLite, is damaged or holds
    // tables of another shape is renamed to "<name>.damaged" (never overwritten) and a fresh database takes
    // its place. A file that another program keeps locked past the wait on `clock` is healthy as far as
    // anyone knows: it is left alone, null is returned and `locked` is set. Null also when no database can
    // be made at all (for example an unwritable folder).
    static std::unique_ptr<RegistryDatabase> open(const std::filesystem::path& path, Clock& clock,
                                                  bool* locked = nullptr);
    ~RegistryDatabase();
    RegistryDatabase(const RegistryDatabase&) = delete;
    RegistryDatabase& operator=(const RegistryDatabase&) = delete;

    KeyId root() const { return root_; }

    std::optional<KeyId> findChild(KeyId parent, std::string_view name);
    std::optional<KeyId> createChild(KeyId parent, std::string_view name);
    std::vector<std::string> childNames(KeyId parent);
    std::vector<std::string> valueNames(KeyId key);
    // Deletes the named child with everything below it.
    bool deleteChild(KeyId parent, std::string_view name);

    std::optional<Value> readValue(KeyId key, std::string_view name);
    bool writeText(KeyId key, std::string_view name, std::string_view text);
    bool writeNumber(KeyId key, std::string_view name, std::int32_t number);

    bool begin();
    bool commit();
    void rollback();
    bool inTransaction() const;

    // A read found the file locked by another program past the wait; what it should have read is unknown.
    bool readFailed() const { return readFailed_; }

private:
    enum class Readiness { Ready, Locked, Unusable };
    RegistryDatabase(sqlite3* db, Clock& clock);
    // Creates the schema when missing, checks the file and prepares every statement.
    Readiness prepare();
    sqlite3_stmt* statement(int which);
    // The first column of every row statement which gives for key.
    std::vector<std::string> namesOf(int which, KeyId key);
    // Passes a read's result code on. A read that met a lock is remembered, and from then on nothing waits
    // any more, so a file that stays locked costs one wait, not one per value.
    int noteRead(int resultCode);
    static int onBusy(void* self, int attempts);

    sqlite3* db_ = nullptr;
    Clock& clock_;
    bool waitForLocks_ = true;
    bool readFailed_ = false;
    KeyId root_ = 0;
    std::vector<sqlite3_stmt*> statements_;
};

// The name a damaged file is moved to: "<path>.damaged", or "<path>.damaged.N" when that is taken.
std::filesystem::path DamagedRegistryPath(const std::filesystem::path& path);
