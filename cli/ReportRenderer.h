#pragma once
// Lays a report out and draws every page into files: one PDF, or one PNG,
// SVG or PostScript file per page.
#include <optional>
#include <string>
#include <vector>

#include "cli/PageSelection.h"

class CqvReport;
class PrintHost;

enum class OutputFormat { Pdf, Png, Svg, PostScript };

// Wall-clock seconds of the phases of one rendering, for the command's
// --timings report.
struct RenderTimings {
    double loading = 0;  // both files read and the element tree built
    double layout = 0;   // PreparePages
    double drawing = 0;  // every page drawn and the output completed
};

// The format an output path asks for by its extension (any case); none for an
// extension the command does not write.
std::optional<OutputFormat> FormatForPath(const std::string& path);

// What to draw beyond the format: the resolution of PNG pages, the pages (all
// when none are selected), and whether the output must be one file (standard
// output takes one PNG, SVG or PostScript page, not a series).
struct RenderOptions {
    double dpi = 150;
    std::optional<PageSelection> pages;
    bool singleFile = false;
    // PDF: threads that deflate the pages, and with more than one, the pages
    // are drawn on a thread of their own while the next is laid out and
    // replayed; 0: one per core; 1: everything on the calling thread. The
    // file is the same byte for byte however many there are.
    int threads = 0;
};

// The report must be constructed with `host`, which supplies the progress.
// Pages are drawn to temporary files that take their names only when every
// page is done: on any error (raised as CqvEx) or interruption nothing is left.
// Returns false when the user interrupted. With `timings`, the layout and
// drawing phases are timed into it. A selection the report cannot give raises
// UsageError after the layout, before anything is written. Per-page files of a
// selection are named after the report's page numbers (out-3.png, out-9.png).
bool RenderReport(CqvReport& report, PrintHost& host, const std::string& outPath, OutputFormat format,
                  const RenderOptions& options, RenderTimings* timings = nullptr);
