// "quorvane print" without a printer: print to file, and the errors a user
// meets when there is nowhere to print. No scheduler is needed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PrintHostsForTests.h"
#include "PrintTestSupport.h"
#include "engine/CqvReport.h"

namespace {

using qv::test::PrintFixture;
using qv::test::RunQuorvane;
using qv::test::ScratchDir;

TEST(PrintToFile, WritesTheJobsPdfPageByPage) {
    ScratchDir dir;
    const std::string out = dir / "job.pdf";
    const qv::test::RunResult run =
        RunQuorvane({"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml"), "--to-file", out});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"job.pdf"});
    ASSERT_EQ(qv::test::PdfPageCount(out), 3);
    const auto& expected = qv::test::ThreePageReport();
    for (int page = 1; page <= 3; ++page) {
        const std::string text = qv::test::PdfPageText(out, page);
        for (const std::string& piece : expected[page - 1].texts)
            EXPECT_NE(text.find(piece), std::string::npos) << "page " << page << ": " << text;
    }
}

TEST(PrintToFile, PaperFollowsThePageSetup) {
    // A5 landscape: 210 mm wide, 148 mm high.
    ScratchDir dir;
    const std::string out = dir / "wide.pdf";
    const qv::test::RunResult run =
        RunQuorvane({"print", PrintFixture("landscape.qvrp"), PrintFixture("landscape.xml"), "--to-file", out});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(qv::test::PdfPageSize(out).rfind("595.276 x 419.528 pts", 0), 0u) << qv::test::PdfPageSize(out);
    EXPECT_NE(qv::test::PdfPageText(out, 1).find("Wide page"), std::string::npos);
}

TEST(PrintToFile, FailuresLeaveNoFileAndSayWhy) {
    ScratchDir dir;
    const std::string missing = dir / "no/such/folder/job.pdf";
    const qv::test::RunResult unwritable = RunQuorvane(
        {"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml"), "--to-file", missing});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "The file \"" + missing + "\" cannot be written: No such file or directory\n");

    // A report that fails to load prints nothing, not even an empty file.
    const std::string out = dir / "job.pdf";
    const qv::test::RunResult broken =
        RunQuorvane({"print", PrintFixture("three_pages.qvrp"), dir / "absent.xml", "--to-file", out});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err, "");
    EXPECT_TRUE(dir.Files().empty());

    const qv::test::RunResult both = RunQuorvane(
        {"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml"), "--to-file", out, "--printer",
         "X"});
    EXPECT_EQ(both.status, 2);
    EXPECT_TRUE(dir.Files().empty());
}

TEST(PrintToFile, InterruptedJobLeavesNoFile) {
    ScratchDir dir;
    // An older copy of the file must survive an interrupted job.
    const std::string out = dir / "job.pdf";
    { std::ofstream(out) << "an older job"; }
    qv::test::InterruptedPrintHost host(false, "", out);
    CqvReport report(PrintFixture("three_pages.xml"), PrintFixture("three_pages.qvrp"), &host);
    report.Print();
    EXPECT_TRUE(host.Interrupted());
    EXPECT_FALSE(host.Printed());
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"job.pdf"});
    std::ifstream in(out);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "an older job");
}

TEST(PrintWithoutScheduler, NoPrinterAtAllIsAReportError) {
    ScratchDir dir;
    // A scheduler that is not there, and no client settings that could name one.
    const std::map<std::string, std::string> environment{{"CUPS_SERVER", dir / "no-scheduler.sock"},
                                                         {"CUPS_SERVERROOT", dir.Path().string()},
                                                         {"HOME", dir.Path().string()},
                                                         {"PRINTER", ""},
                                                         {"LPDEST", ""}};
    const qv::test::RunResult run =
        RunQuorvane({"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml")}, environment);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("There is no printer to print to", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("--to-file"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

}  // namespace
