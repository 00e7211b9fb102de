#include <gtest/gtest.h>

#include <string>

#include "xml/CodePageTable.h"

namespace {

TEST(CodePageTable, HoldsAllRowsInStoredOrder) {
    const auto table = CodePageTable();
    ASSERT_EQ(table.size(), 117u);
    struct Row {
        size_t number;  // counted from 1
        const char* name;
        int32_t codePage;
        int32_t family;
    } rows[] = {
        {1, "asmo-708", 708, 1256},
        {21, "cp866", 866, 1251},
        {26, "windows-1251", 1251, 1251},
        {39, "x-ebcdic-arabic", 20420, 1256},
        {40, "x-ebcdic-cyrillicrussian", 20880, 1251},
        {45, "x-ebcdic-finlandsweden-euro", 1143, 1252},
        {46, "x-ebcdic-finlandsweden-euro", 1143, 1252},
        {58, "x-ebcdic-japaneseandkana", 50930, 932},
        {78, "x-iscii-as", 57006, 57006},
        {79, "x-iscii-be", 57003, 57003},
        {89, "iso-2022-jp", 50220, 932},
        {90, "iso-2022-jp", 50222, 932},
        {91, "csiso2022jp", 50221, 932},
        {104, "windows-874", 874, 874},
        {109, "utf-7", 65000, 1200},
        {110, "utf-8", 65001, 1200},
        {115, "iso-8859-1", 28591, 1252},
        {117, "windows-1252", 1252, 1252},
    };
    for (const Row& row : rows) {
        const CodePageEntry& entry = table[row.number - 1];
        EXPECT_EQ(entry.name, row.name) << row.number;
        EXPECT_EQ(entry.codePage, row.codePage) << row.number;
        EXPECT_EQ(entry.family, row.family) << row.number;
    }
}

TEST(CodePageTable, NamesAreLowerCaseAndOnlyTwoRepeat) {
    const auto table = CodePageTable();
    int repeated = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        for (char c : table[i].name) EXPECT_FALSE(c >= 'A' && c <= 'Z') << table[i].name;
        if (FindCodePageEntry(table[i].name) != &table[i]) ++repeated;
    }
    EXPECT_EQ(repeated, 2);
}

TEST(FindCodePageEntry, YieldsTheFirstRowOfAName) {
    const auto table = CodePageTable();
    EXPECT_EQ(FindCodePageEntry("iso-2022-jp"), &table[88]);
    EXPECT_EQ(FindCodePageEntry("iso-2022-jp")->codePage, 50220);
    EXPECT_EQ(FindCodePageEntry("x-ebcdic-finlandsweden-euro"), &table[44]);
    EXPECT_EQ(FindCodePageEntry("utf-8")->codePage, 65001);
    // The lookup itself does not fold case.
    EXPECT_EQ(FindCodePageEntry("UTF-8"), nullptr);
    EXPECT_EQ(FindCodePageEntry("utf-16"), nullptr);
    EXPECT_EQ(FindCodePageEntry(""), nullptr);
}

TEST(CharsetForCodePage, MapsTheWindowsPagesAndDefaultsToOne) {
    struct Case {
        int32_t codePage;
        int32_t charset;
    } cases[] = {
        {874, 222},  {932, 128},  {936, 134},  {949, 129},  {950, 136},  {1250, 238}, {1251, 204},
        {1252, 0},   {1253, 161}, {1254, 162}, {1255, 177}, {1256, 178}, {1257, 186}, {1258, 163},
        {1361, 130}, {65001, 1},  {28591, 1},  {0, 1},      {-1, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(CharsetForCodePage(c.codePage), c.charset) << c.codePage;
}

}  // namespace
