// Printing through a real CUPS scheduler that the tests start themselves, into
// a cups-pdf queue of their own: the job's title, its state, and the PDF the
// queue produced, page by page.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "CupsTestServer.h"
#include "PrintHostsForTests.h"
#include "PrintTestSupport.h"
#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "print/CupsJob.h"
#include "print/PrinterDiscovery.h"

namespace {

using namespace std::chrono_literals;
using qv::test::PdfPageCount;
using qv::test::PdfPageText;
using qv::test::PrintFixture;
using qv::test::RunQuorvane;
using Clock = std::chrono::steady_clock;

// Every wait of these tests ends: a job that hangs fails the test instead.
constexpr auto kJobTimeout = 30s;

class CupsPrint : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_skipReason = CupsTestServer::SkipReason();
        if (!s_skipReason.empty()) return;
        try {
            s_server = CupsTestServer::Start();
        } catch (const std::exception& error) {
            s_startError = error.what();
        }
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override {
        if (!s_skipReason.empty()) GTEST_SKIP() << s_skipReason;
        ASSERT_TRUE(s_server) << s_startError;
    }

    static CupsTestServer& Server() { return *s_server; }
    static const std::string& Queue() { return s_server->Queue(); }

    // The job number from the command's "Job QUEUE-N: P pages" line; 0 when
    // the line is not that.
    static int JobIdFrom(const std::string& out, const std::string& queue, int& pages) {
        const std::string prefix = "Job " + queue + "-";
        if (out.rfind(prefix, 0) != 0) return 0;
        int jobId = 0;
        char unit[8] = {};
        char end = 0;
        if (std::sscanf(out.c_str() + prefix.size(), "%d: %d %7[a-z]%c", &jobId, &pages, unit, &end) != 4 ||
            end != '\n' || (std::string(unit) != "page" && std::string(unit) != "pages"))
            return 0;
        return jobId;
    }

    // Waits for the job's end and its PDF, and checks that the PDF holds
    // `pages` pages of the three-page report. Removes the PDF afterwards.
    static void ExpectPrintedPdf(int jobId, std::chrono::system_clock::time_point since, int pages) {
        const std::optional<CupsJobInfo> job = Server().WaitForJobEnd(jobId, kJobTimeout);
        ASSERT_TRUE(job) << "the scheduler does not know job " << jobId << "\n" << Server().LogTail();
        EXPECT_EQ(job->title, "Quorvane");
        ASSERT_EQ(job->state, IPP_JSTATE_COMPLETED) << Server().LogTail();

        const std::string pdf = Server().WaitForJobPdf(jobId, since, kJobTimeout);
        ASSERT_FALSE(pdf.empty()) << "no PDF from job " << jobId << " in " << Server().OutputDir() << "\n"
                                  << Server().LogTail();
        EXPECT_EQ(PdfPageCount(pdf), pages) << pdf;
        const auto& expected = qv::test::ThreePageReport();
        for (int page = 1; page <= pages && page <= static_cast<int>(expected.size()); ++page) {
            const std::string text = PdfPageText(pdf, page);
            for (const std::string& piece : expected[page - 1].texts)
                EXPECT_NE(text.find(piece), std::string::npos) << "page " << page << " lacks \"" << piece << "\":\n"
                                                               << text;
        }
        std::error_code ignored;
        std::filesystem::remove(pdf, ignored);
    }

    static inline std::unique_ptr<CupsTestServer> s_server;
    static inline std::string s_skipReason;
    static inline std::string s_startError;
};

TEST_F(CupsPrint, CommandSendsThreePagesAsOneJobNamedQuorvane) {
    const auto since = std::chrono::system_clock::now();
    const auto started = Clock::now();
    const qv::test::RunResult run =
        RunQuorvane({"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml"), "--printer", Queue()});
    const auto sent = Clock::now();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    int pages = 0;
    const int jobId = JobIdFrom(run.out, Queue(), pages);
    ASSERT_GT(jobId, 0) << run.out;
    EXPECT_EQ(pages, 3);

    ExpectPrintedPdf(jobId, since, 3);
    const auto done = Clock::now();
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    std::cout << "[ timing ] quorvane print: " << duration_cast<milliseconds>(sent - started).count()
              << " ms; until the queue's PDF was read back: " << duration_cast<milliseconds>(done - started).count()
              << " ms\n";

    // The job is where lpstat looks for finished jobs.
    const std::string completed = qv::test::Capture("lpstat -W completed -o " + Queue() + " 2>&1");
    EXPECT_NE(completed.find(Queue() + "-" + std::to_string(jobId) + " "), std::string::npos) << completed;
}

TEST_F(CupsPrint, DefaultPrinterIsUsedWhenNoneIsNamed) {
    if (!Server().IsPrivate()) GTEST_SKIP() << "would change the default printer of this machine's scheduler";
    const std::vector<std::string> args{"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml")};

    // A queue exists, but none is the default: the user is told which to name.
    const qv::test::RunResult refused = RunQuorvane(args);
    EXPECT_EQ(refused.status, 1);
    const std::string advice = "There is no default printer; choose one with --printer (";
    EXPECT_EQ(refused.err.rfind(advice, 0), 0u) << refused.err;
    EXPECT_NE(refused.err.find(Queue(), advice.size()), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");

    ASSERT_TRUE(Server().RunTool("lpadmin -d " + Queue()));
    const auto since = std::chrono::system_clock::now();
    const qv::test::RunResult run = RunQuorvane(args);
    ASSERT_EQ(run.status, 0) << run.err;
    int pages = 0;
    const int jobId = JobIdFrom(run.out, Queue(), pages);
    ASSERT_GT(jobId, 0) << run.out;
    ExpectPrintedPdf(jobId, since, 3);
}

TEST_F(CupsPrint, UnknownOrRefusingQueueIsAReportError) {
    const qv::test::RunResult unknown = RunQuorvane(
        {"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml"), "--printer", "NoSuchQueue"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err.rfind("Can't print to 'NoSuchQueue': ", 0), 0u) << unknown.err;
    EXPECT_EQ(unknown.out, "");

    // A queue that accepts no jobs refuses the job when it is created; CUPS's
    // reason reaches the user.
    ASSERT_TRUE(Server().RunTool("cupsreject -r 'closed for the test' " + Queue()));
    const qv::test::RunResult refused =
        RunQuorvane({"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml"), "--printer", Queue()});
    ASSERT_TRUE(Server().RunTool("cupsaccept " + Queue()));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err.rfind("Can't print to '" + Queue() + "': ", 0), 0u) << refused.err;
    EXPECT_GT(refused.err.size(), ("Can't print to '" + Queue() + "': \n").size()) << refused.err;
}

TEST_F(CupsPrint, InterruptAfterFirstPageCancelsTheJob) {
    qv::test::InterruptedPrintHost host(false, Queue(), "");
    CqvReport report(PrintFixture("three_pages.xml"), PrintFixture("three_pages.qvrp"), &host);
    const auto since = std::chrono::system_clock::now();
    report.Print();

    EXPECT_TRUE(host.Interrupted());
    EXPECT_FALSE(host.Error()) << *host.Error();
    EXPECT_FALSE(host.Printed());
    EXPECT_EQ(host.PagesPrinted(), 1);
    ASSERT_GT(host.JobId(), 0);
    const std::optional<CupsJobInfo> job = Server().WaitForJobEnd(host.JobId(), kJobTimeout);
    ASSERT_TRUE(job) << Server().LogTail();
    EXPECT_EQ(job->title, "Quorvane");
    EXPECT_EQ(job->state, IPP_JSTATE_CANCELED) << Server().LogTail();
    // Nothing of a cancelled job reaches the queue's output.
    EXPECT_EQ(Server().WaitForJobPdf(host.JobId(), since, 2s), "");
}

TEST_F(CupsPrint, CancelInTheProgressDialogAfterFirstPagePrintsThatPage) {
    qv::test::CancelledDialogPrintHost host(false, Queue(), "");
    CqvReport report(PrintFixture("three_pages.xml"), PrintFixture("three_pages.qvrp"), &host);
    const auto since = std::chrono::system_clock::now();
    report.Print();

    ASSERT_FALSE(host.Error()) << *host.Error();
    EXPECT_TRUE(host.Printed());
    EXPECT_EQ(host.PagesPrinted(), 1);
    ExpectPrintedPdf(host.JobId(), since, 1);
}

TEST_F(CupsPrint, UnfinishedJobIsCancelledWhenDropped) {
    int jobId = 0;
    {
        qv::print::CupsJob job(Queue());
        jobId = job.JobId();
        const std::string half = "%PDF-1.5\n% half a document\n";
        job.Write(reinterpret_cast<const unsigned char*>(half.data()), half.size());
    }
    ASSERT_GT(jobId, 0);
    const std::optional<CupsJobInfo> job = Server().WaitForJobEnd(jobId, kJobTimeout);
    ASSERT_TRUE(job) << Server().LogTail();
    EXPECT_EQ(job->title, "Quorvane");
    EXPECT_EQ(job->state, IPP_JSTATE_CANCELED);
}

TEST_F(CupsPrint, QueuesAreListedWithTheirDevice) {
    bool listed = false;
    for (const qv::print::CupsDestination& destination : qv::print::ListCupsDestinations())
        if (destination.name == Queue()) {
            listed = true;
            EXPECT_EQ(destination.deviceUri, Server().DeviceUri());
        }
    EXPECT_TRUE(listed);
    const auto found = qv::print::FindCupsDestination(Queue());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, Queue());
    EXPECT_FALSE(qv::print::FindCupsDestination("NoSuchQueue"));
    EXPECT_FALSE(qv::print::FindCupsDestination(""));
}

}  // namespace
