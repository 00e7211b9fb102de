// A data file loads into the compact tree with the template loader's rules: the
// two trees of one file must hold the same elements, attributes and texts, and
// the compact one must stay a small multiple of the file.
#include <gtest/gtest.h>
#include <malloc.h>

#include <string>

#include "XmlTestFiles.h"
#include "support/TestScratchDir.h"
#include "xml/CqvDataDocument.h"
#include "xml/CqvXmlLoader.h"
#include "xml/DataNav.h"
#include "xml/FindElementByPath.h"
#include "xml/XmlNav.h"

namespace {

using qv::test::ScratchDir;
using qvtest::kSanitizedAllocator;

// The first difference between the template tree below `element` and the data
// tree below `data`, in document order; empty when they agree.
std::string FirstDifference(const TiXmlElement* element, QvDataElement data, const std::string& where = "") {
    for (; element && data; element = element->NextSiblingElement(), data = qv::xml::NextSiblingElement(data)) {
        const std::string here = where + "/" + element->ValueStr();
        if (*qv::xml::ElementName(data) != element->ValueStr())
            return here + ": name " + std::string(*qv::xml::ElementName(data));
        if (qv::xml::ElementText(data) != *qv::xml::ElementText(element))
            return here + ": text '" + std::string(*qv::xml::ElementText(data)) + "'";
        size_t position = 0;
        for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next(), ++position) {
            if (qv::xml::AttributeName(data, position) != a->NameTStr() ||
                qv::xml::AttributeValue(data, position) != a->ValueStr())
                return here + ": attribute " + std::to_string(position);
        }
        if (position != qv::xml::AttributeCount(data)) return here + ": attribute count";
        const std::string below = FirstDifference(element->FirstChildElement(), qv::xml::FirstChildElement(data), here);
        if (!below.empty()) return below;
    }
    if (element) return where + ": data tree lacks " + element->ValueStr();
    if (data) return where + ": data tree has more";
    return {};
}

TEST(CqvDataDocument, HoldsWhatTheTemplateTreeHolds) {
    ScratchDir dir;
    dir.Write("ext.ent", "<from-entity k='v'>entity text</from-entity>");
    const std::string manyChildren = [] {
        std::string text = "<r>";
        for (int i = 0; i < 100; ++i) text += "<c" + std::to_string(i % 7) + " i='" + std::to_string(i) + "'/>";
        return text + "</r>";
    }();
    const std::string longLine = "<r><t>" + std::string(CqvXmlLoader::kBlockSize - 8, 'x') + "   \tyz\n   next</t></r>";
    const char* cases[] = {
        "<r/>",
        "<r a='1' b=\"two\" c=''>text</r>",
        // Text gathering: line breaks, indentation, mixed content, CDATA, references.
        "<r>\n  <lines>first line  second\tline\n      third</lines>\n"
        "  <mixed>before <b>bold</b>\n     after</mixed><glued>before<b/>after</glued>\n"
        "  <cdata>a &amp; b <![CDATA[<c>]]> d &#233;</cdata><empty/><blank>   \n  </blank></r>",
        // DTD defaults follow the written attributes, internal and external entities expand.
        "<!DOCTYPE r [<!ELEMENT r ANY><!ELEMENT e ANY><!ELEMENT from-entity ANY>"
        "<!ATTLIST e z CDATA 'zz' a CDATA 'aa' m CDATA #IMPLIED><!ATTLIST from-entity k CDATA #IMPLIED>"
        "<!ENTITY in 'inner &amp; text'><!ENTITY ext SYSTEM 'ext.ent'>]>"
        "<r><e m='1'>&in;</e><e a='written'/>&ext;</r>",
        "<?xml version='1.0' encoding='iso-8859-1'?><r n='\xE9t\xE9'>\xE0 la</r>",
        "<r><same>1</same><same>2</same><other/><same>3</same></r>",
    };
    int number = 0;
    auto check = [&](const std::string& text) {
        const std::string path = dir.Write("case" + std::to_string(++number) + ".xml", text);
        CqvXmlDocument templateTree;
        CqvDataDocument dataTree;
        ASSERT_TRUE(templateTree.Load(path)) << text;
        ASSERT_TRUE(dataTree.Load(path)) << text;
        EXPECT_EQ(FirstDifference(templateTree.RootElement(), dataTree.RootElement()), "") << text;
        EXPECT_EQ(dataTree.CodePage(), templateTree.CodePage()) << text;
    };
    for (const char* text : cases) check(text);
    check(manyChildren);
    check(longLine);
}

// Lookups among many children go through an index; it must keep the first
// match of each name, for the first and every later lookup.
TEST(CqvDataDocument, LookupsAmongManyChildrenFindTheFirstMatch) {
    std::string text = "<r>";
    for (int i = 0; i < 200; ++i)
        text += "<c" + std::to_string(i % 5) + " i='" + std::to_string(i) + "'><d i='" + std::to_string(i) + "'/></c" +
                std::to_string(i % 5) + ">";
    text += "</r>";
    CqvDataDocument document;
    document.LoadText(text, "many.xml", "many.xml");
    const QvDataElement root = document.RootElement();
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < 5; ++k) {
            const std::string name = "c" + std::to_string(k);
            EXPECT_EQ(qv::xml::AttributeByName(qv::xml::FirstChildElement(root, name), "i"), std::to_string(k));
            EXPECT_EQ(qv::xml::AttributeByName(FindElementByPath(root, name + "/d"), "i"), std::to_string(k));
            const QvDataElement second = qv::xml::NextSiblingElement(qv::xml::FirstChildElement(root, name), name);
            EXPECT_EQ(qv::xml::AttributeByName(second, "i"), std::to_string(k + 5));
        }
        EXPECT_FALSE(qv::xml::FirstChildElement(root, "c5"));
        EXPECT_FALSE(FindElementByPath(root, "d"));
    }
}

// The loader counts the compact tree by what it really takes, the tree stays
// a small multiple of a file of short rows, and the budget holds.
TEST(CqvDataDocument, TheTreeIsCountedSmallAndHeldToItsBudget) {
    ScratchDir dir;
    std::string rows = "<root>\n";
    for (int i = 0; i < 20000; ++i)
        rows += "  <dog id='" + std::to_string(i) + "'>\n    <name>Rex\n      " + std::to_string(i) +
                "</name>\n    <breed>Beagle</breed><born>2019-04-0" + std::to_string(i % 9 + 1) + "</born></dog>\n";
    rows += "</root>";
    const std::string path = dir.Write("rows.xml", rows);

    // The large arrays are blocks of their own, mapped outside the heap.
    auto allocated = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
    CqvXmlLoadStats stats;
    const size_t before = allocated();
    {
        CqvDataDocument document;
        ASSERT_TRUE(document.Load(path, {}, &stats));
        const size_t taken = allocated() - before;
        EXPECT_EQ(stats.treeBytes, document.TreeBytes());
        EXPECT_LT(document.TreeBytes(), 3 * rows.size()) << "tree " << document.TreeBytes() << ", file " << rows.size();
        // Sanitizers bring their own allocator, which the C library's count
        // does not see. The arrays grow by half again, so the allocator holds up
        // to that much more than is filled.
        if (!kSanitizedAllocator) {
            EXPECT_GT(stats.treeBytes, taken * 60 / 100) << "counted " << stats.treeBytes << ", taken " << taken;
            EXPECT_LT(stats.treeBytes, taken * 115 / 100) << "counted " << stats.treeBytes << ", taken " << taken;
        }
    }

    qvtest::ExpectRefusedOverHalfItsTree<CqvDataDocument>(path, stats.treeBytes);
}

}  // namespace
