// Output drawn once in page order: a report too large to hold is counted, then
// laid out a second time and drawn page by page. Whatever the report held, and
// however many threads drew it, the files must be the same to the byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliHost.h"
#include "cli/CliTestFiles.h"
#include "cli/PageSelection.h"
#include "cli/ReportRenderer.h"
#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "render/PdfSurface.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"
#include "support/TestSettingsGuard.h"

namespace {

using qv::test::CliFixture;
using qv::test::DemoFile;
using qv::test::ReadFile;
using qv::test::ScratchDir;
using qv::test::SettingsGuard;

// Renders with at most `heldPieces` pieces held; returns the pages of the report.
size_t Render(const std::string& templatePath, const std::string& dataPath, const std::string& out, OutputFormat format,
              size_t heldPieces, const RenderOptions& options = {}) {
    CliHost host(false);
    CqvReport report(dataPath, templatePath, &host);
    report.LoadAll();
    report.SetHeldPieceLimit(heldPieces);
    EXPECT_TRUE(RenderReport(report, host, out, format, options));
    if (heldPieces == 0) {
        EXPECT_FALSE(report.PagesHeld());
    }
    if (heldPieces == kHeldPiecesForPageOrder) {
        EXPECT_TRUE(report.PagesHeld());
    }
    return report.PageCount();
}

struct Case {
    std::string templatePath;
    std::string dataPath;
    size_t minPages;  // so that forgetting pages is exercised at all
};

// Tables with a header row repeated on every page, pictures, and a footer
// whose page count every page shows before the last is laid out.
const std::vector<Case> kCases = {
    {DemoFile("dogs_table.qvrp"), DemoFile("dogs.xml"), 3},
    {DemoFile("base64.qvrp"), DemoFile("base64.xml"), 1},
    {CliFixture("three_pages.qvrp"), CliFixture("three_pages.xml"), 3},
};

TEST(PageOrderRender, APdfDrawnAsItIsLaidOutIsTheSameAsOneDrawnFromHeldPages) {
    SettingsGuard settings;
    ScratchDir dir;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.templatePath);
        const std::string held = dir / "held.pdf";
        RenderOptions twoThreads;
        twoThreads.threads = 2;
        const size_t pages =
            Render(c.templatePath, c.dataPath, held, OutputFormat::Pdf, kHeldPiecesForPageOrder, twoThreads);
        ASSERT_GE(pages, c.minPages);
        // Nothing held, and a limit the report passes part of the way through;
        // pages drawn on a thread of their own (two threads) and everything on
        // the calling thread (one).
        for (size_t limit : {kHeldPiecesForPageOrder, size_t{0}, size_t{40}}) {
            for (int threads : {1, 2}) {
                if (limit == kHeldPiecesForPageOrder && threads == 2) continue;  // the reference itself
                RenderOptions options;
                options.threads = threads;
                const std::string other = dir / "other.pdf";
                EXPECT_EQ(Render(c.templatePath, c.dataPath, other, OutputFormat::Pdf, limit, options), pages);
                const std::string a = ReadFile(held), b = ReadFile(other);
                ASSERT_TRUE(a.starts_with("%PDF-"));
                EXPECT_TRUE(a == b) << "limit " << limit << ", " << threads << " threads: " << a.size()
                                    << " bytes held on two threads, " << b.size();
            }
        }
    }
}

TEST(PageOrderRender, ASelectionOfPagesAndAPageSeriesAreTheSameStreamed) {
    SettingsGuard settings;
    ScratchDir dir;
    const Case& c = kCases.front();
    RenderOptions options;
    options.pages = PageSelection::Parse("2-3");
    Render(c.templatePath, c.dataPath, dir / "held.pdf", OutputFormat::Pdf, kHeldPiecesForPageOrder, options);
    Render(c.templatePath, c.dataPath, dir / "streamed.pdf", OutputFormat::Pdf, 0, options);
    EXPECT_TRUE(ReadFile(dir / "held.pdf") == ReadFile(dir / "streamed.pdf"));

    options = RenderOptions{};
    options.dpi = 20;
    const std::string heldDir = dir / "held", streamedDir = dir / "streamed";
    std::filesystem::create_directories(heldDir);
    std::filesystem::create_directories(streamedDir);
    const size_t pages =
        Render(c.templatePath, c.dataPath, heldDir + "/page.png", OutputFormat::Png, kHeldPiecesForPageOrder, options);
    Render(c.templatePath, c.dataPath, streamedDir + "/page.png", OutputFormat::Png, 0, options);
    for (size_t page = 1; page <= pages; ++page) {
        const std::string name = "/page-" + std::to_string(page) + ".png";
        const std::string a = ReadFile(heldDir + name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == ReadFile(streamedDir + name)) << name;
    }
}

TEST(PageOrderRender, AForgottenPageCannotBeDrawnAgain) {
    SettingsGuard settings;
    ScratchDir dir;
    const Case& c = kCases.front();
    CliHost host(false);
    CqvReport report(c.dataPath, c.templatePath, &host);
    report.LoadAll();
    report.SetHeldPieceLimit(0);
    ASSERT_TRUE(RenderReport(report, host, dir / "out.pdf", OutputFormat::Pdf, {}));
    PdfSurface surface = PdfSurface::File(dir / "again.pdf", 2100, 2970);
    report.PrintInfo().currentPage = 1;
    // Not a blank page passed off as the report's.
    EXPECT_THROW(report.DrawPage(surface, report.PrintInfo()), CqvEx);
}

}  // namespace
