// The application's printing through a real CUPS scheduler with a cups-pdf
// queue, started by the test: the queue chosen in the print dialog receives
// one job named "Quorvane" holding every page.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPrinter>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "../print/CupsTestServer.h"
#include "WidgetTestSupport.h"
#include "preview/AppPrintHost.h"
#include "preview/QvPrintSetupDialog.h"
#include "preview/ReportCommands.h"
#include "support/TestCommand.h"

namespace {

using namespace std::chrono_literals;

// The print dialog accepted as it opens; remembers the printer it offered.
class AcceptingPrintHost : public AppPrintHost {
public:
    QString offered;

protected:
    bool ExecPrintDialog(QPrinter& printer) override {
        offered = printer.printerName();
        return true;
    }
};

// The print dialog answered with a queue.
class QueuePrintHost : public AppPrintHost {
public:
    explicit QueuePrintHost(std::string queue) : m_strQueue(std::move(queue)) {}

protected:
    bool ExecPrintDialog(QPrinter& printer) override {
        printer.setPrinterName(QString::fromStdString(m_strQueue));
        return true;
    }

private:
    std::string m_strQueue;
};

int PdfPages(const std::string& path) {
    const std::string info = "\n" + qv::test::Capture("pdfinfo " + qv::test::ShellQuoted(path) + " 2>/dev/null");
    const size_t at = info.find("\nPages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 7);
}

TEST(AppPrintHostCupsTest, ChosenQueueGetsOneJobNamedQuorvaneWithEveryPage) {
    const std::string skip = CupsTestServer::SkipReason();
    if (!skip.empty()) GTEST_SKIP() << skip;
    std::unique_ptr<CupsTestServer> server = CupsTestServer::Start();
    ASSERT_TRUE(server);

    QueuePrintHost host(server->Queue());
    const auto since = std::chrono::system_clock::now();
    ASSERT_TRUE(RunReportCommand(ReportCommand::Print, qvtest::PreviewData("three_pages.xml"),
                                 qvtest::PreviewData("three_pages.qvrp"), host));
    ASSERT_GT(host.JobId(), 0);
    const std::optional<CupsJobInfo> job = server->WaitForJobEnd(host.JobId(), 30s);
    ASSERT_TRUE(job) << server->LogTail();
    EXPECT_EQ(job->title, "Quorvane");
    EXPECT_EQ(job->state, IPP_JSTATE_COMPLETED) << server->LogTail();
    const std::string pdf = server->WaitForJobPdf(host.JobId(), since, 30s);
    ASSERT_FALSE(pdf.empty()) << server->LogTail();
    EXPECT_EQ(PdfPages(pdf), 3);
    std::remove(pdf.c_str());
}

TEST(AppPrintHostCupsTest, ThePrinterChosenInPrintSetupIsWhereTheNextPrintGoes) {
    const std::string skip = CupsTestServer::SkipReason();
    if (!skip.empty()) GTEST_SKIP() << skip;
    std::unique_ptr<CupsTestServer> server = CupsTestServer::Start();
    ASSERT_TRUE(server);
    const QString queue = QString::fromStdString(server->Queue());

    // The queue is not the default: without a choice the print dialog opens on no printer.
    QvPrintDialog start;
    ASSERT_TRUE(AcceptingPrintHost().DefaultPrinter(start));
    ASSERT_EQ(start.deviceName, "");

    // File > Print Setup: pick the queue and press OK.
    QPrinter setupPrinter;
    QvPrintSetupDialog setup(&setupPrinter);
    auto* names = setup.findChild<QComboBox*>("printerName");
    ASSERT_TRUE(names);
    ASSERT_TRUE(names->isEnabled());
    const int at = names->findText(queue);
    ASSERT_GE(at, 0) << server->LogTail();
    names->setCurrentIndex(at);
    qvtest::ModalDriver driver([](QWidget* modal) {
        if (auto* buttons = modal->findChild<QDialogButtonBox*>()) buttons->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_EQ(setup.exec(), QDialog::Accepted);
    EXPECT_EQ(setup.ChosenPrinter(), queue);
    EXPECT_EQ(setupPrinter.printerName(), queue);

    // The next Print opens its dialog on that queue, and the job lands there.
    AcceptingPrintHost host;
    host.SetPreferredPrinter(setup.ChosenPrinter().toStdString());
    const auto since = std::chrono::system_clock::now();
    ASSERT_TRUE(RunReportCommand(ReportCommand::Print, qvtest::PreviewData("three_pages.xml"),
                                 qvtest::PreviewData("three_pages.qvrp"), host));
    EXPECT_EQ(host.offered, queue);
    ASSERT_GT(host.JobId(), 0);
    const std::optional<CupsJobInfo> job = server->WaitForJobEnd(host.JobId(), 30s);
    ASSERT_TRUE(job) << server->LogTail();
    EXPECT_EQ(job->state, IPP_JSTATE_COMPLETED) << server->LogTail();
    const std::string pdf = server->WaitForJobPdf(host.JobId(), since, 30s);
    EXPECT_EQ(PdfPages(pdf), 3);
    if (!pdf.empty()) std::remove(pdf.c_str());
}

}  // namespace
