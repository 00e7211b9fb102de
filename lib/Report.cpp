#include "quorvane/Report.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "engine/CqvReport.h"
#include "lib/PrintHostAdapter.h"
#include "lib/RendererAccess.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"

namespace quorvane {

struct QUORVANE_LOCAL Report::Impl {
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

// Lends the report a host for one call; the report never keeps a host that
// may be gone when the call returns.
class HostScope {
public:
    HostScope(CqvReport& report, ::PrintHost* host) : m_report(report), m_previous(report.Host()) {
        report.SetPrintHost(host);
    }
    ~HostScope() { m_report.SetPrintHost(m_previous); }
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

private:
    CqvReport& m_report;
    ::PrintHost* m_previous;
};

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

std::int32_t Report::PaperWidth() const { return Loaded(m_impl).Paper().width; }

std::int32_t Report::PaperHeight() const { return Loaded(m_impl).Paper().height; }

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

void Report::Prepare(Surface& surface, Progress* progress) {
    CqvReport& report = Loaded(m_impl);
    std::optional<bridge::SurfaceAdapter> adapter;
    ::Surface& engine = bridge::EngineSurfaceOf(surface, adapter);
    // Without a progress display of its own the call keeps the host's, as
    // the preview dialog's layout does.
    std::optional<bridge::ProgressOnlyHost> progressHost;
    if (progress) progressHost.emplace(*progress);
    HostScope scope(report, progressHost ? &*progressHost : report.Host());
    m_impl->laidOut = false;
    report.PreparePages(engine, report.PrintInfo());
    m_impl->laidOut = true;
}

void Report::DrawPage(std::size_t page, Surface& surface) {
    CqvReport& report = Loaded(m_impl);
    const std::size_t count = PageCount();
    if (page < 1 || page > count)
        throw CqvEx("Page " + std::to_string(page) + " is not in the report: it has " + std::to_string(count) +
                    (count == 1 ? " page" : " pages"));
    std::optional<bridge::SurfaceAdapter> adapter;
    ::Surface& engine = bridge::EngineSurfaceOf(surface, adapter);
    report.PrintInfo().currentPage = static_cast<uint32_t>(page);
    report.DrawPage(engine, report.PrintInfo());
}

void Report::Print(PrintHost& host) {
    CqvReport& report = Loaded(m_impl);
    bridge::PrintHostAdapter adapter(host, *this);
    HostScope scope(report, &adapter);
    // Printing reads the sources again and lays out on the printer; whatever
    // layout there was before is gone, and a cancel may leave only part of one.
    m_impl->laidOut = false;
    report.Print();
    m_impl->laidOut = false;
}

void Report::Preview(PrintHost& host) {
    CqvReport& report = Loaded(m_impl);
    bridge::PrintHostAdapter adapter(host, *this);
    HostScope scope(report, &adapter);
    m_impl->laidOut = false;
    report.Preview();
    m_impl->laidOut = false;
}

}  // namespace quorvane
