// The long run of the layout invariants, for a night: generated reports from
// consecutive seeds until the time is up. A failing seed prints its template
// and data, ready to become a regression test; `--seed S --count 1` replays it.
//
//   layout_soak --seconds N [--seed S] [--count N] [--pdf-every K] [--quorvane PATH] [--unknown] [--print]
// --unknown leaves out the violations that known faults explain. The run ends
// with the count of reports by invariant broken and by the known fault that
// explains them, so that an allow-list entry no longer needed shows at once.
// --print prints every template, failing or not: a passing seed near a
// failing one is often the quickest way to see what a change to the rules did.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "KnownLayoutFaults.h"
#include "LayoutChecker.h"
#include "LayoutGenerator.h"
#include "support/TestScratchDir.h"

namespace {

int Usage() {
    std::cerr
        << "usage: layout_soak --seconds N [--seed S] [--count N] [--pdf-every K] [--quorvane PATH] [--unknown] [--print]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 0;
    uint64_t seed = 1;
    uint64_t count = 0;
    uint64_t pdfEvery = 0;
    std::string quorvane = QV_QUORVANE_EXE;
    bool unknownOnly = false;
    bool printAll = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--unknown") {
            unknownOnly = true;
            continue;
        }
        if (arg == "--print") {
            printAll = true;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        if (arg == "--seconds") seconds = std::strtod(value, nullptr);
        else if (arg == "--seed") seed = std::strtoull(value, nullptr, 10);
        else if (arg == "--count") count = std::strtoull(value, nullptr, 10);
        else if (arg == "--pdf-every") pdfEvery = std::strtoull(value, nullptr, 10);
        else if (arg == "--quorvane") quorvane = value;
        else return Usage();
    }
    if (seconds <= 0 && count == 0) return Usage();

    qv::test::ScratchDir scratch;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    uint64_t ran = 0, failed = 0;
    std::map<std::string, uint64_t> tally;
    double lastProgress = 0;
    for (uint64_t s = seed;; ++s) {
        if (count && ran >= count) break;
        if (seconds > 0 && elapsed() >= seconds) break;
        const auto report = qv::layoutcheck::GenerateReport(s, QV_IMAGE_FOLDER);
        qv::layoutcheck::CheckOptions options;
        if (pdfEvery && ran % pdfEvery == 0) options.quorvaneExe = quorvane;
        auto violations = qv::layoutcheck::CheckReport(report, scratch.Path().string(), options);
        std::set<std::string> broken;  // a report counts once for each invariant and fault
        for (const auto& v : violations) {
            const auto* known = qv::layoutcheck::KnownFaultFor(report, v);
            broken.insert(v.invariant + " <- " + (known ? known->fault : "unknown"));
        }
        for (const std::string& key : broken) ++tally[key];
        // --unknown: leave out what the known faults explain.
        if (unknownOnly)
            std::erase_if(violations, [&](const auto& v) { return qv::layoutcheck::KnownFaultFor(report, v); });
        ++ran;
        if (!violations.empty()) ++failed;
        if (!violations.empty() || printAll)
            std::cout << qv::layoutcheck::DescribeFailure(report, violations) << std::flush;
        if (elapsed() - lastProgress >= 10) {
            lastProgress = elapsed();
            std::fprintf(stderr, "layout_soak: %llu reports, %llu failing, %.0f s\n",
                         static_cast<unsigned long long>(ran), static_cast<unsigned long long>(failed), elapsed());
        }
    }
    std::printf("layout_soak: %llu reports from seed %llu in %.1f s, %llu failing\n",
                static_cast<unsigned long long>(ran), static_cast<unsigned long long>(seed), elapsed(),
                static_cast<unsigned long long>(failed));
    for (const auto& [key, n] : tally)
        std::printf("  %-70s %llu reports\n", key.c_str(), static_cast<unsigned long long>(n));
    return failed ? 1 : 0;
}
