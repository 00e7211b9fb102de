#include <gtest/gtest.h>

#include <string>

#include "XmlTestFiles.h"
#include "support/TestScratchDir.h"
#include "xml/XmlNav.h"

namespace {

using qvtest::Fixture;
using qvtest::LoadError;
using qv::test::ScratchDir;

std::string Declared(const std::string& encoding, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n" + body;
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
    };
    for (const Case& c : cases) {
        const std::string path =
            dir.Write("enc.xml", Declared(c.declared, "<r a='" + c.bodyBytes + "'>" +
                                                          c.bodyBytes + "</r>"));
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
        {"KOI8-R", "In file '<path>' \nunknown encoding at line 1 char 30", 20866},
        {"utf-7", "In file '<path>' \nunknown encoding at line 1 char 30", 65000},
        {"iso-2022-jp", "In file '<path>' \nunknown encoding at line 1 char 30", 50220},
        // In the table, but no converter exists for the ISCII pages here.
        {"x-iscii-de", "Not valid code page - '57002'", 57002},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("enc.xml", Declared(c.declared, "<r>text</r>"));
        std::string expected = c.message;
        if (const size_t at = expected.find("<path>"); at != std::string::npos)
            expected.replace(at, 6, path);
        CqvXmlDocument document;
        EXPECT_EQ(LoadError(document, path), expected) << c.declared;
        EXPECT_EQ(document.CodePage(), c.codePageAfter) << c.declared;
        // The declaration comes before any element.
        EXPECT_EQ(document.RootElement(), nullptr) << c.declared;
    }
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
