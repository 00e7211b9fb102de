// The engine's hot paths under Google Benchmark: line breaking and wrapped
// measuring of a long paragraph, the page-portion choice of one text over many
// pages, the block layout of a large bound table, and drawing one full page
// on the PDF surface.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchReports.h"
#include "cli/MeasureSurface.h"
#include "elements/CqvTextMetrics.h"
#include "engine/CqvReport.h"
#include "engine/Surface.h"
#include "render/PdfSurface.h"

namespace {

using qv::bench::ScratchFolder;

// Arial 10 at the surfaces' 254 dpi, as the dog register uses it.
CqvTextMetrics Arial10() {
    QvFontSpec font;
    font.face = "Arial";
    font.height = -35;
    CqvTextMetrics metrics;
    if (!metrics.Build(font, 35, QvTextMode{}))
        throw std::runtime_error("Arial (Liberation Sans) has no outline metrics");
    return metrics;
}

constexpr int32_t kColumn = 1700;  // 170 mm

void BM_NextLine(benchmark::State& state) {
    const CqvTextMetrics metrics = Arial10();
    const std::string text = qv::bench::LongText(static_cast<size_t>(state.range(0)));
    size_t lines = 0;
    for (auto _ : state) {
        CqvLineBreaker breaker(text.data(), text.size());
        size_t start = 0, end = 0;
        lines = 0;
        while (metrics.NextLine(breaker, kColumn, start, end)) ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_NextLine)->Arg(2000);

void BM_DrawWrappedMeasure(benchmark::State& state) {
    const CqvTextMetrics metrics = Arial10();
    const std::string text = qv::bench::LongText(static_cast<size_t>(state.range(0)));
    const QvRect rect{200, -200, 200 + kColumn, -2770};
    for (auto _ : state) {
        benchmark::DoNotOptimize(metrics.DrawWrapped(nullptr, text.c_str(), static_cast<std::ptrdiff_t>(text.size()),
                                                     rect, kQvTextMeasureOnly, false));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DrawWrappedMeasure)->Arg(2000);

// One text of N words laid out over as many pages as it needs.
void BM_TextItemOverPages(benchmark::State& state) {
    ScratchFolder folder;
    auto report = qv::bench::LoadLongText(folder, static_cast<size_t>(state.range(0)));
    MeasureSurface surface;
    for (auto _ : state) report->PreparePages(surface, report->PrintInfo());
    state.counters["pages"] = static_cast<double>(report->PageCount());
}
BENCHMARK(BM_TextItemOverPages)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The block layout of the dog register's bound table.
void BM_DogTableLayout(benchmark::State& state) {
    ScratchFolder folder;
    auto report = qv::bench::LoadDogRegister(folder, static_cast<size_t>(state.range(0)));
    MeasureSurface surface;
    for (auto _ : state) report->PreparePages(surface, report->PrintInfo());
    state.counters["pages"] = static_cast<double>(report->PageCount());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DogTableLayout)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One full page of the dog register drawn into a PDF document (the page's
// content is produced when the page ends).
void BM_DrawPagePdf(benchmark::State& state) {
    ScratchFolder folder;
    auto report = qv::bench::LoadDogRegister(folder, 100);
    PdfSurface surface = PdfSurface::Stream([](const unsigned char*, size_t) { return true; }, "benchmark",
                                            report->PageWidth(), report->PageHeight());
    QvPrintInfo& printInfo = report->PrintInfo();
    report->PreparePages(surface, printInfo);
    for (auto _ : state) {
        surface.StartPage();
        printInfo.currentPage = 2;
        report->DrawPage(surface, printInfo);
        surface.EndPage();
    }
    state.counters["pieces"] = static_cast<double>(report->PagePieces(1).size());
}
BENCHMARK(BM_DrawPagePdf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
