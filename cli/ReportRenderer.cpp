#include "cli/ReportRenderer.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/Interrupt.h"
#include "common/AsciiText.h"
#include "common/CqvEx.h"
#include "cli/UsageError.h"
#include "engine/CqvReport.h"
#include "engine/PrintHost.h"
#include "engine/QvSettings.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"
#include "render/PipelinedSurface.h"

std::optional<OutputFormat> FormatForPath(const std::string& path) {
    const std::string extension = qv::AsciiLower(std::filesystem::path(path).extension().string());
    if (extension == ".pdf") return OutputFormat::Pdf;
    if (extension == ".png") return OutputFormat::Png;
    if (extension == ".svg") return OutputFormat::Svg;
    if (extension == ".ps") return OutputFormat::PostScript;
    return std::nullopt;
}

namespace {

// The per-page formats, on Cairo; PDF has a surface of its own.
CairoSurface MakePageSurface(OutputFormat format, const std::string& path, int32_t width, int32_t height, double dpi) {
    switch (format) {
    case OutputFormat::Png: return CairoSurface::Png(path, width, height, dpi);
    case OutputFormat::Svg: return CairoSurface::Svg(path, width, height);
    case OutputFormat::PostScript: break;
    case OutputFormat::Pdf: break;
    }
    return CairoSurface::PostScript(path, width, height);
}

// The PDF writer's page control, for the drawing thread of a pipeline.
class PdfPages final : public PipelinedSurface::Pages {
public:
    explicit PdfPages(PdfSurface& surface) : m_surface(surface) {}
    void StartPage() override { m_surface.StartPage(); }
    void EndPage() override { m_surface.EndPage(); }
    void Finish() override { m_surface.Finish(); }

private:
    PdfSurface& m_surface;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The pages to draw, checked against the laid-out report.
std::vector<size_t> PagesToDraw(const CqvReport& report, const RenderOptions& options, bool perPageFiles) {
    std::vector<size_t> pages;
    if (options.pages) {
        pages = options.pages->Pages(report.PageCount());
    } else {
        for (size_t page = 1; page <= report.PageCount(); ++page) pages.push_back(page);
    }
    if (options.singleFile && perPageFiles && pages.size() > 1)
        throw UsageError("standard output takes one PNG, SVG or PostScript page, and the report has " +
                         std::to_string(pages.size()) +
                         " pages to draw: choose one with --pages, or write PDF (--format pdf)");
    return pages;
}

// Files were named 1..n in drawing order; each takes its page's number.
// Descending order never renames onto a file not yet renamed, as page
// numbers are at least their position.
void NameFilesAfterPages(const std::string& outPath, const std::vector<size_t>& pages) {
    const int count = static_cast<int>(pages.size());
    if (count <= 1) return;
    for (int i = count; i >= 1; --i) {
        const size_t page = pages[static_cast<size_t>(i - 1)];
        if (page == static_cast<size_t>(i)) continue;
        std::error_code error;
        const std::string from = CairoSurface::PageFileName(outPath, i, count);
        const std::string to = CairoSurface::PageFileName(outPath, static_cast<int>(page), count);
        std::filesystem::rename(from, to, error);
        if (error) throw CqvEx("The file \"" + to + "\" cannot be written: " + error.message());
    }
}

// Lays the report out on `surface` and draws the chosen pages into it, in
// page order: a report too large to hold is laid out again and drawn page by
// page as it goes.
template <class OutputSurface>
bool DrawReport(CqvReport& report, PrintHost& host, OutputSurface& surface, const std::string& outPath,
                const RenderOptions& options, bool perPageFiles, RenderTimings* timings, std::vector<size_t>& drawn) {
    QvPrintInfo& printInfo = report.PrintInfo();
    auto start = std::chrono::steady_clock::now();
    report.PreparePagesInOrder(surface, printInfo);
    if (timings) timings->layout = SecondsSince(start);
    if (qv::cli::InterruptRequested()) return false;
    drawn = PagesToDraw(report, options, perPageFiles);

    start = std::chrono::steady_clock::now();
    std::unique_ptr<Progress> progress = host.CreateProgress();
    if (progress) {
        progress->SetItemText(kProgressStatus, "Render");
        progress->SetItemText(kProgressDocument, std::filesystem::path(outPath).filename().string());
        progress->Show();
    }
    const size_t pageCount = report.PageCount();
    size_t next = 0;  // of drawn
    bool stopped = false;
    report.DrawPagesInOrder(surface, printInfo, [&](uint32_t page) {
        if (next == drawn.size()) return false;
        if (drawn[next] != page) return true;
        if (progress) {
            progress->SetItemText(kProgressPage, std::to_string(page) + " of " + std::to_string(pageCount));
            if (!progress->AbortCheck()) {
                stopped = true;
                return false;
            }
        }
        surface.StartPage();
        printInfo.currentPage = page;
        report.DrawPage(surface, printInfo);
        surface.EndPage();
        return ++next < drawn.size();
    });
    // A stop while the pages were laid out again ends the drawing early too.
    if (stopped || next < drawn.size()) return false;
    surface.Finish();
    if (timings) timings->drawing = SecondsSince(start);
    return true;
}

}  // namespace

bool RenderReport(CqvReport& report, PrintHost& host, const std::string& outPath, OutputFormat format,
                  const RenderOptions& options, RenderTimings* timings) {
    // The page setup is known once the template is loaded; landscape turns the
    // paper, as the layout does.
    const auto [paperWidth, paperHeight] = report.Paper();
    std::vector<size_t> drawn;
    if (format == OutputFormat::Pdf) {
        PdfSurface surface = PdfSurface::File(outPath, paperWidth, paperHeight, options.threads);
        const bool oneCore = options.threads == 0 && std::thread::hardware_concurrency() < 2;
        if (options.threads == 1 || oneCore)
            return DrawReport(report, host, surface, outPath, options, false, timings, drawn);
        // The engine lays out and replays the pieces on this thread while the
        // PDF writer draws the previous page on another.
        PdfPages pages(surface);
        PipelinedSurface pipeline(surface, pages);
        return DrawReport(report, host, pipeline, outPath, options, false, timings, drawn);
    }
    CairoSurface surface = MakePageSurface(format, outPath, paperWidth, paperHeight, options.dpi);
    surface.SetStopCheck([] { return QvSettings::Instance().Interrupted(); });
    if (!DrawReport(report, host, surface, outPath, options, true, timings, drawn)) return false;
    NameFilesAfterPages(outPath, drawn);
    return true;
}
