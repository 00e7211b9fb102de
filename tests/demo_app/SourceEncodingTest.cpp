// How source files become the editor's text and back, without a window: the
// code page a declaration names, the round trip to the same bytes, and the
// refusal of characters a code page cannot hold.
#include <gtest/gtest.h>

#include <string>

#include "demo/editor/QvSourceEncoding.h"

namespace {

const std::string kDecl1251 = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n";

TEST(SourceEncoding, AFileIsConvertedWhenItsDeclaredCodePageGivesItsBytesBack) {
    const struct {
        std::string bytes;
        int codePage;
        std::string text;  // empty: the bytes themselves
        bool utf8;
    } cases[] = {
        {kDecl1251 + "<a>\xD1\xF7\xB8\xF2</a>", 1251, kDecl1251 + "<a>\xD0\xA1\xD1\x87\xD1\x91\xD1\x82</a>", true},
        {"<?xml version='1.0' encoding='KOI8-R'?><a>\xE1</a>", 20866,
         "<?xml version='1.0' encoding='KOI8-R'?><a>\xD0\x90</a>", true},
        {"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>\xE9</a>", 28591,
         "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>\xC3\xA9</a>", true},
        // 0x98 is no character of windows-1251: the file stays its bytes.
        {kDecl1251 + "<a>\x98</a>", 0, "", false},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\xD0\xA1</a>", 0, "", true},
        {"<a>\xE9</a>", 0, "", false},
        {"<a>plain</a>", 0, "", true},
        {"<?xml version=\"1.0\" encoding=\"utf-16\"?><a/>", 0, "", true},
        // In the table, but no converter on this platform.
        {"<?xml version=\"1.0\" encoding=\"x-iscii-de\"?><a>\xE9</a>", 0, "", false},
        // A byte-order mark says UTF-8 whatever the declaration says.
        {"\xEF\xBB\xBF" + kDecl1251 + "<a/>", 0, "", true},
    };
    for (const auto& c : cases) {
        const QvSourceText source = ReadSourceText(c.bytes);
        EXPECT_EQ(source.codePage, c.codePage) << c.bytes;
        EXPECT_EQ(source.text, c.text.empty() ? c.bytes : c.text) << c.bytes;
        EXPECT_EQ(source.utf8, c.utf8) << c.bytes;
        EXPECT_EQ(source.Converted(), c.codePage != 0) << c.bytes;
    }
    EXPECT_EQ(ReadSourceText(kDecl1251).encoding, "windows-1251");
}

TEST(SourceEncoding, AConvertedTextIsWrittenInTheCodePageItsDeclarationNamesNow) {
    const std::string utf8Decl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    const struct {
        std::string text;
        bool converted;
        std::string bytes;
        std::string error;  // a part of the message; empty: written
    } cases[] = {
        {kDecl1251 + "<a>\xD0\xA1\xD1\x87\xD1\x91\xD1\x82</a>", true, kDecl1251 + "<a>\xD1\xF7\xB8\xF2</a>", ""},
        // The user changed the declaration: the bytes follow it.
        {utf8Decl + "<a>\xD0\xA1</a>", true, utf8Decl + "<a>\xD0\xA1</a>", ""},
        {"<a>\xD0\xA1</a>", true, "<a>\xD0\xA1</a>", ""},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xD0\xA1</a>", true, "",
         "the character \"\xD0\xA1\" (U+0421) on line 1, column 49 cannot be written in code page 1252 "
         "(windows-1252), which the XML declaration names"},
        {kDecl1251 + "<a>\n  \xD0\xA1\xE6\xBC\xA2</a>", true, "",
         "the character \"\xE6\xBC\xA2\" (U+6F22) on line 3, column 4 cannot be written in code page 1251 "
         "(windows-1251)"},
        {kDecl1251 + "<a>\xF0\x9F\x90\x95</a>", true, "", "(U+1F415) on line 2, column 4"},
        {kDecl1251 + "<a>\xFF</a>", true, "", "the byte 0xFF on line 2, column 4 is not a character"},
        {"<?xml version=\"1.0\" encoding=\"windows-125\"?><a/>", true, "",
         "the XML declaration names the encoding \"windows-125\", which the editor cannot write"},
        {"<?xml version=\"1.0\" encoding=\"x-iscii-de\"?><a/>", true, "",
         "code page 57002 (x-iscii-de), which this system cannot convert"},
        // A text held as bytes is written as it stands, whatever it declares.
        {kDecl1251 + "<a>\xE6\xBC\xA2\x98</a>", false, kDecl1251 + "<a>\xE6\xBC\xA2\x98</a>", ""},
    };
    for (const auto& c : cases) {
        const QvSourceBytes bytes = WriteSourceText(c.text, c.converted);
        if (c.error.empty()) {
            EXPECT_TRUE(bytes.Ok()) << c.text << ": " << bytes.error;
            EXPECT_EQ(bytes.bytes, c.bytes) << c.text;
        } else {
            EXPECT_FALSE(bytes.Ok()) << c.text;
            EXPECT_NE(bytes.error.find(c.error), std::string::npos) << bytes.error;
            EXPECT_TRUE(bytes.bytes.empty()) << c.text;
        }
    }
}

TEST(SourceEncoding, PositionsCountLinesAndCharacters) {
    const std::string text = "ab\n\xD0\xA1\xD1\x87x\r\nz";
    EXPECT_EQ(LineAndColumn(text, 0), "line 1, column 1");
    EXPECT_EQ(LineAndColumn(text, 3), "line 2, column 1");
    EXPECT_EQ(LineAndColumn(text, 7), "line 2, column 3");  // after two Cyrillic letters
    EXPECT_EQ(LineAndColumn(text, 10), "line 3, column 1");
    EXPECT_EQ(LineAndColumn(text, 99), "line 3, column 2");
    EXPECT_TRUE(IsWellFormedUtf8("\xD0\xA1\xF0\x9F\x90\x95"));
    for (const char* bad : {"\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_FALSE(IsWellFormedUtf8(bad)) << bad;
}

}  // namespace
