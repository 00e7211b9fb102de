#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "XmlTestFiles.h"
#include "support/TestScratchDir.h"
#include "xml/CqvDataDocument.h"
#include "xml/DataNav.h"
#include "xml/FindElementByPath.h"
#include "xml/XmlNav.h"

namespace {

using namespace qv::xml;
using qv::test::ScratchDir;

class Navigation : public testing::Test {
protected:
    void SetUp() override {
        const std::string path = m_dir.Write("nav.xml",
                                             "<root>"
                                             "<a id='1'><b id='1.1'/></a>"
                                             "<a id='2'><b id='2.1'><c id='2.1.1'/></b></a>"
                                             "<Case/>"
                                             "<n v12='12abc' neg=' -7' letters='abc' plus='+42' big='99999999999' "
                                             "  small='-99999999999' empty=''/>"
                                             "</root>");
        m_document.Load(path);
        m_root = m_document.RootElement();
        ASSERT_NE(m_root, nullptr);
        m_data.Load(path);
        m_dataRoot = m_data.RootElement();
        ASSERT_TRUE(m_dataRoot);
    }

    std::string IdAt(const std::string& path) const {
        const TiXmlElement* found = FindElementByPath(m_root, path);
        if (!found) return "<none>";
        const std::string* id = AttributeByName(found, "id");
        return id ? *id : found->ValueStr();
    }
    // The same lookup in the file loaded as data.
    std::string DataIdAt(const std::string& path) const {
        const QvDataElement found = FindElementByPath(m_dataRoot, path);
        if (!found) return "<none>";
        return std::string(AttributeByName(found, "id").value_or(*ElementName(found)));
    }

    ScratchDir m_dir;
    CqvXmlDocument m_document;
    const TiXmlElement* m_root = nullptr;
    CqvDataDocument m_data;
    QvDataElement m_dataRoot;
};

TEST_F(Navigation, FindElementByPathFollowsOnlyTheFirstMatch) {
    struct Case {
        const char* path;
        const char* found;
    } cases[] = {
        {"a", "1"},
        {"a/b", "1.1"},
        // No backtracking: the first <a> has no <b><c>, the second is never tried.
        {"a/b/c", "<none>"},
        {"a/", "1"},
        {"a/b/", "1.1"},
        {"", "<none>"},
        {"/a", "<none>"},
        {"a//b", "<none>"},
        {"root", "<none>"},  // the start node's own name is not part of the path
        {"case", "<none>"},
        {"Case", "Case"},
        {"missing/a", "<none>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IdAt(c.path), c.found) << '"' << c.path << '"';
        EXPECT_EQ(DataIdAt(c.path), c.found) << "data: \"" << c.path << '"';
    }
    EXPECT_FALSE(FindElementByPath(QvDataElement(), "a"));
    EXPECT_EQ(FindElementByPath(static_cast<const TiXmlNode*>(nullptr), "a"), nullptr);
    // From the document node the root's name is the first segment.
    EXPECT_EQ(FindElementByPath(&m_document, "root/a/b"), FirstChildElement(FirstChildElement(m_root)));
}

TEST_F(Navigation, AttributeIntegersFollowAtoi) {
    const TiXmlElement* n = FirstChildElement(m_root, "n");
    struct Case {
        const char* name;
        int32_t value;
    } cases[] = {
        {"v12", 12}, {"neg", -7}, {"letters", 0}, {"plus", 42}, {"big", INT32_MAX}, {"small", INT32_MIN}, {"empty", 0},
    };
    const QvDataElement dataN = FirstChildElement(m_dataRoot, "n");
    for (const Case& c : cases) {
        int32_t value = 12345;
        ASSERT_NE(AttributeByName(n, c.name, &value), nullptr) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        value = 12345;
        ASSERT_TRUE(AttributeByName(dataN, c.name, &value)) << c.name;
        EXPECT_EQ(value, c.value) << "data: " << c.name;
    }
    // An absent attribute gives none and stores 0.
    int32_t value = 12345;
    EXPECT_EQ(AttributeByName(n, "absent", &value), nullptr);
    EXPECT_EQ(value, 0);
    // Names compare case-sensitively.
    EXPECT_EQ(AttributeByName(n, "V12"), nullptr);

    const TiXmlAttribute* first = FirstAttribute(n);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*AttributeName(first), "v12");
    EXPECT_EQ(AttributeInt(first), 12);
    EXPECT_EQ(*AttributeName(NextAttribute(first)), "neg");
}

TEST_F(Navigation, ChildAndSiblingElementsSkipTheTextNode) {
    const TiXmlElement* first = FirstChildElement(m_root);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*ElementName(first), "a");
    EXPECT_EQ(*AttributeByName(NextSiblingElement(first), "id"), "2");
    EXPECT_EQ(*ElementName(NextSiblingElement(first, "Case")), "Case");
    EXPECT_EQ(NextSiblingElement(first, "case"), nullptr);
    EXPECT_EQ(FirstChildElement(m_root, "n"), NextSiblingElement(first, "n"));

    const QvDataElement dataFirst = FirstChildElement(m_dataRoot);
    EXPECT_EQ(ElementName(dataFirst), "a");
    EXPECT_EQ(AttributeByName(NextSiblingElement(dataFirst), "id"), "2");
    EXPECT_EQ(ElementName(NextSiblingElement(dataFirst, "Case")), "Case");
    EXPECT_FALSE(NextSiblingElement(dataFirst, "case"));
    EXPECT_FALSE(NextSiblingElement(dataFirst, "nosuchname"));
    EXPECT_EQ(FirstChildElement(m_dataRoot, "n"), NextSiblingElement(dataFirst, "n"));
}

TEST(NavigationOnNull, EveryOperationAnswersNone) {
    EXPECT_EQ(FirstChildElement(nullptr), nullptr);
    EXPECT_EQ(FirstChildElement(nullptr, "a"), nullptr);
    EXPECT_EQ(NextSiblingElement(nullptr), nullptr);
    EXPECT_EQ(NextSiblingElement(nullptr, "a"), nullptr);
    EXPECT_EQ(FirstAttribute(nullptr), nullptr);
    EXPECT_EQ(NextAttribute(nullptr), nullptr);
    EXPECT_EQ(AttributeName(nullptr), nullptr);
    EXPECT_EQ(AttributeValue(nullptr), nullptr);
    EXPECT_EQ(AttributeInt(nullptr), 0);
    EXPECT_EQ(AttributeByName(nullptr, "a"), nullptr);
    EXPECT_EQ(ElementText(nullptr), nullptr);
    EXPECT_EQ(ElementName(nullptr), nullptr);

    const QvDataElement none;
    EXPECT_FALSE(FirstChildElement(none));
    EXPECT_FALSE(FirstChildElement(none, "a"));
    EXPECT_FALSE(NextSiblingElement(none));
    EXPECT_FALSE(NextSiblingElement(none, "a"));
    EXPECT_EQ(AttributeCount(none), 0u);
    EXPECT_EQ(AttributeName(none, 0), std::nullopt);
    EXPECT_EQ(AttributeValue(none, 0), std::nullopt);
    EXPECT_EQ(AttributeByName(none, "a"), std::nullopt);
    EXPECT_EQ(ElementText(none), std::nullopt);
    EXPECT_EQ(ElementName(none), std::nullopt);
}

TEST(ElementText, IsNoneUnlessTheFirstChildIsText) {
    // A tree built by hand, not by the loader: the text node comes second.
    TiXmlElement element("e");
    element.LinkEndChild(new TiXmlElement("child"));
    element.LinkEndChild(new TiXmlText("late"));
    EXPECT_EQ(ElementText(&element), nullptr);
    TiXmlElement bare("bare");
    EXPECT_EQ(ElementText(&bare), nullptr);
}

TEST(AtoiValue, MatchesTheCLibraryInRange) {
    for (const char* text :
         {"0", "12abc", " \t\n-7", "+3", "abc", "", "-", "  ", "2147483647", "-2147483648", "007x", "1 2", "- 5"}) {
        EXPECT_EQ(AtoiValue(text), std::atoi(text)) << '"' << text << '"';
    }
}

}  // namespace
