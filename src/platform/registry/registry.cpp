// SPDX-License-Identifier: GPL-2.0-or-later
#include "registry.h"

#include "platform/win/clock.h"

#include <limits>

namespace {

Clock& ClockOrReal(Clock* clock) {
    static RealClock realClock;
    return clock ? *clock : realClock;
}

} // namespace

Registry::Registry(const std::filesystem::path& path, Clock* clock)
    : db_(RegistryDatabase::open(path, ClockOrReal(clock), &locked_)) {}

Registry::~Registry() = default;

bool Registry::OpenKey(std::string_view path, bool canCreate) {
    // A failed open leaves no key open, so no later write can land in the key opened before.
    CloseKey();
    if (!db_) {
        return false;
    }
    RegistryDatabase::KeyId key = db_->root();
    while (!path.empty()) {
        const std::size_t cut = path.find('\\');
        const std::string_view part = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
        // Doubled, leading and trailing separators name no key.
        if (part.empty()) {
            continue;
        }
        std::optional<RegistryDatabase::KeyId> child = db_->findChild(key, part);
        if (!child && canCreate) {
            child = db_->createChild(key, part);
        }
        if (!child) {
            return false;
        }
        key = *child;
    }
    current_ = key;
    return true;
}

std::optional<std::string> Registry::ReadString(std::string_view name) {
    if (!db_ || !current_) {
        return std::nullopt;
    }
    const auto value = db_->readValue(*current_, name);
    if (!value) {
        // Missing reads as empty text; a file that could not be read says nothing about the value.
        return db_->readFailed() ? std::nullopt : std::optional<std::string>(std::string());
    }
    if (value->type != static_cast<int>(RegistryDatabase::ValueType::String) || value->number) {
        return std::nullopt;
    }
    return value->text.value_or(std::string());
}

std::optional<std::int32_t> Registry::ReadInteger(std::string_view name) {
    if (!db_ || !current_) {
        return std::nullopt;
    }
    const auto value = db_->readValue(*current_, name);
    if (!value || value->type != static_cast<int>(RegistryDatabase::ValueType::Number) || !value->number) {
        return std::nullopt;
    }
    // Another tool may have stored a number that does not fit the registry's 32 bits.
    if (*value->number < std::numeric_limits<std::int32_t>::min() ||
        *value->number > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value->number);
}

std::optional<bool> Registry::ReadBool(std::string_view name) {
    const auto number = ReadInteger(name);
    return number ? std::optional<bool>(*number != 0) : std::nullopt;
}

bool Registry::WriteString(std::string_view name, std::string_view value) {
    return db_ && current_ && db_->writeText(*current_, name, value);
}

bool Registry::WriteInteger(std::string_view name, std::int32_t value) {
    return db_ && current_ && db_->writeNumber(*current_, name, value);
}

bool Registry::WriteBool(std::string_view name, bool value) {
    return WriteInteger(name, value ? 1 : 0);
}

std::vector<std::string> Registry::GetKeyNames() {
    return db_ && current_ ? db_->childNames(*current_) : std::vector<std::string>();
}

std::vector<std::string> Registry::GetValueNames() {
    return db_ && current_ ? db_->valueNames(*current_) : std::vector<std::string>();
}

bool Registry::DeleteKey(std::string_view name) {
    return db_ && current_ && db_->deleteChild(*current_, name);
}

bool Registry::BeginTransaction() {
    return db_ && db_->begin();
}

bool Registry::Commit() {
    if (!db_) {
        return false;
    }
    if (db_->commit()) {
        return true;
    }
    db_->rollback();
    return false;
}
