// The application's preview and print commands: the road from a template and
// a data file to the preview dialog, the print dialog and the printed PDF, and
// the message box of an engine error.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestPrintHost.h"
#include "WidgetTestSupport.h"
#include "engine/Progress.h"
#include "engine/QvSettings.h"
#include "preview/CdlgPrintPrev.h"
#include "preview/CqvWinPreview.h"
#include "preview/ReportCommands.h"
#include "support/TestCommand.h"

namespace {

using qvtest::FilePrintHost;
using qvtest::ModalDriver;
using qv::test::Capture;
using qvtest::PreviewData;

// What a modal dialog showed before the driver closed it.
struct SeenDialog {
    QString kind;  // "preview" or "message"
    QString title;
    QString text;
};

// Handles every modal dialog of a command: the preview gets `previewButton`
// (0 = Esc), a message box is read and acknowledged.
ModalDriver::Action Answer(std::vector<SeenDialog>& seen, int previewButton) {
    return [&seen, previewButton](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.push_back({"message", box->windowTitle(), box->text()});
            box->button(QMessageBox::Ok)->click();
        } else if (qobject_cast<CdlgPrintPrev*>(modal)) {
            seen.push_back({"preview", modal->windowTitle(), {}});
            if (previewButton == 0) QTest::keyClick(modal, Qt::Key_Escape);
            else modal->findChild<QPushButton*>(QStringLiteral("id%1").arg(previewButton))->click();
        }
    };
}

int PdfPages(const std::string& path) {
    const std::string info = Capture("pdfinfo '" + path + "' 2>/dev/null");
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

class ReportCommandsTest : public ::testing::Test {
protected:
    std::string Output(const std::string& name) const {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }

    QTemporaryDir m_dir;
};

TEST_F(ReportCommandsTest, BrokenTemplateShowsTheEngineMessageAndOpensNothingElse) {
    for (ReportCommand command : {ReportCommand::Preview, ReportCommand::Print}) {
        std::vector<SeenDialog> seen;
        ModalDriver driver(Answer(seen, kPreviewResultClose));
        FilePrintHost host(Output("never.pdf"));
        EXPECT_FALSE(RunReportCommand(command, PreviewData("one_page.xml"), PreviewData("broken.qvrp"), host));
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].kind, "message");
        EXPECT_EQ(seen[0].title, "QuorvaneDemo");
        EXPECT_EQ(seen[0].text, "Can't find root element 'XmlTemplateReport' in template ");
        EXPECT_EQ(host.PrintDialogs(), 0);
        EXPECT_FALSE(std::filesystem::exists(Output("never.pdf")));
        EXPECT_FALSE(driver.TimedOut());
    }
}

TEST_F(ReportCommandsTest, MissingDataFileIsReportedWithTheLoadersMessage) {
    std::vector<SeenDialog> seen;
    ModalDriver driver(Answer(seen, kPreviewResultClose));
    EXPECT_FALSE(RunPreviewCommand(PreviewData("no_such.xml"), PreviewData("one_page.qvrp")));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, "message");
    EXPECT_NE(seen[0].text.indexOf("no_such.xml"), -1) << seen[0].text.toStdString();
}

TEST_F(ReportCommandsTest, EscapeInThePreviewPrintsNothing) {
    std::vector<SeenDialog> seen;
    ModalDriver driver(Answer(seen, 0));
    FilePrintHost host(Output("never.pdf"));
    EXPECT_TRUE(RunReportCommand(ReportCommand::Preview, PreviewData("three_pages.xml"),
                                 PreviewData("three_pages.qvrp"), host));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, "preview");
    EXPECT_EQ(seen[0].title, "Print Priview");
    EXPECT_EQ(host.PrintDialogs(), 0);
    EXPECT_FALSE(std::filesystem::exists(Output("never.pdf")));
}

TEST_F(ReportCommandsTest, PrintInThePreviewPrintsEveryPage) {
    std::vector<SeenDialog> seen;
    ModalDriver driver(Answer(seen, kPreviewResultPrint));
    const std::string pdf = Output("kennels.pdf");
    FilePrintHost host(pdf);
    EXPECT_TRUE(RunReportCommand(ReportCommand::Preview, PreviewData("three_pages.xml"),
                                 PreviewData("three_pages.qvrp"), host));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(host.PrintDialogs(), 1);
    EXPECT_EQ(PdfPages(pdf), 3);
    const std::string text = Capture("pdftotext '" + pdf + "' -");
    for (const char* expected : {"Kennels", "Feeding", "Walks", "Page 3 of 3"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

TEST_F(ReportCommandsTest, PrintDialogOpensWithTheReportsPaper) {
    const std::string pdf = Output("rota.pdf");
    FilePrintHost host(pdf);
    EXPECT_TRUE(
        RunReportCommand(ReportCommand::Print, PreviewData("one_page.xml"), PreviewData("one_page.qvrp"), host));
    EXPECT_EQ(host.OfferedLayout().orientation(), QPageLayout::Landscape);
    const QSizeF paper = host.OfferedLayout().pageSize().size(QPageSize::Millimeter);
    EXPECT_NEAR(paper.width(), 210.0, 0.5);
    EXPECT_NEAR(paper.height(), 297.0, 0.5);
    EXPECT_EQ(PdfPages(pdf), 1);
    // A landscape A4 page: 842 x 595 points.
    EXPECT_NE(Capture("pdfinfo '" + pdf + "'").find("841.89 x 595.276"), std::string::npos);
}

TEST_F(ReportCommandsTest, CancelledPrintDialogPrintsNothingAndSaysNothing) {
    std::vector<SeenDialog> seen;
    ModalDriver driver(Answer(seen, kPreviewResultClose));
    FilePrintHost host("");
    EXPECT_TRUE(
        RunReportCommand(ReportCommand::Print, PreviewData("three_pages.xml"), PreviewData("three_pages.qvrp"), host));
    EXPECT_EQ(host.PrintDialogs(), 1);
    EXPECT_TRUE(seen.empty());
}

TEST_F(ReportCommandsTest, ProgressDialogShowsTheDocumentTheFileAndThePages) {
    const std::string pdf = Output("kennels.pdf");
    FilePrintHost host(pdf);
    std::vector<std::array<QString, 5>> shown;
    host.makeProgress = [&shown] {
        // A phase name no loop uses: nothing is cancelled.
        return std::make_unique<qvtest::CancellingProgress>("-", [&shown](const qvtest::CancellingProgress& p) {
            shown.push_back({p.windowTitle(), p.ItemText(kProgressStatus), p.ItemText(kProgressDocument),
                             p.ItemText(kProgressPage), p.ItemText(kProgressPort)});
        });
    };
    EXPECT_TRUE(
        RunReportCommand(ReportCommand::Print, PreviewData("three_pages.xml"), PreviewData("three_pages.qvrp"), host));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0][0], "Process");
    EXPECT_EQ(shown[0][1], "Prepare print");
    EXPECT_EQ(shown[1][1], "Print");
    for (const auto& s : shown) {
        EXPECT_EQ(s[2], "three_pages.xml");
        EXPECT_EQ(s[4], "FILE:");
    }
    EXPECT_EQ(shown[1][3], "3");  // the last page printed
    EXPECT_EQ(PdfPages(pdf), 3);
}

TEST_F(ReportCommandsTest, CancelWhilePrintingEndsTheJobAfterThePageInProgress) {
    const std::string pdf = Output("kennels.pdf");
    FilePrintHost host(pdf);
    host.makeProgress = [] { return std::make_unique<qvtest::CancellingProgress>("Print"); };
    EXPECT_TRUE(
        RunReportCommand(ReportCommand::Print, PreviewData("three_pages.xml"), PreviewData("three_pages.qvrp"), host));
    EXPECT_TRUE(QvSettings::Instance().abort);
    EXPECT_EQ(PdfPages(pdf), 1);
}

TEST_F(ReportCommandsTest, CancelWhilePreparingPrintsNothing) {
    const std::string pdf = Output("kennels.pdf");
    FilePrintHost host(pdf);
    host.makeProgress = [] { return std::make_unique<qvtest::CancellingProgress>("Prepare print"); };
    EXPECT_TRUE(
        RunReportCommand(ReportCommand::Print, PreviewData("three_pages.xml"), PreviewData("three_pages.qvrp"), host));
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(ReportCommandsTest, CancelWhileThePreviewIsPreparedShowsThePagesMadeSoFar) {
    FilePrintHost host(Output("never.pdf"));
    host.makeProgress = [] { return std::make_unique<qvtest::CancellingProgress>("Prepare print"); };
    uint32_t pages = 0;
    ModalDriver driver([&pages](QWidget* modal) {
        if (auto* preview = qobject_cast<CdlgPrintPrev*>(modal)) {
            pages = preview->PreviewWindow()->PrintInfo().maxPage;
            preview->reject();
        }
    });
    EXPECT_TRUE(RunReportCommand(ReportCommand::Preview, PreviewData("three_pages.xml"),
                                 PreviewData("three_pages.qvrp"), host));
    EXPECT_GE(pages, 1u);
    EXPECT_LT(pages, 3u);
}

TEST_F(ReportCommandsTest, UnwritableOutputIsReportedNotSwallowed) {
    std::vector<SeenDialog> seen;
    ModalDriver driver(Answer(seen, kPreviewResultClose));
    const std::string pdf = Output("no/such/folder/kennels.pdf");
    FilePrintHost host(pdf);
    EXPECT_FALSE(
        RunReportCommand(ReportCommand::Print, PreviewData("three_pages.xml"), PreviewData("three_pages.qvrp"), host));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, "message");
    EXPECT_EQ(seen[0].title, "QuorvaneDemo");
    EXPECT_NE(seen[0].text.indexOf("kennels.pdf"), -1) << seen[0].text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

}  // namespace
