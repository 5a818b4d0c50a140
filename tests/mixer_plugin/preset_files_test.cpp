// SPDX-License-Identifier: GPL-2.0-or-later
#include "preset_files.h"
#include "preset_store.h"

#include "atomic_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace faderix;

namespace {

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void putLittleEndian(std::string& bytes, size_t offset, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A binary preset of `count` items whose item i has mixer 0, ID 10+i, action i+1, checked i%2, name "N<i>".
std::string binaryPreset(uint32_t count, size_t length) {
    std::string bytes(length, '\0');
    putLittleEndian(bytes, 0, count, 4);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = kBinaryHeaderSize + kBinaryItemStride * i;
        if (at + kBinaryItemSize > length) {
            break;
        }
        putLittleEndian(bytes, at + 4, 10 + i, 4);
        putLittleEndian(bytes, at + 8, i + 1, 2);
        putLittleEndian(bytes, at + 10, i % 2, 2);
        bytes.replace(at + 12, 2, "N" + std::to_string(i));
        bytes.replace(at + 80, 4, "JUNK"); // the unused tail of each record is ignored
    }
    return bytes;
}

class PresetFiles : public ::testing::Test {
protected:
    faderix_test::TempDir dir;
    faderix_test::TempDir stateDir;
    std::unique_ptr<VirtualMixerBackend> mixer =
        faderix_test::makeMixer(faderix_test::kTestMixer, stateDir.file("s.json"));
};

} // namespace

TEST_F(PresetFiles, BinaryItemsAreReadFromTheirOffsets) {
    writeBytes(dir.file("b.cfg"), binaryPreset(3, 4 + 140 * 3));
    const Preset preset = readPresetFile(dir.file("b.cfg"));
    ASSERT_EQ(preset.items.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(preset.items[i].controlId, 10 + i);
        EXPECT_EQ(preset.items[i].action, i + 1);
        EXPECT_EQ(preset.items[i].checked, i % 2);
        EXPECT_EQ(preset.items[i].name, "N" + std::to_string(i));
    }
}

TEST_F(PresetFiles, TruncatedOversizedAndNonBinaryHeaders) {
    writeBytes(dir.file("short.cfg"), binaryPreset(3, 4 + 140 + 10));
    const Preset truncated = readPresetFile(dir.file("short.cfg"));
    ASSERT_EQ(truncated.items.size(), 3u);
    EXPECT_EQ(truncated.items[0].controlId, 10u);
    EXPECT_EQ(truncated.items[1].mixer, 0u);
    EXPECT_EQ(truncated.items[1].controlId, 0u) << "the part beyond the end stays zero";

    std::string longName = binaryPreset(1, 4 + 140 + 5000);
    std::memset(longName.data() + 4 + 12, 'A', 64); // no NUL within the 64 name bytes
    writeBytes(dir.file("long.cfg"), longName);
    EXPECT_EQ(readPresetFile(dir.file("long.cfg")).items.at(0).name, std::string(63, 'A'));

    writeBytes(dir.file("ten.cfg"), binaryPreset(10, 2000));
    EXPECT_TRUE(readPresetFile(dir.file("ten.cfg")).items.empty()) << "a count of 10 is read as text";
    writeBytes(dir.file("empty.cfg"), "");
    EXPECT_TRUE(readPresetFile(dir.file("empty.cfg")).items.empty());
    EXPECT_TRUE(readPresetFile(dir.file("none.cfg")).items.empty());
}

TEST_F(PresetFiles, TextFormatRoundTripsAndMissingSectionsGiveZeroItems) {
    Preset preset;
    preset.items = {PresetItem{0, 5, 0x1A, 1, "0.Speakers.Recording Source"},
                    PresetItem{2, 70000, 65535, 0, ""}};
    const std::string path = dir.file("t.cfg");
    ASSERT_TRUE(writePresetFile(path, preset));
    EXPECT_EQ(readWholeFile(path),
              "[Setup]\r\nCount=2\r\n[Item1]\r\nMixer=0\r\nID=5\r\nAction=26\r\nChecked=1\r\n"
              "Name=0.Speakers.Recording Source\r\n[Item2]\r\nMixer=2\r\nID=70000\r\n"
              "Action=65535\r\nChecked=0\r\nName=\r\n");
    const Preset back = readPresetFile(path);
    ASSERT_EQ(back.items.size(), 2u);
    EXPECT_EQ(back.items[0].name, preset.items[0].name);
    EXPECT_EQ(back.items[1].controlId, 70000u);
    EXPECT_EQ(back.items[1].action, 65535u);

    writeBytes(path, "[Setup]\nCount=2\n[Item1]\nMixer=1\nID=3\nAction=65539\nChecked=junk\nName=" +
                         std::string(80, 'x'));
    const Preset partial = readPresetFile(path);
    ASSERT_EQ(partial.items.size(), 2u);
    EXPECT_EQ(partial.items[0].action, 3u) << "low 16 bits";
    EXPECT_EQ(partial.items[0].checked, 0u);
    EXPECT_EQ(partial.items[0].name.size(), 63u);
    EXPECT_EQ(partial.items[1].controlId, 0u);
    EXPECT_EQ(partial.items[1].name, "");

    ASSERT_TRUE(writePresetFile(path, Preset{}));
    EXPECT_EQ(readWholeFile(path), "[Setup]\r\nCount=0\r\n");
}

TEST_F(PresetFiles, HugeCountsAreTrustedOnlyAsFarAsItemSectionsGo) {
    writeBytes(dir.file("huge.cfg"),
               "[Setup]\nCount=4294967295\n[Item1]\nID=3\n[Item3]\nID=7\n[ItemX]\nID=9\n");
    const Preset preset = readPresetFile(dir.file("huge.cfg"));
    ASSERT_EQ(preset.items.size(), 3u);
    EXPECT_EQ(preset.items[2].controlId, 7u);
    writeBytes(dir.file("neg.cfg"), "[Setup]\nCount=-5\n");
    EXPECT_TRUE(readPresetFile(dir.file("neg.cfg")).items.empty());
    // A section numbered in the hundreds of millions beside the huge count reads no more than real ones.
    writeBytes(dir.file("far.cfg"), "[Setup]\nCount=4294967295\n[Item2]\nID=3\n[Item709551615]\nID=1\n");
    EXPECT_EQ(readPresetFile(dir.file("far.cfg")).items.size(), 2u);
}

TEST_F(PresetFiles, StoreIsCaseInsensitiveReadsOnceAndResolvesPaths) {
    writeBytes(dir.file("TV_Mute.cfg"), "[Setup]\nCount=2\n[Item1]\nID=99\nAction=3\nName=0.Line.In.Volume\n"
                                        "[Item2]\nID=3\nName=0.Speakers.Gone\n");
    writeBytes(dir.file("tv_mute.cfg"), "[Setup]\nCount=1\n");
    PresetStore store(dir.path(), *mixer);
    Preset& first = store.get("TV_Mute");
    ASSERT_EQ(first.items.size(), 2u);
    EXPECT_EQ(first.items[0].controlId, 6u);
    EXPECT_EQ(first.items[1].name, "0.Speakers.Mute");
    EXPECT_EQ(&store.get("tv_MUTE"), &first) << "one stored preset for both spellings";

    std::filesystem::remove(dir.file("TV_Mute.cfg"));
    EXPECT_EQ(store.get("TV_Mute").items.size(), 2u) << "served from memory after the first read";
    EXPECT_EQ(store.size(), 1u);
}

TEST_F(PresetFiles, UnsafeNamesNeverReachAFile) {
    faderix_test::TempDir outside;
    writeBytes(outside.file("evil.cfg"), "[Setup]\nCount=1\n[Item1]\nID=3\n");
    const std::string relative = "../" + std::filesystem::path(outside.path()).filename().string() + "/evil";
    PresetStore store(dir.path(), *mixer);
    for (const std::string& name : {relative, std::string("a/b"), std::string("a\\b"), std::string(".."),
                                    std::string(""), std::string("x\0y", 3)}) {
        EXPECT_FALSE(isSafePresetName(name)) << name;
        EXPECT_TRUE(store.get(name).items.empty()) << name;
        Preset preset;
        preset.items.resize(1);
        EXPECT_FALSE(store.save(name, preset)) << name;
    }
    EXPECT_EQ(readWholeFile(outside.file("evil.cfg")), "[Setup]\nCount=1\n[Item1]\nID=3\n");
    EXPECT_TRUE(isSafePresetName("Radio_Unmute"));
    EXPECT_TRUE(isSafePresetName("a.b"));
}

TEST_F(PresetFiles, EnumeratesInNameOrderAndTruncatesLikeStrncpy) {
    for (const char* name : {"TV_Mute.cfg", "Radio_Unmute.cfg", "Radio_Mute.CFG", "notes.txt", "a.b.cfg"}) {
        writeBytes(dir.file(name), "");
    }
    std::filesystem::create_directory(dir.file("Folder.cfg"));
    std::vector<std::string> names;
    char buffer[64];
    for (int32_t i = 0; enumActionPreset(dir.path() + "/", i, buffer, sizeof buffer) == 1; ++i) {
        names.push_back(buffer);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Folder", "Radio_Unmute", "TV_Mute", "a.b"}))
        << "Radio_Mute.CFG is not the file that preset Radio_Mute reads";

    char small[12];
    std::memset(small, 'Q', sizeof small);
    ASSERT_EQ(enumActionPreset(dir.path() + "/", 1, small, 8), 1);
    EXPECT_STREQ(small, "Radio_U");
    EXPECT_EQ(small[8], 'Q') << "nothing past bufferSize is written";
    std::memset(small, 'Q', sizeof small);
    ASSERT_EQ(enumActionPreset(dir.path() + "/", 3, small, 12), 1);
    EXPECT_EQ(std::string(small, 12), std::string("a.b\0\0\0\0\0\0\0\0\0", 12)) << "NUL-padded";

    std::memset(small, 'Q', sizeof small);
    EXPECT_EQ(enumActionPreset(dir.path() + "/", 4, small, 8), 0);
    EXPECT_EQ(small[0], 'Q');
    EXPECT_EQ(enumActionPreset(dir.path() + "/", 0, nullptr, 8), 0);
    EXPECT_EQ(enumActionPreset(dir.path() + "/", 0, small, 0), 0);
    EXPECT_EQ(enumActionPreset(dir.path() + "/", -1, small, 8), 0);
    EXPECT_EQ(enumActionPreset(dir.file("missing/"), 0, small, 8), 0);
}
