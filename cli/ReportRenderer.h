#pragma once
// Lays a report out and draws every page into files: one PDF, or one PNG,
// SVG or PostScript file per page.
#include <optional>
#include <string>

class CqvReport;
class PrintHost;

enum class OutputFormat { Pdf, Png, Svg, PostScript };

// The format an output path asks for by its extension (any case); none for an
// extension the command does not write.
std::optional<OutputFormat> FormatForPath(const std::string& path);

// The report must be constructed with `host`, which supplies the progress.
// Pages are drawn to temporary files that take their names only when every
// page is done: on any error (raised as CqvEx) or interruption nothing is left.
// Returns false when the user interrupted.
bool RenderReport(CqvReport& report, PrintHost& host, const std::string& outPath, OutputFormat format,
                  double dpi);
