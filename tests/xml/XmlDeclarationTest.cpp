#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "xml/XmlDeclaration.h"

namespace {

TEST(XmlDeclaration, TheEncodingOfADeclarationAtTheFirstByteLowerCased) {
    const struct {
        std::string bytes;
        std::optional<std::string> encoding;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<a/>", "windows-1251"},
        {"<?xml version='1.0' encoding='UTF-8' standalone='yes'?><a/>", "utf-8"},
        {"<?xml\r\n  version = \"1.0\"\tencoding = \"KOI8-R\" ?><a/>", "koi8-r"},
        // An external DTD's text declaration: no version needed.
        {"<?xml encoding=\"iso-8859-1\"?><!ELEMENT a EMPTY>", "iso-8859-1"},
        {"<?xml version=\"1.0\"?><a encoding=\"koi8-r\"/>", std::nullopt},
        {"<?xml version=\"1.0\" standalone=\"no\"?>", std::nullopt},
        {"<a/>", std::nullopt},
        {"", std::nullopt},
        // Not at the first byte: a byte-order mark or white space before it.
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1251\"?>", std::nullopt},
        {" <?xml version=\"1.0\" encoding=\"windows-1251\"?>", std::nullopt},
        // Other processing instructions and broken declarations.
        {"<?xml-stylesheet href=\"a.css\" encoding=\"koi8-r\"?>", std::nullopt},
        {"<?xml version=\"1.0\" encoding=\"windows-1251\"", std::nullopt},
        {"<?xml version=\"1.0\" encoding=windows-1251?>", std::nullopt},
        {"<?xml version=\"1.0\"encoding=\"windows-1251\"?>", std::nullopt},
        {"<?xml version=\"1.0\" encoding=\"windows-1251'?>", std::nullopt},
        {"<?xml version=\"1.0\" encoding=\"\"?>", ""},
        {"<?xml version=\"1.0\" " + std::string(2000, ' ') + "encoding=\"koi8-r\"?>", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(DeclaredEncoding(c.bytes), c.encoding) << c.bytes;
}

}  // namespace
