// qv_bench_longtext [WORDS]: lays one text of WORDS words (200,000 unless
// given) out over pages and checks every page against the plain search, which
// tries the runs from the longest down and takes the first that fits: a page
// matches it when its run fits and the run one word longer does not (the
// heights of runs grow with their length, which the engine's tests check).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchReports.h"
#include "cli/MeasureSurface.h"
#include "common/CqvEx.h"
#include "elements/CqvBlock.h"
#include "elements/CqvFontScope.h"
#include "elements/CqvTextItem.h"
#include "engine/CqvReport.h"

namespace {

int32_t Measure(const CqvTextItem& item, const std::vector<std::string>& words, size_t from, size_t to) {
    std::string text;
    for (size_t i = from; i < to; ++i) text += words[i] + ' ';
    return item.Style().m_metrics.DrawWrapped(nullptr, text.c_str(), static_cast<std::ptrdiff_t>(text.size()),
                                              item.ContentRectangle(), kQvTextMeasureOnly, false);
}

}  // namespace

int CheckLongText(size_t words) {
    qv::bench::ScratchFolder folder;
    auto report = qv::bench::LoadLongText(folder, words);
    MeasureSurface surface;

    // The whole report, as the render command lays it out.
    const auto start = std::chrono::steady_clock::now();
    report->PreparePages(surface, report->PrintInfo());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // The same text item laid out again page by page, each page checked.
    auto& item = dynamic_cast<CqvTextItem&>(*report->Blocks().At(0)->Children().At(0));
    CqvFontScope scope(surface, item.Style());
    const int32_t top = report->BodyArea().top;
    const int32_t bottom = report->BodyArea().bottom;
    const int32_t paddingTop = item.Style().m_nPaddingTop;
    item.Reset();
    size_t pages = 0, mismatches = 0, position = 0;
    QvRect rect;
    for (int32_t r = -1; r < 0; ++pages) {
        r = item.Layout(surface, report->PrintInfo(), top, nullptr, rect, nullptr);
        const std::vector<std::string>& all = item.Words();
        const size_t end = item.IsDone() ? all.size() : static_cast<size_t>(item.PrintPos());
        const bool fits = bottom >= top + paddingTop + std::abs(Measure(item, all, position, end));
        const bool longerFits =
            end < all.size() && bottom >= top + paddingTop + std::abs(Measure(item, all, position, end + 1));
        if (!fits || longerFits || end <= position) ++mismatches;
        position = end;
        if (pages > words) break;  // a page that placed nothing would never end
    }
    std::printf("long text: %zu words, %zu pages, layout %.3f s, pages differing from the plain search: %zu\n", words,
                report->PageCount(), seconds, mismatches);
    return mismatches == 0 && pages == report->PageCount() ? 0 : 1;
}

int main(int argc, char** argv) {
    const size_t words = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200000;
    try {
        return CheckLongText(words);
    } catch (const CqvEx& e) {
        std::printf("long text: %zu words refused: %s\n", words, e.Message().c_str());
        return 1;
    }
}
