#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "XmlTestFiles.h"
#include "support/TestScratchDir.h"
#include "xml/CqvXmlLoader.h"
#include "xml/FindElementByPath.h"
#include "xml/XmlNav.h"

namespace {

using qvtest::Fixture;
using qvtest::LoadError;
using qv::test::ScratchDir;
using qvtest::kSanitizedAllocator;
using namespace qv::xml;

std::string TextOf(const TiXmlNode* start, const std::string& path) {
    const std::string* text = ElementText(FindElementByPath(start, path));
    return text ? *text : "<none>";
}

// Every element has exactly one text node, and it is its first child.
void ExpectOneTextNodeFirst(const TiXmlElement* element) {
    ASSERT_NE(element->FirstChild(), nullptr) << element->ValueStr();
    EXPECT_NE(element->FirstChild()->ToText(), nullptr) << element->ValueStr();
    int texts = 0;
    for (const TiXmlNode* child = element->FirstChild(); child; child = child->NextSibling()) {
        if (child->ToText()) ++texts;
        if (const TiXmlElement* childElement = child->ToElement()) ExpectOneTextNodeFirst(childElement);
    }
    EXPECT_EQ(texts, 1) << element->ValueStr();
}

std::vector<std::pair<std::string, std::string>> AttributesOf(const TiXmlElement* element) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const TiXmlAttribute* a = FirstAttribute(element); a; a = NextAttribute(a))
        out.emplace_back(*AttributeName(a), *AttributeValue(a));
    return out;
}

TEST(CqvXmlLoader, FileErrorsNameTheFileAsGiven) {
    ScratchDir dir;
    const std::string empty = dir.Write("empty.xml", "");
    const std::string missing = (dir.Path() / "missing.xml").string();
    const std::string folder = dir.Path().string();
    EXPECT_EQ(LoadError(missing), "The file '" + missing + "' was not opened");
    EXPECT_EQ(LoadError(folder), "The file '" + folder + "' was not opened");
    EXPECT_EQ(LoadError(empty), "The file '" + empty + "' is empty");
}

TEST(CqvXmlLoader, UnreadableFileWasNotOpened) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
    ScratchDir dir;
    const std::string path = dir.Write("locked.xml", "<a/>");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_EQ(LoadError(path), "The file '" + path + "' was not opened");
}

TEST(CqvXmlLoader, SyntaxErrorsGiveLineAndColumn) {
    ScratchDir dir;
    struct Case {
        const char* content;
        const char* expected;  // after "In file '<path>' \n"
    } cases[] = {
        {"<a>\n  <b></c>\n</a>", "mismatched tag at line 2 char 7"},
        {"<a>\n<b x='1' x='2'/></a>", "duplicate attribute at line 2 char 9"},
        {"<a></a>\n<b/>", "junk after document element at line 2 char 0"},
        {"<a>", "no element found at line 1 char 3"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("bad.xml", c.content);
        EXPECT_EQ(LoadError(path), "In file '" + path + "' \n" + c.expected) << c.content;
    }
}

TEST(CqvXmlLoader, CharacterDataIsGatheredIntoTheFirstChild) {
    ScratchDir dir;
    const std::string path = dir.Write("text.xml",
                                       "<r>\n"
                                       "  <lines>\n"
                                       "      first line  \n"
                                       "      second\tline\n"
                                       "      third</lines>\n"
                                       "  <closing>\n"
                                       "      Hello\n"
                                       "  </closing>\n"
                                       "  <mixed>before <b>bold</b>\n     after</mixed>\n"
                                       "  <glued>before<b/>after</glued>\n"
                                       "  <spaced>before<b/> after</spaced>\n"
                                       "  <cdata>a &amp; b <![CDATA[<c>]]> d</cdata>\n"
                                       "  <empty/><pair></pair><blank>   \n  </blank>\n"
                                       "</r>");
    CqvXmlDocument document;
    document.Load(path);
    const TiXmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    struct Case {
        const char* path;
        const char* text;
    } cases[] = {
        // Line breaks and indentation become one space; spaces inside a line and
        // before a line break stay as written.
        {"lines", "first line  second\tline third"},
        // The line break before the end tag owes a separating space.
        {"closing", "Hello "},
        {"mixed", "before after"},
        {"mixed/b", "bold"},
        {"glued", "beforeafter"},
        {"spaced", "before after"},
        {"cdata", "a & b <c> d"},
        {"empty", ""},
        {"pair", ""},
        {"blank", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(TextOf(root, c.path), c.text) << c.path;
    ExpectOneTextNodeFirst(root);
    // The root's own white space between children gathers to nothing.
    EXPECT_EQ(*ElementText(root), "");
}

TEST(CqvXmlLoader, SpacesCutByABlockEndStayAsWritten) {
    ScratchDir dir;
    // Move a run of three spaces across the 512-byte block boundary: the parser
    // delivers the line in two pieces there, and no piece may lose a space.
    const std::string head = "<a><t>";
    for (size_t at = CqvXmlLoader::kBlockSize - 4; at <= CqvXmlLoader::kBlockSize + 1; ++at) {
        const std::string before(at - head.size(), 'x');
        const std::string line = before + "   \tyz";
        const std::string path = dir.Write("run.xml", head + line + "\n   next</t></a>");
        CqvXmlDocument document;
        document.Load(path);
        EXPECT_EQ(TextOf(document.RootElement(), "t"), line + " next") << "run at " << at;
    }
}

TEST(CqvXmlLoader, FilesAroundTheBlockSizeLoadWhole) {
    ScratchDir dir;
    for (size_t size : {size_t{511}, size_t{512}, size_t{513}, size_t{1024}}) {
        const std::string open = "<root>", close = "</root>";
        const std::string body(size - open.size() - close.size(), 'z');
        const std::string content = open + body + close;
        ASSERT_EQ(content.size(), size);
        const std::string path = dir.Write("sized.xml", content);
        CqvXmlDocument document;
        EXPECT_TRUE(document.Load(path));
        EXPECT_EQ(*ElementText(document.RootElement()), body) << size;
    }
}

// A file's tree costs many times its markup; the loader counts that cost as
// the tree grows, by what the allocator really hands out, and refuses a file
// whose tree passes the budget with a message of its own.
TEST(CqvXmlLoader, TheTreeIsCountedAsItGrowsAndHeldToItsBudget) {
    ScratchDir dir;
    std::string rows = "<root>";
    for (int i = 0; i < 20000; ++i)
        rows += "<row n='" + std::to_string(i) + "'>Row " + std::to_string(i) + " of the data</row>\n";
    rows += "</root>";
    const std::string path = dir.Write("rows.xml", rows);

    CqvXmlLoadStats stats;
    const size_t before = mallinfo2().uordblks;
    {
        CqvXmlDocument document;
        ASSERT_TRUE(document.Load(path, {}, &stats));
        const size_t taken = mallinfo2().uordblks - before;
        // Sanitizers bring their own allocator, which the C library's count does not see.
        if (!kSanitizedAllocator) {
            EXPECT_GT(stats.treeBytes, taken * 85 / 100) << "counted " << stats.treeBytes << ", taken " << taken;
            EXPECT_LT(stats.treeBytes, taken * 115 / 100) << "counted " << stats.treeBytes << ", taken " << taken;
        }
    }

    qvtest::ExpectRefusedOverHalfItsTree<CqvXmlDocument>(path, stats.treeBytes);
}

TEST(CqvXmlLoader, TheNextBlockGrowsOnlyWithAnUnfinishedToken) {
    constexpr size_t block = CqvXmlLoader::kBlockSize;
    constexpr size_t limit = CqvXmlLoader::kMaxMarkupBytes;
    struct Case {
        size_t pending;
        size_t next;
    } cases[] = {
        // Text and short tags: the block size stays.
        {0, block},
        {1, block},
        {block - 1, block},
        // A token longer than a block: as much again as the parser holds.
        {block, block},
        {block + 1, block + 1},
        {100000, 100000},
        {limit / 2, limit / 2},
        // Near the markup limit only what passes it by at most a block.
        {limit / 2 + 1, limit / 2 - 1},
        {limit - 4 * block, 4 * block},
        {limit - 1, block},
        {limit, block},
    };
    for (const Case& c : cases) EXPECT_EQ(CqvXmlLoader::NextBlockSize(c.pending), c.next) << c.pending;
}

// Any parser scans a token it could not finish from its start again on the next
// call, the older ones whatever the call brings: a token is linear only when
// the calls it spans stay logarithmic in its length.
TEST(CqvXmlLoader, ALongAttributeStreamsInInLogarithmicallyManyCalls) {
    ScratchDir dir;
    const size_t length = size_t{20} << 20;
    const std::string head = "<root>\n  <item name='", tail = "'/>\n</root>";
    const std::string path = dir.Write("long.xml", head + std::string(length, 'v') + tail);
    CqvXmlDocument document;
    CqvXmlLoadStats stats;
    document.Load(path, {}, &stats);
    const std::string* value = AttributeByName(FindElementByPath(document.RootElement(), "item"), "name");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->size(), length);
    // log2(20 MiB / 512) is 15.3: one call a doubling, and a few around it
    // (in 512-byte blocks it would take 40,961 calls).
    EXPECT_LE(stats.parseCalls, 20u);
}

TEST(CqvXmlLoader, TextStreamsInFixedBlocks) {
    ScratchDir dir;
    // Text is handed over as it comes, so nothing grows: every block is one
    // block long, the last (short or empty) one included.
    const std::string content = "<root>" + std::string(300000, 't') + "</root>";
    const std::string path = dir.Write("text.xml", content);
    CqvXmlDocument document;
    CqvXmlLoadStats stats;
    document.Load(path, {}, &stats);
    EXPECT_EQ(ElementText(document.RootElement())->size(), 300000u);
    EXPECT_EQ(stats.parseCalls, content.size() / CqvXmlLoader::kBlockSize + 1);
    EXPECT_EQ(stats.largestBlock, CqvXmlLoader::kBlockSize);
}

TEST(CqvXmlLoader, TextAfterALongTagKeepsItsSpacesAcrossUnevenBlocks) {
    ScratchDir dir;
    // After a tag of some thousand bytes the blocks no longer start at multiples
    // of 512; a run of spaces cut by any block end still stays as written.
    const std::string head = "<a><t x='" + std::string(3000, 'x') + "'>";
    // Step 3 puts a block end inside the run of four white-space characters
    // wherever the blocks fall.
    for (size_t at = 0; at < 1200; at += 3) {
        const std::string line = std::string(at + 1, 'w') + "   \tyz";
        const std::string path = dir.Write("run.xml", head + line + "\n   next</t></a>");
        CqvXmlDocument document;
        document.Load(path);
        EXPECT_EQ(TextOf(document.RootElement(), "t"), line + " next") << "run at " << at;
    }
}

TEST(CqvXmlLoader, LoadingAgainReplacesTheTree) {
    ScratchDir dir;
    const std::string first = dir.Write("first.xml", "<one><child/></one>");
    const std::string second = dir.Write("second.xml", "<two/>");
    CqvXmlDocument document;
    document.Load(first);
    document.Load(second);
    EXPECT_EQ(document.SourcePath(), second);
    EXPECT_EQ(document.RootElement()->ValueStr(), "two");
    EXPECT_EQ(document.RootElement()->NextSiblingElement(), nullptr);
}

TEST(CqvXmlLoader, ValidationStartsWithTheFirstElementDeclaration) {
    ScratchDir dir;
    struct Case {
        const char* name;
        const char* content;
        const char* error;  // before "\nError in file '<path>'\n"; empty when it loads
    } cases[] = {
        {"no DTD", "<a x='1'><b/></a>", ""},
        {"attribute lists only", "<!DOCTYPE a [<!ATTLIST a y CDATA #IMPLIED>]><a x='1'><b z='2'/></a>", ""},
        {"undeclared element", "<!DOCTYPE a [<!ELEMENT a ANY><!ATTLIST a x CDATA #IMPLIED>]><a x='1'><b/></a>",
         "Element 'b' is not define in DTD"},
        {"declared by an attribute list only",
         "<!DOCTYPE a [<!ELEMENT a ANY><!ATTLIST b z CDATA #IMPLIED>]><a><b z='2'/></a>", ""},
        {"undeclared attribute", "<!DOCTYPE a [<!ELEMENT a ANY><!ATTLIST a x CDATA #IMPLIED>]><a x='1' w='3'/>",
         "Attribute 'w' on element 'a' is not define in DTD"},
        {"attribute declared for another element",
         "<!DOCTYPE a [<!ELEMENT a ANY><!ELEMENT b ANY><!ATTLIST b x CDATA #IMPLIED>]>"
         "<a><b x='1'/><b/></a>",
         ""},
        {"attribute of the wrong element",
         "<!DOCTYPE a [<!ELEMENT a ANY><!ELEMENT b ANY><!ATTLIST b x CDATA #IMPLIED>]>"
         "<a x='1'/>",
         "Attribute 'x' on element 'a' is not define in DTD"},
        // Declarations are case-sensitive, like the names they check.
        {"case differs", "<!DOCTYPE a [<!ELEMENT a ANY><!ELEMENT B ANY>]><a><b/></a>",
         "Element 'b' is not define in DTD"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("dtd.xml", c.content);
        CqvXmlDocument document;
        if (std::string(c.error).empty()) {
            EXPECT_NO_THROW(document.Load(path)) << c.name;
        } else {
            EXPECT_EQ(LoadError(document, path), std::string(c.error) + "\nError in file '" + path + "'\n") << c.name;
        }
    }
}

TEST(CqvXmlLoader, DefaultAttributesFollowTheWrittenOnes) {
    ScratchDir dir;
    const std::string path = dir.Write("defaults.xml",
                                       "<!DOCTYPE a [<!ELEMENT a ANY>"
                                       "<!ATTLIST a first CDATA 'one' second CDATA #IMPLIED third CDATA 'three'>]>"
                                       "<a second='2' third='3'/>");
    CqvXmlDocument document;
    document.Load(path);
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(AttributesOf(document.RootElement()), (Pairs{{"second", "2"}, {"third", "3"}, {"first", "one"}}));
}

TEST(CqvXmlLoader, ExternalDtdAndEntitiesResolveAgainstTheMainFile) {
    CqvXmlDocument document;
    document.Load(Fixture("report_with_dtd.xml"));
    const TiXmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(AttributesOf(root), (Pairs{{"title", "Dogs"}}));

    // The chapter comes from an external entity the DTD declares; the paragraph
    // element is declared in a parameter entity the DTD reads. Both are written
    // relative to the main file's folder.
    const TiXmlElement* chapter = FirstChildElement(root, "section");
    EXPECT_EQ(AttributesOf(chapter), (Pairs{{"kind", "chapter"}}));
    EXPECT_EQ(AttributesOf(FirstChildElement(chapter)), (Pairs{{"lang", "en"}}));
    EXPECT_EQ(TextOf(chapter, "para"), "Chapter one continues here.");

    const TiXmlElement* appendix = NextSiblingElement(chapter, "section");
    EXPECT_EQ(AttributesOf(appendix), (Pairs{{"kind", "appendix"}}));
    EXPECT_EQ(TextOf(appendix, "para"), "The end.");
    ExpectOneTextNodeFirst(root);
}

TEST(CqvXmlLoader, ExternalEntityErrorsNameTheResolvedPath) {
    ScratchDir dir;
    const std::string folder = dir.Path().string();
    dir.Write("ents/empty.ent", "");
    dir.Write("ents/broken.ent", "<p>text</q>");
    std::filesystem::create_directories(dir.Path() / "ents/folder.ent");
    struct Case {
        const char* reference;
        std::string expected;
    } cases[] = {
        {"ents/missing.ent", "The file '" + folder + "/ents/missing.ent' was not opened\nNo such file or directory"},
        {"ents\\folder.ent", "The file '" + folder + "/ents/folder.ent' was not opened\nIs a directory"},
        {"ents/empty.ent", "The file '" + folder + "/ents/empty.ent' is empty"},
        {"ents/broken.ent", "In file '" + folder + "/ents/broken.ent' \nmismatched tag\nat line 1 char 9"},
    };
    for (const Case& c : cases) {
        const std::string path =
            dir.Write("main.xml", std::string("<!DOCTYPE a [<!ENTITY e SYSTEM '") + c.reference + "'>]>\n<a>&e;</a>");
        EXPECT_EQ(LoadError(path), c.expected) << c.reference;
    }
}

TEST(CqvXmlLoader, FailureInsideANestedEntityReachesTheCaller) {
    ScratchDir dir;
    // main -> external DTD -> parameter entity that is missing: two parsers deep.
    dir.Write("outer.dtd", "<!ENTITY % inner SYSTEM 'gone.ent'>\n%inner;\n");
    const std::string path = dir.Write("main.xml", "<!DOCTYPE a SYSTEM 'outer.dtd'>\n<a/>");
    EXPECT_EQ(LoadError(path),
              "The file '" + dir.Path().string() + "/gone.ent' was not opened\nNo such file or directory");

    // An undeclared element inside an external entity names the main file.
    dir.Write("b.ent", "<b/>");
    const std::string strict =
        dir.Write("strict.xml", "<!DOCTYPE a [<!ELEMENT a ANY><!ENTITY e SYSTEM 'b.ent'>]>\n<a>&e;</a>");
    EXPECT_EQ(LoadError(strict), "Element 'b' is not define in DTD\nError in file '" + strict + "'\n");
}

}  // namespace
