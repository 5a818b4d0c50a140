// SPDX-License-Identifier: GPL-2.0-or-later
#include "ini_file.h"

#include "atomic_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

using faderix::IniFile;
using faderix::parseProfileInt;

TEST(IniFile, NamesIgnoreCaseValuesAreTrimmedAndUnquoted) {
    const IniFile ini = IniFile::parse("; comment\r\n"
                                       "junk line without equals\r\n"
                                       "  [ Setup ]  \r\n"
                                       "  Count =  3 \r\n"
                                       "Name=\"  quoted  \"\r\n"
                                       "Single='x'\r\n"
                                       "Mixed=\"only one\r\n"
                                       "count=99\r\n"
                                       "[setup]\r\n"
                                       "Extra=1\r\n");
    EXPECT_EQ(ini.getInt("SETUP", "count", 7), 3u) << "the first occurrence of a key counts";
    EXPECT_EQ(ini.getString("setup", "NAME", ""), "  quoted  ");
    EXPECT_EQ(ini.getString("Setup", "Single", ""), "x");
    EXPECT_EQ(ini.getString("Setup", "Mixed", ""), "\"only one");
    EXPECT_EQ(ini.getInt("Setup", "Extra", 0), 1u) << "a repeated section continues the first";
    EXPECT_EQ(ini.getInt("Setup", "Missing", 42), 42u);
    EXPECT_EQ(ini.getInt("Other", "Count", 5), 5u);
}

TEST(IniFile, IntegersReadLikeTheProfileFunctions) {
    EXPECT_EQ(parseProfileInt("123abc"), 123u);
    EXPECT_EQ(parseProfileInt("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(parseProfileInt("+17"), 17u);
    EXPECT_EQ(parseProfileInt("4294967297"), 1u) << "wraps modulo 2^32";
    EXPECT_EQ(parseProfileInt("abc"), 0u);
    EXPECT_EQ(parseProfileInt(""), 0u);
    EXPECT_EQ(parseProfileInt("0x10"), 0u);
    const IniFile ini = IniFile::parse("[S]\nEmpty=\nText=abc\n");
    EXPECT_EQ(ini.getInt("S", "Empty", 9), 0u) << "the default is only for a missing key";
    EXPECT_EQ(ini.getInt("S", "Text", 9), 0u);
}

TEST(IniFile, WritesCrlfLinesInOrderAndReplacesTheFileWhole) {
    faderix_test::TempDir dir;
    IniFile ini;
    ini.set("Setup", "Count", "2");
    ini.set("Item1", "Name", "0.Master.Volume");
    ini.set("setup", "COUNT", "1");
    EXPECT_EQ(ini.text(), "[Setup]\r\nCount=1\r\n[Item1]\r\nName=0.Master.Volume\r\n");

    const std::vector<std::string> awkwardValues = {" padded ", "\"quoted\"", "'single'",
                                                    "plain \"inner\" text"};
    IniFile awkward;
    for (size_t i = 0; i < awkwardValues.size(); ++i) {
        awkward.set("S", "Key" + std::to_string(i), awkwardValues[i]);
    }
    const IniFile reread = IniFile::parse(awkward.text());
    for (size_t i = 0; i < awkwardValues.size(); ++i) {
        EXPECT_EQ(reread.getString("S", "Key" + std::to_string(i), "?"), awkwardValues[i])
            << "survives a round trip";
    }
    awkward.set("S", "Broken", "two\r\nlines");
    EXPECT_EQ(IniFile::parse(awkward.text()).getString("S", "Broken", ""), "two  lines");

    const std::string path = dir.file("x.cfg");
    ASSERT_TRUE(faderix::writeFileAtomically(path, std::string(5000, 'z')));
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(faderix::readWholeFile(path), ini.text());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "no temporary file left";
    EXPECT_FALSE(ini.save(dir.file("missing-folder/x.cfg")));
}
