// The library's public API as a program that links libquorvane.so sees it:
// only the headers of include/quorvane/, errors as CqvEx with the engine's
// messages, and the same output as the quorvane command.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "quorvane/Report.h"
#include "LibTestSupport.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

using qv::test::ReadFile;
using qv::test::ScratchDir;
using qv::libtest::AsString;
using qv::libtest::ErrorOf;
using qv::libtest::Fixture;

TEST(ReportApi, FilesAndMemoryGiveTheSamePdfAsTheCommand) {
    ScratchDir dir;
    const std::string commandPdf = dir / "command.pdf";
    ASSERT_EQ(qv::test::RunProgram(QV_QUORVANE_EXE, {"render", Fixture("three_pages.qvrp"), Fixture("three_pages.xml"),
                                                     "-o", commandPdf})
                  .status,
              0);

    quorvane::Report fromFiles(Fixture("three_pages.qvrp"), Fixture("three_pages.xml"));
    EXPECT_EQ(fromFiles.PageCount(), 3u);
    EXPECT_EQ(fromFiles.PaperWidth(), 2100);
    EXPECT_EQ(fromFiles.PaperHeight(), 2970);
    fromFiles.RenderToFile(dir / "api.pdf");
    const std::string expected = ReadFile(commandPdf);
    ASSERT_TRUE(expected.starts_with("%PDF-"));
    EXPECT_TRUE(ReadFile(dir / "api.pdf") == expected);
    EXPECT_TRUE(AsString(fromFiles.RenderPdf()) == expected);

    quorvane::Report fromMemory =
        quorvane::Report::FromMemory(ReadFile(Fixture("three_pages.qvrp")), ReadFile(Fixture("three_pages.xml")),
                                     std::string(QV_TEST_DATA) + "/cli");
    // Moved, the report goes on working; the moved-from one says so.
    quorvane::Report moved = std::move(fromMemory);
    EXPECT_TRUE(AsString(moved.RenderPdf()) == expected);
    EXPECT_EQ(moved.PageCount(), 3u);
    EXPECT_EQ(ErrorOf([&] { fromMemory.PageCount(); }), "The report was moved away");
}

TEST(ReportApi, PerPageFormatsWriteOneFilePerPage) {
    ScratchDir dir;
    quorvane::Report report(Fixture("three_pages.qvrp"), Fixture("three_pages.xml"));
    report.RenderToFile(dir / "p.png", quorvane::Format::Png, 20);
    report.RenderToFile(dir / "s.svg", quorvane::Format::Svg);
    EXPECT_EQ(dir.Files(),
              (std::vector<std::string>{"p-1.png", "p-2.png", "p-3.png", "s-1.svg", "s-2.svg", "s-3.svg"}));
    EXPECT_EQ(ReadFile(dir.Path() / "p-3.png").substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST(ReportApi, FailuresAreCqvExWithTheEngineMessages) {
    ScratchDir dir;
    const std::string missing = dir / "missing.xml";
    EXPECT_EQ(ErrorOf([&] { quorvane::Report(Fixture("two_dogs.qvrp"), missing); }),
              "The file '" + missing + "' was not opened");
    EXPECT_EQ(ErrorOf([] { quorvane::Report::FromMemory("", "<dogs/>", "."); }), "The file 'template' is empty");
    EXPECT_EQ(ErrorOf([] {
                  quorvane::Report::FromMemory(ReadFile(Fixture("two_dogs.qvrp")), "<dogs>", ".");
              }).find("In file 'data'"),
              0u);
    quorvane::Report tooLong(Fixture("too_many_pages.qvrp"), Fixture("three_pages.xml"));
    EXPECT_EQ(ErrorOf([&] { tooLong.PageCount(); }), "Pages > 'max-pages' 2");
    EXPECT_EQ(ErrorOf([&] { tooLong.RenderToFile(dir / "x.pdf"); }), "Pages > 'max-pages' 2");
    EXPECT_TRUE(dir.Files().empty());
}

TEST(ReportApi, ReferencesInMemoryResolveAgainstTheBaseFolder) {
    ScratchDir dir;
    dir.Write("base/kennel.dtd", "<!ENTITY opening \"Alpha kennel opened in spring.\">\n");
    const std::string data =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE report SYSTEM \"kennel.dtd\">\n"
        "<report><section title=\"Kennels\">&opening;</section></report>\n";
    quorvane::Report report = quorvane::Report::FromMemory(ReadFile(Fixture("three_pages.qvrp")), data, dir / "base");
    EXPECT_EQ(report.PageCount(), 1u);
    EXPECT_EQ(ErrorOf([&] {
                  quorvane::Report::FromMemory(ReadFile(Fixture("three_pages.qvrp")), data, dir.Path());
              }).find("The file '" + (dir / "kennel.dtd") + "' was not opened"),
              0u);
}

}  // namespace
