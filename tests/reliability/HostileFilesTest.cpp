// Files a report cannot use: missing, unreadable, folders, entity bombs, and
// files whose single text or tag is absurdly long. Each is refused with a
// message, early, and without holding the file in memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>

#include "ReliabilityTestSupport.h"
#include "support/TestScratchDir.h"
#include "xml/CqvXmlLoader.h"

namespace {

using qvrel::Outcome;
using qvrel::RunReport;
using qvrel::Template;
using qv::test::ScratchDir;

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string Laughs(const std::string& root, const std::string& body) {
    std::string xml = "<!DOCTYPE " + root + " [<!ENTITY lol0 'lol'>";
    for (int i = 1; i <= 9; ++i) {
        xml += "<!ENTITY lol" + std::to_string(i) + " '";
        for (int k = 0; k < 10; ++k) xml += "&lol" + std::to_string(i - 1) + ";";
        xml += "'>";
    }
    return xml + "]>" + body;
}

// Writes head, `count` bytes of 'a', then tail, without holding it all.
std::string WriteLong(const ScratchDir& dir, const std::string& name, const std::string& head, size_t count,
                      const std::string& tail) {
    const std::string path = dir.PathOf(name);
    std::ofstream out(path, std::ios::binary);
    out << head;
    const std::string block(1 << 20, 'a');
    for (size_t left = count; left > 0;) {
        const size_t n = std::min(left, block.size());
        out.write(block.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
    out << tail;
    return path;
}

TEST(HostileFiles, MissingFoldersAndEntitiesNamingFoldersAreRefused) {
    ScratchDir dir;
    const std::string report = dir.Write("report.qvrp", Template("<Block><Text width=\"50mm\">x</Text></Block>"));
    const std::string data = dir.Write("data.xml", "<r/>");
    std::filesystem::create_directory(dir.Path() / "folder");
    const std::string folder = dir.PathOf("folder");
    const std::string entity = dir.Write("entity.xml", "<!DOCTYPE r [<!ENTITY e SYSTEM 'folder'>]><r>&e;</r>");
    const std::string dtd = dir.Write("dtd.xml", "<!DOCTYPE r SYSTEM 'folder'><r/>");
    struct Case {
        std::string templatePath, dataPath, message;
    } cases[] = {
        {dir.PathOf("none.qvrp"), data, "The file '" + dir.PathOf("none.qvrp") + "' was not opened"},
        {report, dir.PathOf("none.xml"), "The file '" + dir.PathOf("none.xml") + "' was not opened"},
        {report, folder, "The file '" + folder + "' was not opened"},
        {folder, data, "The file '" + folder + "' was not opened"},
        {report, entity, "The file '" + folder + "' was not opened\nIs a directory"},
        {report, dtd, "The file '" + folder + "' was not opened\nIs a directory"},
    };
    for (const Case& c : cases) EXPECT_EQ(RunReport(c.templatePath, c.dataPath).error, c.message) << c.dataPath;
}

TEST(HostileFiles, AnUnreadableFileWasNotOpened) {
    ScratchDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string report = dir.Write("report.qvrp", Template("<Block><Text width=\"50mm\">x</Text></Block>"));
    ASSERT_EQ(::chmod(report.c_str(), 0644), 0);
    const std::string data = dir.Write("data.xml", "<r/>");
    ASSERT_EQ(::chmod(data.c_str(), 0), 0);
    const std::string expected = "The file '" + data + "' was not opened";
    if (::geteuid() != 0) {
        EXPECT_EQ(RunReport(report, data).error, expected);
        return;
    }
    // Permissions do not stop root: a child process that is nobody reads it.
    // A plain fork, not a death test: a re-executed test program would make
    // a scratch folder of its own that nobody may remove.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(2);
        std::_Exit(RunReport(report, data).error == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: the child could not become nobody; 1: the report did not fail with \""
                                      << expected << "\"";
}

TEST(HostileFiles, EntityBombsAreStoppedByTheParser) {
    ScratchDir dir;
    const std::string data = dir.Write("data.xml", "<r/>");
    const std::string report = dir.Write("report.qvrp", Template("<Block><Text width=\"50mm\">x</Text></Block>"));
    const std::string bombTemplate =
        dir.Write("bomb.qvrp", Laughs("XmlTemplateReport",
                                      "<XmlTemplateReport qvr-version='&lol9;'><Styles><Style/></Styles>"
                                      "<PageHeader/><PageFooter/></XmlTemplateReport>"));
    const std::string bombData = dir.Write("bomb.xml", Laughs("lolz", "<lolz>&lol9;</lolz>"));
    for (const auto& [t, d, file] :
         {std::tuple{bombTemplate, data, bombTemplate}, std::tuple{report, bombData, bombData}}) {
        const std::string error = RunReport(t, d).error;
        EXPECT_TRUE(StartsWith(
            error, "In file '" + file + "' \nlimit on input amplification factor (from DTD and entities) breached"))
            << error;
    }
}

TEST(HostileFiles, NestingBeyondTheLimitIsRefusedAndUpToItIsLaidOut) {
    ScratchDir dir;
    const std::string data = dir.Write("data.xml", "<r/>");
    // Blocks nested almost as deep as the loader allows: laid out and drawn
    // through every level without exhausting the stack.
    const size_t depth = CqvXmlLoader::kMaxDepth - 10;
    std::string blocks;
    for (size_t i = 0; i < depth; ++i) blocks += "<Block>";
    blocks += "<Text width=\"50mm\">deep</Text>";
    for (size_t i = 0; i < depth; ++i) blocks += "</Block>";
    const Outcome deep = RunReport(dir.Write("deep.qvrp", Template(blocks)), data);
    EXPECT_EQ(deep.error, "");
    EXPECT_EQ(deep.pages, 1u);
    EXPECT_EQ(deep.textOuts, 2u);  // the text and the footer

    std::string nested;
    for (int i = 0; i < 100000; ++i) nested += "<e>";
    const std::string deepData = dir.Write("deep.xml", nested);
    EXPECT_EQ(RunReport(dir.Write("plain.qvrp", Template("")), deepData).error,
              "Element 'e' is nested deeper than 5000 levels\nError in file '" + deepData + "'\n");
}

TEST(HostileFiles, OneLongTextOrTagIsRefusedOnceItPassesTheLimit) {
    ScratchDir dir;
    const std::string report = dir.Write("report.qvrp", Template("<Block><Text width=\"50mm\">x</Text></Block>"));
    const size_t over = CqvXmlLoader::kMaxTextBytes + 1;
    // The parser is asked how much it holds after each block it is given, so
    // a tag is caught within a block of passing the limit.
    const size_t overByABlock = CqvXmlLoader::kMaxMarkupBytes + CqvXmlLoader::kBlockSize;
    const std::string limit = std::to_string(CqvXmlLoader::kMaxTextBytes);
    // A text node streams in: the file is refused as soon as the text passes
    // the limit, whatever follows (a gigabyte file fails as fast).
    const std::string text = WriteLong(dir, "text.xml", "<root>", over, "</root>");
    EXPECT_EQ(RunReport(report, text).error,
              "The text of element 'root' is longer than " + limit + " bytes\nError in file '" + text + "'\n");
    std::filesystem::remove(text);
    // A tag is held whole by the parser until it ends: it may not grow past the limit.
    const std::string attribute = WriteLong(dir, "attribute.xml", "<root>\n  <item name='", overByABlock, "'/></root>");
    EXPECT_EQ(RunReport(report, attribute).error,
              "In file '" + attribute + "' \nmarkup longer than " + limit + " bytes at line 2 char 2");
    std::filesystem::remove(attribute);
    const std::string comment = WriteLong(dir, "comment.xml", "<root><!--", overByABlock, "--></root>");
    EXPECT_EQ(RunReport(report, comment).error,
              "In file '" + comment + "' \nmarkup longer than " + limit + " bytes at line 1 char 6");
}

}  // namespace
