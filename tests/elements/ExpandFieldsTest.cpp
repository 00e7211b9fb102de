#include <gtest/gtest.h>

#include <string>

#include "elements/ExpandFields.h"
#include "ItemTestSupport.h"
#include "xml/CqvDataDocument.h"
#include "xml/FindElementByPath.h"

namespace {

class ExpandFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_document.Load(qvitems::Fixture("fields.xml"));
        m_shop = m_document.RootElement();
        ASSERT_TRUE(m_shop);
    }

    QvDataElement Element(const std::string& path) { return FindElementByPath(m_shop, path); }

    CqvDataDocument m_document;
    QvDataElement m_shop;
};

TEST_F(ExpandFieldsTest, PlaceholdersExpandByName) {
    struct Case {
        std::string text;
        uint32_t page;
        std::string dataPath;  // empty: the shop element
        std::string expected;
        bool hasPageCount;
    };
    const Case cases[] = {
        {"Page [%qv_curpage%] of [%qv_pages%]", 3, "", "Page 3 of [%qv_pages%]", true},
        {"Total: [%qv_curpage", 1, "", "Total: [%qv_curpage", false},
        {"[%qv_curpage%] pages.", 2, "", "2 pages.", false},
        {"a[%%]b", 1, "", "ab", false},
        {"[%.%]", 1, "item", "Leash", false},
        {"[%./%]", 1, "item", "Leash", false},
        {"[%nosuch%]", 1, "", "???", false},
        {"[%item@nosuch%]", 1, "", "", false},
        {"[%QV_PAGES%]", 1, "", "???", false},
        {"[%item@code%]-[%@kind%]", 1, "", "A1-pets", false},
        {"[%box/item%] [%box/item@code%]", 1, "", "Bowl B2", false},
        {"[%./@code%]", 1, "item", "A1", false},
        // A later "[%" without its "%]" stays, after what was expanded.
        {"p[%qv_curpage%] [%item", 12, "", "p12 [%item", false},
        // A "%]" ends the name at its first occurrence.
        {"[%qv_curpage%]%]", 4, "", "4%]", false},
        {"[%qv_pages%]/[%qv_pages%]", 1, "", "[%qv_pages%]/[%qv_pages%]", true},
        {"", 1, "", "", false},
        {"plain text, 100% sure", 1, "", "plain text, 100% sure", false},
        // Values are inserted as they are, not expanded again.
        {"[%box/item@label%]", 9, "", "[%@code%]", false},
    };
    for (const Case& c : cases) {
        const QvDataElement data = c.dataPath.empty() ? m_shop : Element(c.dataPath);
        const QvExpandedText out = ExpandFields(c.text, c.page, data);
        EXPECT_EQ(out.text, c.expected) << c.text;
        EXPECT_EQ(out.hasPageCount, c.hasPageCount) << c.text;
    }
}

TEST_F(ExpandFieldsTest, WithoutADataElementEveryDataPathIsMissing) {
    EXPECT_EQ(ExpandFields("[%.%]|[%@kind%]|[%item%]|[%qv_curpage%]", 5, nullptr).text, "???|???|???|5");
}

// Bound texts expand their value against the element their path found.
TEST_F(ExpandFieldsTest, FindDataValueNamesTheElementItFound) {
    EXPECT_EQ(FindDataValue(m_shop, "box/item@code").element, Element("box/item"));
    EXPECT_EQ(FindDataValue(m_shop, "empty@code").element, Element("empty"));
    EXPECT_EQ(FindDataValue(m_shop, "@kind").element, m_shop);
    EXPECT_FALSE(FindDataValue(m_shop, "box/nosuch@code").element);
}

// Arbitrary mixtures of markers, names and text never crash, and a text without
// any "[%" comes back unchanged.
TEST_F(ExpandFieldsTest, MarkerSoupIsSafe) {
    const std::string pieces[] = {"[%", "%]", "[", "%", "]", "qv_pages", "qv_curpage", "item", "@code", "x", " "};
    uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int k = 0; k < 8; ++k) {
            seed = seed * 1103515245u + 12345u;
            text += pieces[(seed >> 16) % std::size(pieces)];
        }
        const QvExpandedText out = ExpandFields(text, 7, m_shop);
        if (text.find("[%") == std::string::npos) {
            EXPECT_EQ(out.text, text);
        }
        if (out.hasPageCount) {
            EXPECT_NE(out.text.find("[%qv_pages%]"), std::string::npos) << text;
        }
    }
}

}  // namespace
