// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The registry's semantics over the settings database: one root key (the local machine), keys opened by a
// backslash-separated path, value and key names compared without regard to letter case, text and 32-bit
// number values. Reading a missing text gives empty text; reading a missing number, or any value stored with
// another type, fails. Every failure touches only the call that failed.

#include "registry_database.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Clock;

class Registry final {
public:
    // Opens the database at path (see RegistryDatabase::open), waiting on clock (real time when null) for a
    // file that another program holds. When none can be opened every call fails.
    explicit Registry(const std::filesystem::path& path, Clock* clock = nullptr);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    // The file was held by another program past the wait when it was opened, so nothing was read from it.
    bool wasLocked() const { return locked_; }
    // Every read reached the file: it was not locked at the open nor at any read since. When false, what
    // was read is only part of what the file holds.
    bool readEverything() const { return !locked_ && !(db_ && db_->readFailed()); }

    // Opens the key at path below the root, creating the missing keys when canCreate is set.
    bool OpenKey(std::string_view path, bool canCreate);
    void CloseKey() { current_.reset(); }
    bool hasCurrentKey() const { return current_.has_value(); }

    // In the open key.
    std::optional<std::string> ReadString(std::string_view name);
    std::optional<std::int32_t> ReadInteger(std::string_view name);
    std::optional<bool> ReadBool(std::string_view name);
    bool WriteString(std::string_view name, std::string_view value);
    bool WriteInteger(std::string_view name, std::int32_t value);
    bool WriteBool(std::string_view name, bool value);
    // Names of the open key's direct subkeys, in the order they were made.
    std::vector<std::string> GetKeyNames();
    // Names of the open key's values, in the order of their names.
    std::vector<std::string> GetValueNames();
    // Deletes a subkey of the open key with everything below it.
    bool DeleteKey(std::string_view name);

    // Groups every change until Commit into one transaction; the destructor rolls back an uncommitted one.
    bool BeginTransaction();
    bool Commit();

private:
    bool locked_ = false;
    std::unique_ptr<RegistryDatabase> db_;
    std::optional<RegistryDatabase::KeyId> current_;
};
