#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"
#include "render/RecordingSurface.h"

namespace qvfuzz {

namespace {

namespace fs = std::filesystem;

void RemoveWorkDir() {
    std::error_code ignored;
    fs::remove_all(WorkDir(), ignored);
}

fs::path MakeWorkDir() {
    std::string pattern = (fs::temp_directory_path() / "qvfuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    const fs::path dir = pattern;
    const fs::path source = QV_SOURCE_DIR;
    // Templates name the DTD and their pictures relative to themselves.
    fs::copy_file(source / "DemoFiles/quorvane_v1.0.dtd", dir / "quorvane_v1.0.dtd");
    fs::copy(source / "DemoFiles/images", dir / "images", fs::copy_options::recursive);
    for (const fs::directory_entry& entry : fs::directory_iterator(source / "fuzz/data"))
        fs::copy_file(entry.path(), dir / entry.path().filename());
    return dir;
}

}  // namespace

const fs::path& WorkDir() {
    static const fs::path dir = [] {
        fs::path made = MakeWorkDir();
        std::atexit(RemoveWorkDir);
        return made;
    }();
    return dir;
}

std::string WriteInput(const char* name, const uint8_t* data, size_t size) {
    const fs::path path = WorkDir() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string FixedFile(const char* name) { return (WorkDir() / name).string(); }

void RunReport(const std::string& templatePath, const std::string& dataPath) {
    // The last run's report lives until this one has finished: its styles hold
    // the glyph advance tables, which this run then finds instead of building
    // them again (they are held weakly and would go with every report). A
    // report's destruction resets the process-wide settings, so the old one
    // goes after the new one is done, never during its run.
    static std::unique_ptr<CqvReport> previous;
    auto current = std::make_unique<CqvReport>(dataPath, templatePath);
    CqvReport& report = *current;
    struct KeepForNextRun {
        std::unique_ptr<CqvReport>& previous;
        std::unique_ptr<CqvReport>& current;
        ~KeepForNextRun() { previous = std::move(current); }
    } keep{previous, current};
    try {
        report.LoadAll();
        RecordingSurface surface;
        QvPrintInfo& printInfo = report.PrintInfo();
        report.PreparePages(surface, printInfo);
        surface.Clear();
        for (uint32_t page = 1; page <= report.PageCount(); ++page) {
            printInfo.currentPage = page;
            report.DrawPage(surface, printInfo);
            surface.Clear();  // the calls of one page are all a run needs to hold
        }
    } catch (const CqvEx&) {
        // A refused report is a correct answer to a hostile one.
    }
}

namespace {

template <class OutputSurface>
void DrawEveryPage(CqvReport& report, OutputSurface& surface) {
    QvPrintInfo& printInfo = report.PrintInfo();
    report.PreparePages(surface, printInfo);
    for (uint32_t page = 1; page <= report.PageCount(); ++page) {
        surface.StartPage();
        printInfo.currentPage = page;
        report.DrawPage(surface, printInfo);
        surface.EndPage();
    }
    surface.Finish();
}

}  // namespace

void RenderReport(const std::string& templatePath, const std::string& dataPath) {
    CqvReport report(dataPath, templatePath);
    try {
        report.LoadAll();
        const auto [width, height] = report.Paper();
        size_t pdfBytes = 0;
        PdfSurface pdf = PdfSurface::Stream(
            [&pdfBytes](const unsigned char*, size_t count) {
                pdfBytes += count;
                return true;
            },
            "fuzz.pdf", width, height);
        DrawEveryPage(report, pdf);
        CairoSurface png = CairoSurface::Png((WorkDir() / "page.png").string(), width, height, 12);
        DrawEveryPage(report, png);
    } catch (const CqvEx&) {
        // A refused report is a correct answer to a hostile one.
    }
}

}  // namespace qvfuzz
