// Drawing and printing through the public interfaces: a program's own
// Surface, Progress and PrintHost, and the library's Renderer. What a page
// draws must not depend on the road it takes to the output.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quorvane/Renderer.h"
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

std::string Demo(const std::string& name) { return std::string(QV_SOURCE_DIR) + "/DemoFiles/" + name; }

// A program's own surface: passes every call on to another surface and
// counts the pictures, so that the whole public interface is crossed.
class ForwardingSurface : public quorvane::Surface {
public:
    explicit ForwardingSurface(quorvane::Surface& to) : m_to(to) {}
    quorvane::Font SelectFont(const quorvane::Font& font) override { return m_to.SelectFont(font); }
    const quorvane::Font& CurrentFont() const override { return m_to.CurrentFont(); }
    quorvane::Color SetTextColor(quorvane::Color c) override { return m_to.SetTextColor(c); }
    quorvane::Color SetBkColor(quorvane::Color c) override { return m_to.SetBkColor(c); }
    quorvane::Color TextColor() const override { return m_to.TextColor(); }
    quorvane::Color BkColor() const override { return m_to.BkColor(); }
    void TextOut(std::int32_t x, std::int32_t top, unsigned options, const quorvane::Rect& clip,
                 std::u16string_view text, const std::int32_t* advances) override {
        m_to.TextOut(x, top, options, clip, text, advances);
    }
    void FillSolidRect(const quorvane::Rect& r, quorvane::Color c) override { m_to.FillSolidRect(r, c); }
    void MoveTo(std::int32_t x, std::int32_t y) override { m_to.MoveTo(x, y); }
    void LineTo(std::int32_t x, std::int32_t y) override { m_to.LineTo(x, y); }
    void Rectangle(const quorvane::Rect& r) override { m_to.Rectangle(r); }
    void DrawPicture(const quorvane::Picture& picture, const quorvane::Rect& dest, std::int32_t sourceTop,
                     std::int32_t sourceHeight) override {
        ++pictures;
        m_to.DrawPicture(picture, dest, sourceTop, sourceHeight);
    }
    int pictures = 0;

private:
    quorvane::Surface& m_to;
};

// Every page of a report drawn onto `surface` through DrawPage.
void DrawAll(quorvane::Report& report, quorvane::Renderer& renderer, quorvane::Surface& surface) {
    for (std::size_t page = 1; page <= report.PageCount(); ++page) {
        renderer.StartPage();
        report.DrawPage(page, surface);
        renderer.EndPage();
    }
    renderer.Finish();
}

TEST(SurfaceApi, PagesDrawnOneByOneOrThroughAProgramsSurfaceGiveTheSameOutput) {
    quorvane::Report report(Demo("dogs.qvrp"), Demo("dogs.xml"));
    const std::string expected = AsString(report.RenderPdf());
    ASSERT_TRUE(expected.starts_with("%PDF-"));

    quorvane::Renderer direct = quorvane::Renderer::PdfInMemory(report.PaperWidth(), report.PaperHeight());
    DrawAll(report, direct, direct);
    EXPECT_EQ(direct.PageCount(), report.PageCount());
    EXPECT_TRUE(AsString(direct.PdfBytes()) == expected);

    // Fonts, colours, rectangles and pictures cross the public types and back.
    quorvane::Renderer target = quorvane::Renderer::PdfInMemory(report.PaperWidth(), report.PaperHeight());
    ForwardingSurface program(target);
    DrawAll(report, target, program);
    EXPECT_GT(program.pictures, 1);
    EXPECT_TRUE(AsString(target.PdfBytes()) == expected);
}

TEST(SurfaceApi, PngPagesInMemoryAreTheCommandsPngFiles) {
    ScratchDir dir;
    const std::string out = dir / "page.png";
    ASSERT_EQ(qv::test::RunProgram(QV_QUORVANE_EXE, {"render", Fixture("three_pages.qvrp"), Fixture("three_pages.xml"),
                                                     "-o", out, "--dpi", "30"})
                  .status,
              0);
    quorvane::Report report(Fixture("three_pages.qvrp"), Fixture("three_pages.xml"));
    quorvane::Renderer png = quorvane::Renderer::PngInMemory(report.PaperWidth(), report.PaperHeight(), 30);
    report.DrawPage(3, png);  // lays the report out on its own
    png.EndPage();
    report.DrawPage(1, png);
    png.Finish();
    ASSERT_EQ(png.PngPages().size(), 2u);
    EXPECT_TRUE(AsString(png.PngPages()[0]) == ReadFile(dir / "page-3.png"));
    EXPECT_TRUE(AsString(png.PngPages()[1]) == ReadFile(dir / "page-1.png"));
    // Nothing written beside the command's pages.
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"page-1.png", "page-2.png", "page-3.png"}));
}

TEST(SurfaceApi, PagesOutsideTheReportAndMovedRenderersAreErrors) {
    quorvane::Report report(Fixture("three_pages.qvrp"), Fixture("three_pages.xml"));
    quorvane::Renderer pdf = quorvane::Renderer::PdfInMemory(report.PaperWidth(), report.PaperHeight());
    EXPECT_EQ(ErrorOf([&] { report.DrawPage(0, pdf); }), "Page 0 is not in the report: it has 3 pages");
    EXPECT_EQ(ErrorOf([&] { report.DrawPage(4, pdf); }), "Page 4 is not in the report: it has 3 pages");
    quorvane::Renderer moved = std::move(pdf);
    EXPECT_EQ(ErrorOf([&] { report.DrawPage(1, pdf); }), "The renderer was moved away");
    EXPECT_EQ(ErrorOf([&] { quorvane::Renderer::PngInMemory(2100, 2970, -1); }),
              "The resolution -1 dpi cannot be drawn");
}

// A progress display that records its items and cancels at a given check.
class RecordingProgress : public quorvane::Progress {
public:
    explicit RecordingProgress(int cancelAt = 0) : m_cancelAt(cancelAt) {}
    void SetItemText(quorvane::ProgressItem item, const std::string& text) override {
        log.push_back(std::to_string(static_cast<int>(item)) + "=" + text);
    }
    void Show() override { log.push_back("show"); }
    bool AbortCheck() override { return ++checks != m_cancelAt; }
    std::vector<std::string> log;
    int checks = 0;

private:
    int m_cancelAt;
};

TEST(SurfaceApi, PrepareShowsProgressAndACancelKeepsThePagesSoFar) {
    quorvane::Report report(Fixture("three_pages.qvrp"), Fixture("three_pages.xml"));
    quorvane::Renderer pdf = quorvane::Renderer::PdfInMemory(report.PaperWidth(), report.PaperHeight());
    RecordingProgress progress;
    report.Prepare(pdf, &progress);
    EXPECT_EQ(report.PageCount(), 3u);
    ASSERT_GE(progress.log.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(progress.log.begin(), progress.log.begin() + 5),
              (std::vector<std::string>{"2005=Prepare print", "2013=three_pages.xml", "2015=", "2016=", "show"}));
    EXPECT_GT(progress.checks, 1);

    RecordingProgress cancel(1);
    report.Prepare(pdf, &cancel);
    EXPECT_EQ(cancel.checks, 1);
    EXPECT_LT(report.PageCount(), 3u);
    // The next layout without a display is whole again.
    report.Prepare(pdf);
    EXPECT_EQ(report.PageCount(), 3u);
}

// A program's printer: a PDF in memory, and a log of the calls in order.
class RecordingHost : public quorvane::PrintHost {
public:
    bool DefaultPrinter(quorvane::PrintDialog& dialog) override {
        log.push_back("default");
        dialog.deviceName = "Office";
        dialog.portName = "ipp";
        return hasPrinter;
    }
    bool ShowPrintDialog(quorvane::PrintDialog& dialog) override {
        log.push_back("dialog " + std::to_string(dialog.devMode.paperSize) + " " +
                      std::to_string(dialog.devMode.paperWidth) + "x" + std::to_string(dialog.devMode.paperLength));
        return true;
    }
    quorvane::Surface* AttachPrinter(const quorvane::PrintDialog& dialog) override {
        log.push_back("attach " + dialog.deviceName);
        printer.emplace(quorvane::Renderer::PdfInMemory(dialog.devMode.paperWidth, dialog.devMode.paperLength));
        return &*printer;
    }
    bool StartDoc(const std::string& name) override {
        log.push_back("start " + name);
        return true;
    }
    bool StartPage() override {
        printer->StartPage();
        return true;
    }
    bool EndPage() override {
        printer->EndPage();
        log.push_back("page");
        return true;
    }
    bool EndDoc() override {
        printer->Finish();
        pdf = printer->PdfBytes();
        log.push_back("end");
        return true;
    }
    void AbortDoc() override { log.push_back("abort"); }
    void DetachPrinter() override {
        printer.reset();
        log.push_back("detach");
    }
    int RunPreviewDialog(quorvane::Report& report) override {
        log.push_back("preview " + std::to_string(report.PageCount()));
        quorvane::Renderer screen = quorvane::Renderer::PngInMemory(report.PaperWidth(), report.PaperHeight(), 10);
        report.DrawPage(2, screen);
        screen.Finish();
        previewPages = screen.PngPages().size();
        return previewResult;
    }
    std::unique_ptr<quorvane::Progress> CreateProgress() override {
        return std::make_unique<RecordingProgress>(cancelAt);
    }

    bool hasPrinter = true;
    int previewResult = quorvane::kPreviewResultPrint;
    int cancelAt = 0;
    std::size_t previewPages = 0;
    std::optional<quorvane::Renderer> printer;
    std::vector<std::byte> pdf;
    std::vector<std::string> log;
};

TEST(SurfaceApi, PrintAndPreviewGoThroughTheProgramsHost) {
    quorvane::Report report(Fixture("three_pages.qvrp"), Fixture("three_pages.xml"));
    const std::string expected = AsString(report.RenderPdf());

    RecordingHost host;
    report.Print(host);
    EXPECT_EQ(host.log, (std::vector<std::string>{"default", "dialog 256 2100x2970", "attach Office", "start Quorvane",
                                                  "page", "page", "page", "end", "detach"}));
    EXPECT_TRUE(AsString(host.pdf) == expected);

    // The preview draws pages of the report it is handed, then asks to print.
    RecordingHost preview;
    report.Preview(preview);
    ASSERT_GE(preview.log.size(), 2u);
    EXPECT_EQ(preview.log[0], "preview 3");
    EXPECT_EQ(preview.previewPages, 1u);
    EXPECT_EQ(preview.log.back(), "detach");
    EXPECT_TRUE(AsString(preview.pdf) == expected);

    // No printer, and a cancel in the layout: nothing printed, the job abandoned.
    RecordingHost none;
    none.hasPrinter = false;
    report.Print(none);
    EXPECT_EQ(none.log, (std::vector<std::string>{"default"}));
    RecordingHost cancelled;
    cancelled.cancelAt = 1;
    report.Print(cancelled);
    EXPECT_EQ(cancelled.log, (std::vector<std::string>{"default", "dialog 256 2100x2970", "attach Office",
                                                       "start Quorvane", "abort", "detach"}));
    // The report goes on working after its host is gone.
    EXPECT_EQ(report.PageCount(), 3u);
}

}  // namespace
