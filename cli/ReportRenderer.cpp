#include "cli/ReportRenderer.h"

#include <chrono>
#include <filesystem>
#include <memory>

#include "cli/Interrupt.h"
#include "common/AsciiText.h"
#include "engine/CqvReport.h"
#include "engine/PrintHost.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"

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
CairoSurface MakePageSurface(OutputFormat format, const std::string& path, int32_t width, int32_t height,
                             double dpi) {
    switch (format) {
    case OutputFormat::Png: return CairoSurface::Png(path, width, height, dpi);
    case OutputFormat::Svg: return CairoSurface::Svg(path, width, height);
    case OutputFormat::PostScript: break;
    case OutputFormat::Pdf: break;
    }
    return CairoSurface::PostScript(path, width, height);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Lays the report out on `surface` and draws every page into it.
template <class OutputSurface>
bool DrawReport(CqvReport& report, PrintHost& host, OutputSurface& surface, const std::string& outPath,
                RenderTimings* timings) {
    QvPrintInfo& printInfo = report.PrintInfo();
    auto start = std::chrono::steady_clock::now();
    report.PreparePages(surface, printInfo);
    if (timings) timings->layout = SecondsSince(start);
    if (qv::cli::InterruptRequested()) return false;

    start = std::chrono::steady_clock::now();
    std::unique_ptr<Progress> progress = host.CreateProgress();
    if (progress) {
        progress->SetItemText(kProgressStatus, "Render");
        progress->SetItemText(kProgressDocument, std::filesystem::path(outPath).filename().string());
        progress->Show();
    }
    const size_t pageCount = report.PageCount();
    for (size_t page = 1; page <= pageCount; ++page) {
        if (progress) {
            progress->SetItemText(kProgressPage, std::to_string(page) + " of " + std::to_string(pageCount));
            if (!progress->AbortCheck()) return false;
        }
        surface.StartPage();
        printInfo.currentPage = static_cast<uint32_t>(page);
        report.DrawPage(surface, printInfo);
        surface.EndPage();
    }
    surface.Finish();
    if (timings) timings->drawing = SecondsSince(start);
    return true;
}

}  // namespace

bool RenderReport(CqvReport& report, PrintHost& host, const std::string& outPath, OutputFormat format,
                  double dpi, RenderTimings* timings) {
    // The page setup is known once the template is loaded; landscape turns the
    // paper, as the layout does.
    const int32_t paperWidth = report.Landscape() ? report.PageHeight() : report.PageWidth();
    const int32_t paperHeight = report.Landscape() ? report.PageWidth() : report.PageHeight();
    if (format == OutputFormat::Pdf) {
        PdfSurface surface = PdfSurface::File(outPath, paperWidth, paperHeight);
        return DrawReport(report, host, surface, outPath, timings);
    }
    CairoSurface surface = MakePageSurface(format, outPath, paperWidth, paperHeight, dpi);
    return DrawReport(report, host, surface, outPath, timings);
}
