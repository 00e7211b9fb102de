// The quorvane command in a pipeline: data on standard input, the output on
// standard output, and only some pages drawn. The command runs as a process
// under a shell, as a pipeline runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliTestFiles.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

using qv::test::CliFixture;
using qv::test::DemoFile;
using qv::test::Capture;
using qv::test::ExitStatus;
using qv::test::ReadFile;
using qv::test::RunResult;
using qv::test::ScratchDir;
using qv::test::ShellQuoted;

// Runs quorvane in `folder` with standard input from `input` (a file, or
// /dev/null) and both output streams caught in files of `streams`.
RunResult RunInPipe(const ScratchDir& streams, const std::string& input, const std::vector<std::string>& args,
                    const std::string& folder = ".") {
    std::string command = "cd " + ShellQuoted(folder) + " && " + ShellQuoted(QV_QUORVANE_EXE);
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    const std::string out = streams / "stdout", err = streams / "stderr";
    command += " < " + ShellQuoted(input) + " > " + ShellQuoted(out) + " 2> " + ShellQuoted(err);
    RunResult result;
    result.status = ExitStatus(command);
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

// The text of each page of a PDF, as pdftotext sees it.
std::vector<std::string> PdfPageTexts(const std::string& pdf) {
    std::istringstream text(Capture("pdftotext -layout " + ShellQuoted(pdf) + " -"));
    std::vector<std::string> pages;
    for (std::string page; std::getline(text, page, '\f');) pages.push_back(page);
    return pages;
}

TEST(QuorvanePipeline, DataFromStandardInputToStandardOutputIsTheSamePdfAsFromFileToFile) {
    ScratchDir dir, streams;
    const std::string pdf = dir / "dogs.pdf";
    const RunResult files =
        RunInPipe(streams, "/dev/null", {"render", DemoFile("dogs.qvrp"), DemoFile("dogs.xml"), "-o", pdf});
    ASSERT_EQ(files.status, 0) << files.err;
    const RunResult piped = RunInPipe(streams, DemoFile("dogs.xml"), {"render", DemoFile("dogs.qvrp"), "-", "-o", "-"});
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.err, "");
    ASSERT_TRUE(piped.out.starts_with("%PDF-")) << piped.out.substr(0, 40);
    EXPECT_TRUE(piped.out == ReadFile(pdf)) << "the PDFs differ";
    // Nothing is left behind in the temporary folder the output was drawn in.
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"dogs.pdf"}));
    // A second reader agrees on what the piped PDF holds.
    const std::string piped_pdf = dir.Write("piped.pdf", piped.out);
    EXPECT_EQ(ExitStatus("qpdf --check " + ShellQuoted(piped_pdf) + " > /dev/null"), 0);
}

TEST(QuorvanePipeline, OnePngOrSvgPageGoesToStandardOutputAsItWouldToAFile) {
    ScratchDir dir, streams;
    for (const std::string format : {"png", "svg"}) {
        const std::string file = dir / ("one." + format);
        ASSERT_EQ(
            RunInPipe(streams, "/dev/null",
                      {"render", CliFixture("two_dogs.qvrp"), CliFixture("two_dogs.xml"), "-o", file, "--dpi", "40"})
                .status,
            0);
        const RunResult piped =
            RunInPipe(streams, CliFixture("two_dogs.xml"),
                      {"render", CliFixture("two_dogs.qvrp"), "-", "-o", "-", "--format", format, "--dpi", "40"});
        ASSERT_EQ(piped.status, 0) << piped.err;
        EXPECT_FALSE(piped.out.empty());
        EXPECT_TRUE(piped.out == ReadFile(file)) << format;
    }
    // A page chosen out of several is one page as well.
    const RunResult page = RunInPipe(streams, "/dev/null",
                                     {"render", CliFixture("three_pages.qvrp"), CliFixture("three_pages.xml"), "-o",
                                      "-", "--format", "png", "--pages", "2", "--dpi", "30"});
    ASSERT_EQ(page.status, 0) << page.err;
    EXPECT_EQ(page.out.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST(QuorvanePipeline, WhatStandardOutputCannotTakeIsAUsageErrorAndAFailureWritesNothing) {
    ScratchDir streams;
    const std::string t = CliFixture("three_pages.qvrp"), d = CliFixture("three_pages.xml");
    const std::string broken = streams.Write("broken.xml", "<report><section>\n");
    struct Case {
        std::string input;
        std::vector<std::string> args;
        int status;
        std::string err;  // a part of the message
    };
    const Case cases[] = {
        {"/dev/null", {"render", t, d, "-o", "-", "--format", "png"}, 2, "standard output takes one PNG"},
        {"/dev/null", {"render", t, d, "-o", "-", "--format", "svg", "--pages", "1-2"}, 2, "2 pages to draw"},
        {"/dev/null", {"render", t, d, "-o", "-", "--format", "gif"}, 2, "--format"},
        {"/dev/null", {"render", t, "-", "-o", "-"}, 1, "The file 'standard input' is empty"},
        {broken, {"render", t, "-", "-o", "-"}, 1, "In file 'standard input'"},
        {d, {"render", CliFixture("too_many_pages.qvrp"), "-", "-o", "-"}, 1, "Pages > 'max-pages' 2"},
        {d, {"render", t, d, "-o", "-", "--base", "."}, 2, "--base applies only to data read from standard input"},
    };
    for (const Case& c : cases) {
        const RunResult run = RunInPipe(streams, c.input, c.args);
        EXPECT_EQ(run.status, c.status) << c.err << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << c.err << ": " << run.out.size() << " bytes on standard output";
    }
}

TEST(QuorvanePipeline, ReferencesInDataFromStandardInputResolveAgainstTheCurrentFolderOrBase) {
    ScratchDir dir, streams;
    dir.Write("kennel/kennel.dtd", "<!ENTITY opening \"Alpha kennel opened in spring.\">\n");
    const std::string data =
        dir.Write("elsewhere/data.xml",
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE report SYSTEM \"kennel.dtd\">\n"
                  "<report><section title=\"Kennels\">&opening;</section></report>\n");
    const std::string pdf = dir / "out.pdf";
    const std::vector<std::string> args{"render", CliFixture("three_pages.qvrp"), "-", "-o", pdf};

    // The data's own folder does not count: it came through a pipe.
    const RunResult fromCurrent = RunInPipe(streams, data, args, dir / "kennel");
    ASSERT_EQ(fromCurrent.status, 0) << fromCurrent.err;
    EXPECT_NE(PdfPageTexts(pdf).at(0).find("Alpha kennel opened in spring."), std::string::npos);
    std::filesystem::remove(pdf);

    std::vector<std::string> withBase = args;
    withBase.insert(withBase.end(), {"--base", dir / "kennel"});
    const RunResult fromBase = RunInPipe(streams, data, withBase, dir / "elsewhere");
    ASSERT_EQ(fromBase.status, 0) << fromBase.err;
    EXPECT_NE(PdfPageTexts(pdf).at(0).find("Alpha kennel opened in spring."), std::string::npos);
    std::filesystem::remove(pdf);

    // Without either, the reference is looked for in the current folder and the
    // message names the path it was looked for at.
    const RunResult missing = RunInPipe(streams, data, args, dir / "elsewhere");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("elsewhere/kennel.dtd"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST(QuorvanePipeline, PagesDrawsOnlyThoseAndNamesPerPageFilesAfterThem) {
    ScratchDir dir, streams;
    const std::string t = CliFixture("three_pages.qvrp"), d = CliFixture("three_pages.xml");
    const RunResult pdf = RunInPipe(streams, "/dev/null", {"render", t, d, "-o", dir / "some.pdf", "--pages", "3,1"});
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    const std::vector<std::string> pages = PdfPageTexts(dir / "some.pdf");
    ASSERT_GE(pages.size(), 2u);
    EXPECT_NE(Capture("pdfinfo " + ShellQuoted(dir / "some.pdf")).find("Pages:           2\n"), std::string::npos);
    // In the report's order, and the page count in the footer is the whole report's.
    EXPECT_NE(pages[0].find("Alpha kennel"), std::string::npos) << pages[0];
    EXPECT_NE(pages[0].find("Page 1 of 3"), std::string::npos) << pages[0];
    EXPECT_NE(pages[1].find("Gamma walks"), std::string::npos) << pages[1];
    EXPECT_NE(pages[1].find("Page 3 of 3"), std::string::npos) << pages[1];

    ASSERT_EQ(
        RunInPipe(streams, "/dev/null", {"render", t, d, "-o", dir / "p.png", "--pages", "2-3", "--dpi", "30"}).status,
        0);
    ASSERT_EQ(RunInPipe(streams, "/dev/null", {"render", t, d, "-o", dir / "q.svg", "--pages", "2,2"}).status, 0);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"p-2.png", "p-3.png", "q.svg", "some.pdf"}));
}

TEST(QuorvanePipeline, PagesTheReportCannotGiveAreUsageErrorsNamingThem) {
    ScratchDir dir, streams;
    const std::string t = CliFixture("three_pages.qvrp"), d = CliFixture("three_pages.xml");
    const std::pair<std::string, std::string> cases[] = {
        {"4", "--pages 4: the report has 3 pages"},
        {"1,2-7", "--pages 2-7: the report has 3 pages"},
        {"3-2", "--pages 3-2"},
        {"0", "--pages \"0\""},
        {"2-", "--pages \"2-\""},
        {"1,,2", "--pages \"1,,2\""},
        {"two", "--pages \"two\""},
        {"99999999999999999999999", "--pages \"99999999999999999999999\""},
    };
    for (const auto& [pages, message] : cases) {
        for (const std::string out : {"x.pdf", "x.png"}) {
            const RunResult run = RunInPipe(streams, "/dev/null", {"render", t, d, "-o", dir / out, "--pages", pages});
            EXPECT_EQ(run.status, 2) << pages;
            EXPECT_TRUE(run.err.starts_with("quorvane render: " + message)) << run.err;
        }
    }
    EXPECT_TRUE(dir.Files().empty());
}

}  // namespace
