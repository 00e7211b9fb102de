#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <set>
#include <string>

#include "XmlTestFiles.h"
#include "platform/CodePages.h"
#include "support/TestScratchDir.h"
#include "xml/CodePageTable.h"
#include "xml/XmlNav.h"

namespace {

using qvtest::Fixture;
using qvtest::LoadError;
using qv::test::ScratchDir;

std::string Declared(const std::string& encoding, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n" + body;
}

std::string Utf8(char16_t unit) {
    std::string out;
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
    return out;
}

// UTF-8 text back into a code page, by the C library's converter directly: a
// second reader of what the loader made of the bytes.
std::optional<std::string> FromUtf8(int codePage, const std::string& text) {
    const iconv_t cd = iconv_open(qv::platform::IconvNameForCodePage(codePage), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

bool IsEbcdic(std::string_view name) {
    return name.find("ebcdic") != std::string_view::npos || name == "cp870" || name == "cp1026";
}

TEST(Encoding, DeclaredEncodingsThatLoad) {
    ScratchDir dir;
    struct Case {
        const char* declared;
        std::string bodyBytes;  // the root's text as stored in the file
        std::string utf8Text;   // and as the document holds it
        int codePage;
        int family;
    } cases[] = {
        {"utf-8", "caf\xC3\xA9", "caf\xC3\xA9", 65001, 1200},
        {"UTF-8", "x", "x", 65001, 1200},
        {"Utf-8", "x", "x", 65001, 1200},
        {"us-ascii", "plain", "plain", 20127, 1252},
        {"ISO-8859-1", "caf\xE9", "caf\xC3\xA9", 28591, 1252},
        // The windows- pages go through our own byte map; their text is UTF-8 now.
        {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет", 65001, 1200},
        {"WINDOWS-1251", "\xC0\xFF", "Ая", 65001, 1200},
        {"windows-1252", "\x80 5", "€ 5", 65001, 1200},
        {"windows-874", "\xA1", "\xE0\xB8\x81", 65001, 1200},
        // Pages whose converter holds a letter back until it knows whether a
        // combining mark follows: shin, shin dot, qamats, lamed, vav, holam,
        // final mem; H, a grave, N, o circumflex, dot below, i.
        {"windows-1255", "\xF9\xD1\xC8\xEC\xE5\xC9\xED", "\u05E9\u05C1\u05B8\u05DC\u05D5\u05B9\u05DD", 65001, 1200},
        {"windows-1258", "H\xE0 N\xF4\xF2i", "H\u00E0 N\u00F4\u0323i", 65001, 1200},
        {"windows-1258", "plain", "plain", 65001, 1200},
        // The other pages of the table go through the same byte map.
        {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", "Привет", 65001, 1200},
        {"cp866", "\x8F\xE0\xA8\xA2\xA5\xE2", "Привет", 65001, 1200},
        {"iso-8859-5", "\xBF\xE0\xD8\xD2\xD5\xE2", "Привет", 65001, 1200},
        {"iso-8859-15", "\xA4", "€", 65001, 1200},
        // Double-byte pages too; a trail byte may be an ASCII one ("{" here).
        {"shift_jis", "\x93\xFA\x96\x7B", "日本", 65001, 1200},
        {"gb2312", "\xD6\xD0\xCE\xC4", "中文", 65001, 1200},
        {"big5", "\xA4\xA4\xA4\xE5", "中文", 65001, 1200},
        {"ks_c_5601-1987", "\xC7\xD1\xB1\xB9", "한국", 65001, 1200},
    };
    for (const Case& c : cases) {
        const std::string path =
            dir.Write("enc.xml", Declared(c.declared, "<r a='" + c.bodyBytes + "'>" + c.bodyBytes + "</r>"));
        CqvXmlDocument document;
        ASSERT_NO_THROW(document.Load(path)) << c.declared;
        EXPECT_EQ(*qv::xml::ElementText(document.RootElement()), c.utf8Text) << c.declared;
        EXPECT_EQ(*qv::xml::AttributeByName(document.RootElement(), "a"), c.utf8Text);
        EXPECT_EQ(document.CodePage(), c.codePage) << c.declared;
        EXPECT_EQ(document.CodePageEntryPtr()->codePage, c.codePage) << c.declared;
        EXPECT_EQ(document.CodePageEntryPtr()->family, c.family) << c.declared;
    }
}

TEST(Encoding, WithoutAnEncodingTheDocumentIsUtf8) {
    ScratchDir dir;
    CqvXmlDocument fresh;
    EXPECT_EQ(fresh.CodePage(), 65001);
    ASSERT_NE(fresh.CodePageEntryPtr(), nullptr);
    EXPECT_EQ(fresh.CodePageEntryPtr()->name, "utf-8");

    CqvXmlDocument document;
    document.Load(dir.Write("latin.xml", Declared("iso-8859-1", "<r/>")));
    ASSERT_EQ(document.CodePage(), 28591);
    // Every load starts from UTF-8 again.
    document.Load(dir.Write("none.xml", "<r/>"));
    EXPECT_EQ(document.CodePage(), 65001);
    document.Load(dir.Write("version.xml", "<?xml version='1.0'?><r/>"));
    EXPECT_EQ(document.CodePage(), 65001);
    EXPECT_EQ(document.CodePageEntryPtr()->family, 1200);
}

TEST(Encoding, RefusedEncodings) {
    ScratchDir dir;
    struct Case {
        const char* declared;
        std::string message;  // "<path>" stands for the file's path
        int codePageAfter;    // what the failed document carries
    } cases[] = {
        {"utf-16", "Unsupported code page - 'utf-16'", 65001},
        {"windows-1249", "Unsupported code page - 'windows-1249'", 65001},
        // A page that does not keep ASCII where it is cannot carry markup.
        {"x-ebcdic-uk", "In file '<path>' \nunknown encoding at line 1 char 30", 20285},
        // The C library's johab has a won sign where ASCII has its backslash.
        {"johab", "In file '<path>' \nunknown encoding at line 1 char 30", 1361},
        {"utf-7", "In file '<path>' \nunknown encoding at line 1 char 30", 65000},
        {"iso-2022-jp", "In file '<path>' \nunknown encoding at line 1 char 30", 50220},
        // In the table, but no converter exists for the ISCII pages here.
        {"x-iscii-de", "Not valid code page - '57002'", 57002},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("enc.xml", Declared(c.declared, "<r>text</r>"));
        std::string expected = c.message;
        if (const size_t at = expected.find("<path>"); at != std::string::npos) expected.replace(at, 6, path);
        CqvXmlDocument document;
        EXPECT_EQ(LoadError(document, path), expected) << c.declared;
        EXPECT_EQ(document.CodePage(), c.codePageAfter) << c.declared;
        // The declaration comes before any element.
        EXPECT_EQ(document.RootElement(), nullptr) << c.declared;
    }
}

// Every single-byte page of the table that this platform converts: a file
// holding each byte the page defines loads as that byte's character, and the
// loaded text converts back to the same bytes.
TEST(Encoding, EverySingleBytePageRoundTripsItsDefinedBytes) {
    ScratchDir dir;
    std::set<std::string_view> loaded, seen;
    for (const CodePageEntry& entry : CodePageTable()) {
        if (!seen.insert(entry.name).second) continue;  // a lookup never reaches it
        const auto info = qv::platform::GetCodePageInfo(entry.codePage);
        if (!info || info->maxCharSize != 1) continue;
        std::string bytes, utf8;
        for (int byte = 0x80; byte < 0x100; ++byte) {
            const char single = static_cast<char>(byte);
            const auto wide = qv::platform::MultiByteToUtf16(entry.codePage, std::string_view(&single, 1));
            if (!wide) continue;
            ASSERT_EQ(wide->size(), 1u) << entry.name << " byte " << byte;
            bytes += single;
            utf8 += Utf8((*wide)[0]);
        }
        const std::string path =
            dir.Write("page.xml", Declared(std::string(entry.name), "<r a='A" + bytes + "'>z" + bytes + "</r>"));
        CqvXmlDocument document;
        if (IsEbcdic(entry.name)) {
            EXPECT_EQ(LoadError(document, path), "In file '" + path + "' \nunknown encoding at line 1 char 30")
                << entry.name;
            continue;
        }
        ASSERT_NO_THROW(document.Load(path)) << entry.name;
        loaded.insert(entry.name);
        const std::string& text = *qv::xml::ElementText(document.RootElement());
        EXPECT_EQ(text, "z" + utf8) << entry.name;
        EXPECT_EQ(*qv::xml::AttributeByName(document.RootElement(), "a"), "A" + utf8) << entry.name;
        EXPECT_EQ(FromUtf8(entry.codePage, text), "z" + bytes) << entry.name;
    }
    for (const CodePageEntry& entry : CodePageTable()) {
        if (entry.name.starts_with("windows-")) {
            EXPECT_TRUE(loaded.contains(entry.name)) << entry.name;
        }
    }
    // Debian's C library converts 39 ASCII-based single-byte pages of the table
    // (the Mac Arabic, Greek, Hebrew and Turkish pages, dos-720, x-europa and
    // the IA5 pages it cannot convert at all).
    EXPECT_GE(loaded.size(), 39u);
}

TEST(Encoding, BytesUndefinedInAWindowsPageFailTheLoad) {
    ScratchDir dir;
    // 0x81 has no character in windows-1252.
    const std::string path = dir.Write("bad.xml", Declared("windows-1252", "<r>a\x81</r>"));
    EXPECT_EQ(LoadError(path).rfind("In file '" + path + "' \n", 0), 0u);
}

TEST(Encoding, TheLastTextDeclarationReadWins) {
    CqvXmlDocument document;
    document.Load(Fixture("utf8_with_latin1_dtd.xml"));
    EXPECT_EQ(document.CodePage(), 28591);
    EXPECT_EQ(document.CodePageEntryPtr()->family, 1252);
    // The DTD's entity was read as ISO-8859-1 and arrives as UTF-8.
    EXPECT_EQ(*qv::xml::ElementText(document.RootElement()), "\xC3\xA9t\xC3\xA9");
}

}  // namespace
