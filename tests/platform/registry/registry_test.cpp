// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/registry/registry.h"
#include "platform/registry/registry_path.h"

#include "file_holder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    std::filesystem::path path() const {
        return std::filesystem::path(dir_.path().toStdString()) / "registry.sqlite";
    }

    static void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // One value of the first row of a query, read with plain SQL as another tool would.
    std::string Query(const char* sql) const {
        sqlite3* db = nullptr;
        sqlite3_open(path().c_str(), &db);
        sqlite3_stmt* st = nullptr;
        std::string result = "<none>";
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(st, 0);
            result = text ? reinterpret_cast<const char*>(text) : "<null>";
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return result;
    }

    QTemporaryDir dir_;
};

TEST_F(RegistryTest, ReadRulesFollowTheRegistry) {
    Registry reg(path());
    ASSERT_TRUE(reg.isOpen());
    ASSERT_TRUE(reg.OpenKey("Software\\Pellworth\\Corvane\\TV", true));
    EXPECT_TRUE(reg.WriteString("DeviceName", "Card"));
    EXPECT_TRUE(reg.WriteInteger("DeviceIndex", -7));
    EXPECT_TRUE(reg.WriteBool("Enabled", true));

    // Names of keys and values ignore letter case.
    ASSERT_TRUE(reg.OpenKey("SOFTWARE\\pellworth\\CORVANE\\tv", false));
    EXPECT_EQ(reg.ReadString("devicename"), "Card");
    EXPECT_EQ(reg.ReadInteger("DEVICEINDEX"), -7);
    EXPECT_EQ(reg.ReadBool("enabled"), true);
    // A missing text reads as empty text, a missing number fails.
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_FALSE(reg.ReadInteger("Missing"));
    EXPECT_FALSE(reg.ReadBool("Missing"));
    // Any value of another type fails.
    EXPECT_FALSE(reg.ReadString("DeviceIndex"));
    EXPECT_FALSE(reg.ReadInteger("DeviceName"));
    // Rewriting with another type replaces the type.
    EXPECT_TRUE(reg.WriteInteger("DeviceName", 3));
    EXPECT_EQ(reg.ReadInteger("DeviceName"), 3);
    EXPECT_FALSE(reg.ReadString("DeviceName"));
    // Opening without creation fails for a missing key and leaves nothing behind.
    EXPECT_FALSE(reg.OpenKey("Software\\Nobody", false));
    EXPECT_FALSE(reg.hasCurrentKey() && reg.ReadInteger("DeviceIndex"));
}

TEST_F(RegistryTest, SchemaIsReadableByOtherTools) {
    {
        Registry reg(path());
        ASSERT_TRUE(reg.OpenKey("Software\\A", true));
        reg.WriteString("Text", "hello");
        reg.WriteInteger("Number", 42);
    }
    EXPECT_EQ(Query("SELECT name FROM keys WHERE parent IS NULL"), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(Query("SELECT count(*) FROM keys WHERE parent IS NULL"), "1");
    EXPECT_EQ(Query("SELECT type || ':' || data FROM vals WHERE name = 'Text'"), "1:hello");
    EXPECT_EQ(Query("SELECT type || ':' || typeof(data) FROM vals WHERE name = 'Number'"), "4:integer");
}

TEST_F(RegistryTest, SubkeysListInOrderAndDeleteWithEverythingBelow) {
    Registry reg(path());
    ASSERT_TRUE(reg.OpenKey("Base\\Channels\\Channel2\\Deep", true));
    reg.WriteInteger("Inner", 1);
    ASSERT_TRUE(reg.OpenKey("Base\\Channels\\Channel1", true));
    reg.WriteInteger("Freq", 5);
    ASSERT_TRUE(reg.OpenKey("Base\\Channels", true));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Channel2", "Channel1"}));

    EXPECT_TRUE(reg.DeleteKey("CHANNEL2"));
    EXPECT_FALSE(reg.DeleteKey("Channel2"));
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"Channel1"});
    EXPECT_EQ(Query("SELECT count(*) FROM vals WHERE name = 'Inner'"), "0");
    EXPECT_EQ(Query("SELECT count(*) FROM keys WHERE name = 'Deep'"), "0");
    ASSERT_TRUE(reg.OpenKey("Base\\Channels\\Channel1", false));
    EXPECT_EQ(reg.ReadInteger("Freq"), 5);
}

TEST_F(RegistryTest, AnyTextSurvivesAReopen) {
    const std::string unicode = "Kanal \xc3\xa9\xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x93\xba";
    const std::string longText(100000, 'x');
    const std::string withNul("a\0b", 3);
    {
        Registry reg(path());
        ASSERT_TRUE(reg.OpenKey("K\\" + unicode, true));
        reg.WriteString("Name", unicode);
        reg.WriteString("Empty", "");
        reg.WriteString("Long", longText);
        reg.WriteString("Nul", withNul);
        reg.WriteString("", "empty value name");
        reg.WriteString(longText, "long value name");
    }
    Registry reg(path());
    ASSERT_TRUE(reg.OpenKey("K\\" + unicode, false));
    EXPECT_EQ(reg.ReadString("Name"), unicode);
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_FALSE(reg.ReadInteger("Empty")); // exists, but as text
    EXPECT_EQ(reg.ReadString("Long"), longText);
    EXPECT_EQ(reg.ReadString("Nul"), withNul);
    EXPECT_EQ(reg.ReadString(""), "empty value name");
    EXPECT_EQ(reg.ReadString(longText), "long value name");
}

TEST_F(RegistryTest, UncommittedTransactionIsDiscarded) {
    {
        Registry reg(path());
        reg.OpenKey("K", true);
        reg.WriteInteger("Kept", 1);
        ASSERT_TRUE(reg.BeginTransaction());
        reg.WriteInteger("Lost", 2);
        reg.WriteInteger("Kept", 3);
    }
    Registry reg(path());
    reg.OpenKey("K", false);
    EXPECT_EQ(reg.ReadInteger("Kept"), 1);
    EXPECT_FALSE(reg.ReadInteger("Lost"));
}

TEST_F(RegistryTest, NumberBeyondThirtyTwoBitsFromAnotherToolFails) {
    {
        Registry reg(path());
        reg.OpenKey("K", true);
        reg.WriteInteger("N", 1);
    }
    EXPECT_EQ(Query("UPDATE vals SET data = 4294967296 WHERE name = 'N' RETURNING data"), "4294967296");
    Registry reg(path());
    reg.OpenKey("K", false);
    EXPECT_FALSE(reg.ReadInteger("N"));
}

TEST_F(RegistryTest, UnusableFilesAreMovedAsideUntouched) {
    const std::string garbage = "this is not a database, just some text that a user saved here\n";
    WriteFile(path(), garbage);
    {
        Registry reg(path());
        ASSERT_TRUE(reg.isOpen());
        EXPECT_TRUE(reg.OpenKey("Fresh", true));
        EXPECT_TRUE(reg.WriteInteger("N", 1));
    }
    std::filesystem::path damaged = path();
    damaged += ".damaged";
    EXPECT_EQ(ReadFile(damaged), garbage);

    // An SQLite file with tables of another shape is not ours either; the first damaged file stays.
    std::filesystem::remove(path());
    Query("CREATE TABLE keys(x)");
    ASSERT_EQ(Query("SELECT count(*) FROM sqlite_schema"), "1");
    {
        Registry reg(path());
        ASSERT_TRUE(reg.OpenKey("Fresh", true));
        EXPECT_FALSE(reg.ReadInteger("N"));
    }
    std::filesystem::path second = path();
    second += ".damaged.1";
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_EQ(ReadFile(damaged), garbage);
}

TEST_F(RegistryTest, DamagedPagesAreDetected) {
    {
        Registry reg(path());
        reg.OpenKey("K", true);
        for (int i = 0; i < 2000; ++i) {
            reg.WriteString("Value" + std::to_string(i), std::string(100, 'v'));
        }
    }
    // Overwrite the middle of the file, past the header, as a failing disk would.
    std::string bytes = ReadFile(path());
    ASSERT_GT(bytes.size(), 20000u);
    for (std::size_t i = 8192; i < 16384; ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    WriteFile(path(), bytes);
    Registry reg(path());
    ASSERT_TRUE(reg.OpenKey("K", true));
    EXPECT_FALSE(reg.ReadInteger("Value1"));
    std::filesystem::path damaged = path();
    damaged += ".damaged";
    EXPECT_EQ(ReadFile(damaged), bytes);
}

TEST_F(RegistryTest, AFileLockedPastTheWaitIsLeftAsItIsAndReadsNothing) {
    {
        Registry reg(path());
        reg.OpenKey("K", true);
        reg.WriteInteger("N", 1);
    }
    FileHolder holder(path(), "BEGIN EXCLUSIVE");
    ASSERT_TRUE(holder.held());
    ReleasingClock clock(holder, 0);
    {
        Registry reg(path(), &clock);
        EXPECT_TRUE(reg.wasLocked());
        EXPECT_FALSE(reg.readEverything());
        EXPECT_FALSE(reg.OpenKey("K", true));
        EXPECT_FALSE(reg.WriteInteger("N", 2));
    }
    EXPECT_GE(clock.waitedMs, kRegistryBusyTimeoutMs) << "a held file is waited for before giving up";
    holder.release();
    std::filesystem::path damaged = path();
    damaged += ".damaged";
    EXPECT_FALSE(std::filesystem::exists(damaged)) << "a busy file is not a damaged one";
    Registry reg(path());
    EXPECT_FALSE(reg.wasLocked());
    ASSERT_TRUE(reg.OpenKey("K", false));
    EXPECT_EQ(reg.ReadInteger("N"), 1);
}

TEST_F(RegistryTest, ALockLetGoWithinTheWaitIsWaitedFor) {
    {
        Registry reg(path());
        reg.OpenKey("K", true);
        reg.WriteString("S", "kept");
    }
    FileHolder holder(path(), "BEGIN EXCLUSIVE");
    ASSERT_TRUE(holder.held());
    ReleasingClock clock(holder, 5);
    Registry reg(path(), &clock);
    EXPECT_FALSE(reg.wasLocked());
    ASSERT_TRUE(reg.OpenKey("K", false));
    EXPECT_EQ(reg.ReadString("S"), "kept");
    EXPECT_TRUE(reg.readEverything());
    EXPECT_EQ(clock.waits, 5);
}

TEST_F(RegistryTest, AReadThatMeetsALockFailsAndLaterReadsDoNotWaitAgain) {
    {
        Registry reg(path());
        reg.OpenKey("K", true);
        reg.WriteString("S", "text");
        reg.WriteInteger("N", 1);
    }
    FileHolder holder(path(), "BEGIN IMMEDIATE");
    ReleasingClock clock(holder, 0);
    Registry reg(path(), &clock);
    ASSERT_TRUE(reg.OpenKey("K", false));
    holder.release();
    FileHolder exclusive(path(), "BEGIN EXCLUSIVE");
    ASSERT_TRUE(exclusive.held());
    EXPECT_FALSE(reg.ReadString("S")) << "a value that could not be read is no empty text";
    const int waitsForFirstRead = clock.waits;
    EXPECT_GT(waitsForFirstRead, 0);
    EXPECT_FALSE(reg.ReadInteger("N"));
    EXPECT_TRUE(reg.GetKeyNames().empty());
    EXPECT_EQ(clock.waits, waitsForFirstRead) << "one wait per locked file, not one per value";
    EXPECT_FALSE(reg.readEverything());
}

TEST_F(RegistryTest, UnwritableLocationFailsEveryCall) {
    Registry reg("/proc/corvane-no-such-dir/registry.sqlite");
    EXPECT_FALSE(reg.isOpen());
    EXPECT_FALSE(reg.OpenKey("K", true));
    EXPECT_FALSE(reg.WriteInteger("N", 1));
    EXPECT_FALSE(reg.ReadString("N"));
    EXPECT_TRUE(reg.GetKeyNames().empty());
}

} // namespace

namespace {

// Restores one environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(RegistryPath, ExplicitFileThenConfigFolderThenHome) {
    ScopedEnv home("HOME", "/home/viewer");
    {
        ScopedEnv registry("CORVANE_REGISTRY", "/tmp/elsewhere.sqlite");
        ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(DefaultRegistryPath(), "/tmp/elsewhere.sqlite");
    }
    ScopedEnv registry("CORVANE_REGISTRY", nullptr);
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(DefaultRegistryPath(), "/cfg/Pellworth/Corvane/registry.sqlite");
    }
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
        ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(DefaultRegistryPath(), "/home/viewer/.config/Pellworth/Corvane/registry.sqlite");
    }
}

} // namespace
