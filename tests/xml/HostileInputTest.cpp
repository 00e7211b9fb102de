#include <gtest/gtest.h>

#include <random>
#include <string>

#include "XmlTestFiles.h"
#include "support/TestScratchDir.h"
#include "xml/CqvXmlLoader.h"

namespace {

using qvtest::LoadError;
using qv::test::ScratchDir;

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string Nested(size_t depth) {
    std::string xml;
    xml.reserve(depth * 7);
    for (size_t i = 0; i < depth; ++i) xml += "<e>";
    for (size_t i = 0; i < depth; ++i) xml += "</e>";
    return xml;
}

TEST(HostileInput, EveryTruncationIsASyntaxError) {
    ScratchDir dir;
    const std::string whole =
        "<?xml version='1.0' encoding='utf-8'?>\n"
        "<!DOCTYPE dogs [<!ENTITY owner 'Ann &amp; Bo'>]>\n"
        "<dogs><dog name='Bella' age='4'>Good &owner; dog<![CDATA[ <3 ]]></dog>"
        "<!-- note --><dog name='Max\xC3\xA9'/></dogs>";
    for (size_t cut = 1; cut < whole.size(); ++cut) {
        const std::string path = dir.Write("cut.xml", whole.substr(0, cut));
        const std::string message = LoadError(path);
        EXPECT_TRUE(StartsWith(message, "In file '" + path + "' \n")) << cut << ": " << message;
    }
}

TEST(HostileInput, BinaryGarbageIsRefused) {
    ScratchDir dir;
    std::mt19937 random(20240611);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(1 + random() % 3000, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        // Half of the rounds start like a document, so the garbage meets the
        // tokenizer inside an element rather than at the first byte.
        if (round % 2) bytes = "<a x='1'>" + bytes;
        const std::string path = dir.Write("garbage.bin", bytes);
        EXPECT_TRUE(StartsWith(LoadError(path), "In file '" + path + "' \n")) << round;
    }
}

TEST(HostileInput, NestingBeyondTheLimitIsRefused) {
    ScratchDir dir;
    const std::string path = dir.Write("deep.xml", Nested(100000));
    CqvXmlDocument document;
    EXPECT_EQ(LoadError(document, path),
              "Element 'e' is nested deeper than 5000 levels\nError in file '" + path + "'\n");
    // The partial tree stops at the limit, and destroying it is safe.
    size_t depth = 0;
    for (const TiXmlElement* e = document.RootElement(); e; e = e->FirstChildElement()) ++depth;
    EXPECT_EQ(depth, CqvXmlLoader::kMaxDepth);
}

TEST(HostileInput, NestingUpToTheLimitLoads) {
    ScratchDir dir;
    const std::string path = dir.Write("deep.xml", Nested(CqvXmlLoader::kMaxDepth));
    auto document = std::make_unique<CqvXmlDocument>();
    ASSERT_NO_THROW(document->Load(path));
    size_t depth = 0;
    for (const TiXmlElement* e = document->RootElement(); e; e = e->FirstChildElement()) ++depth;
    EXPECT_EQ(depth, CqvXmlLoader::kMaxDepth);
    document.reset();  // the library frees the tree recursively
}

TEST(HostileInput, EntityExpansionAttacksAreStopped) {
    ScratchDir dir;
    std::string laughs = "<!DOCTYPE lolz [<!ENTITY lol0 'lol'>";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY lol" + std::to_string(i) + " '";
        for (int k = 0; k < 10; ++k) laughs += "&lol" + std::to_string(i - 1) + ";";
        laughs += "'>";
    }
    laughs += "]><lolz>&lol9;</lolz>";

    // One large entity referenced many times: quadratic rather than exponential.
    std::string quadratic = "<!DOCTYPE q [<!ENTITY big '" + std::string(50000, 'x') + "'>]><q>";
    for (int i = 0; i < 20000; ++i) quadratic += "&big;";
    quadratic += "</q>";

    for (const std::string& attack : {laughs, quadratic}) {
        const std::string path = dir.Write("attack.xml", attack);
        const std::string message = LoadError(path);
        EXPECT_TRUE(StartsWith(message, "In file '" + path +
                                            "' \nlimit on input amplification factor (from DTD "
                                            "and entities) breached at line "))
            << message;
    }
}

TEST(HostileInput, RecursiveExternalEntitiesAreRefused) {
    ScratchDir dir;
    dir.Write("self.ent", "<p>&self;</p>");
    const std::string path = dir.Write("main.xml", "<!DOCTYPE a [<!ENTITY self SYSTEM 'self.ent'>]><a>&self;</a>");
    const std::string message = LoadError(path);
    EXPECT_TRUE(StartsWith(message, "In file '" + dir.Path().string() + "/self.ent' \n")) << message;
}

}  // namespace
