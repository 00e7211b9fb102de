#include "quorvane/Report.h"

#include <cstring>
#include <filesystem>
#include <utility>

#include "engine/CqvReport.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"

namespace quorvane {

struct Report::Impl {
    std::unique_ptr<CqvReport> report;
    bool laidOut = false;

    QvPrintInfo& PrintInfo() { return report->PrintInfo(); }

    // Lays the report out on `surface` and draws every page into it, in page
    // order: a report too large to hold is drawn page by page as it is laid
    // out a second time.
    template <class OutputSurface>
    void Draw(OutputSurface& surface) {
        report->PreparePagesInOrder(surface, PrintInfo());
        laidOut = true;
        report->DrawPagesInOrder(surface, PrintInfo(), [&](uint32_t page) {
            surface.StartPage();
            PrintInfo().currentPage = page;
            report->DrawPage(surface, PrintInfo());
            surface.EndPage();
            return true;
        });
        surface.Finish();
    }
};

namespace {

// A moved-from report has nothing left to work on.
template <class Impl>
CqvReport& Loaded(const std::unique_ptr<Impl>& impl) {
    if (!impl || !impl->report) throw CqvEx("The report was moved away");
    return *impl->report;
}

}  // namespace

Report::Report(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

Report::Report(const std::string& templatePath, const std::string& dataPath) : m_impl(std::make_unique<Impl>()) {
    m_impl->report = std::make_unique<CqvReport>(dataPath, templatePath);
    m_impl->report->LoadAll();
}

Report Report::FromMemory(std::string templateText, std::string dataText, const std::string& baseFolder) {
    auto impl = std::make_unique<Impl>();
    impl->report = std::make_unique<CqvReport>("data", "template");
    // The base is a file in the folder: references resolve against its folder.
    const std::string base = (std::filesystem::path(baseFolder.empty() ? "." : baseFolder) / "-").string();
    impl->report->SetTemplateText(std::move(templateText), base);
    impl->report->SetDataText(std::move(dataText), base);
    impl->report->LoadAll();
    return Report(std::move(impl));
}

Report::~Report() = default;
Report::Report(Report&&) noexcept = default;
Report& Report::operator=(Report&&) noexcept = default;

std::size_t Report::PageCount() {
    CqvReport& report = Loaded(m_impl);
    if (!m_impl->laidOut) {
        // Layout measures on the PDF surface, as rendering does; nothing is drawn.
        PdfSurface measure = PdfSurface::Stream([](const unsigned char*, size_t) { return true; }, "layout",
                                                PaperWidth(), PaperHeight());
        report.PreparePages(measure, report.PrintInfo());
        m_impl->laidOut = true;
    }
    return report.PageCount();
}

std::int32_t Report::PaperWidth() const {
    const CqvReport& report = Loaded(m_impl);
    return report.Landscape() ? report.PageHeight() : report.PageWidth();
}

std::int32_t Report::PaperHeight() const {
    const CqvReport& report = Loaded(m_impl);
    return report.Landscape() ? report.PageWidth() : report.PageHeight();
}

void Report::RenderToFile(const std::string& path, Format format, double dpi) {
    Loaded(m_impl);
    const int32_t width = PaperWidth(), height = PaperHeight();
    switch (format) {
    case Format::Pdf: {
        PdfSurface surface = PdfSurface::File(path, width, height);
        m_impl->Draw(surface);
        return;
    }
    case Format::Png: {
        CairoSurface surface = CairoSurface::Png(path, width, height, dpi);
        m_impl->Draw(surface);
        return;
    }
    case Format::Svg: {
        CairoSurface surface = CairoSurface::Svg(path, width, height);
        m_impl->Draw(surface);
        return;
    }
    case Format::PostScript: break;
    }
    CairoSurface surface = CairoSurface::PostScript(path, width, height);
    m_impl->Draw(surface);
}

std::vector<std::byte> Report::RenderPdf() {
    Loaded(m_impl);
    std::vector<std::byte> pdf;
    PdfSurface surface = PdfSurface::Stream(
        [&pdf](const unsigned char* data, size_t length) {
            const size_t at = pdf.size();
            pdf.resize(at + length);
            std::memcpy(pdf.data() + at, data, length);
            return true;
        },
        "PDF in memory", PaperWidth(), PaperHeight());
    m_impl->Draw(surface);
    return pdf;
}

}  // namespace quorvane
