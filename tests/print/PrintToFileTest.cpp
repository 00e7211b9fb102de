// "quorvane print" without a printer: print to file, and the errors a user
// meets when there is nowhere to print. No scheduler is needed.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
    const qv::test::RunResult unwritable =
        RunQuorvane({"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml"), "--to-file", missing});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "The file \"" + missing + "\" cannot be written: No such file or directory\n");

    // A report that fails to load prints nothing, not even an empty file.
    const std::string out = dir / "job.pdf";
    const qv::test::RunResult broken =
        RunQuorvane({"print", PrintFixture("three_pages.qvrp"), dir / "absent.xml", "--to-file", out});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err, "");
    EXPECT_TRUE(dir.Files().empty());

    const qv::test::RunResult both = RunQuorvane({"print", PrintFixture("three_pages.qvrp"),
                                                  PrintFixture("three_pages.xml"), "--to-file", out, "--printer", "X"});
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

// A TCP port on this machine that nothing listens on: bound, so no one else
// takes it while the test runs, but never listening, so connections are refused.
class DeafPort {
public:
    DeafPort() : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd >= 0 && bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~DeafPort() {
        if (m_fd >= 0) close(m_fd);
    }
    DeafPort(const DeafPort&) = delete;
    DeafPort& operator=(const DeafPort&) = delete;
    int Port() const { return m_port; }

private:
    int m_fd;
    int m_port = 0;
};

TEST(PrintWithoutScheduler, SaysNoPrintServerAnswersAndHowToPrintToAFile) {
    ScratchDir dir;
    DeafPort deaf;
    ASSERT_GT(deaf.Port(), 0);
    const std::string socketPath = dir / "no-scheduler.sock";
    const std::string tcp = "127.0.0.1:" + std::to_string(deaf.Port());
    const std::string hint =
        ": start CUPS, or name the server with CUPS_SERVER, or print to a file with --to-file FILE.pdf\n";
    const struct {
        std::string server;
        std::vector<std::string> extra;
        std::string expected;
    } cases[] = {
        {socketPath, {}, "No print server answers at " + socketPath + hint},
        {tcp, {}, "No print server answers at " + tcp + hint},
        {socketPath,
         {"--printer", "office"},
         "Can't print to 'office'. No print server answers at " + socketPath + hint},
        {tcp, {"--printer", "office"}, "Can't print to 'office'. No print server answers at " + tcp + hint},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        // No client settings that could name another scheduler or a default.
        const std::map<std::string, std::string> environment{{"CUPS_SERVER", c.server},
                                                             {"CUPS_SERVERROOT", dir.Path().string()},
                                                             {"HOME", dir.Path().string()},
                                                             {"PRINTER", ""},
                                                             {"LPDEST", ""}};
        std::vector<std::string> args{"print", PrintFixture("three_pages.qvrp"), PrintFixture("three_pages.xml")};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const qv::test::RunResult run = RunQuorvane(args, environment);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.expected);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(dir.Files().empty());
    }
}

}  // namespace
