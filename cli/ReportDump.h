#pragma once
// The laid-out pages of a report as JSON, for scripts and tests: page count,
// paper, body area and every page's pieces in the order they were recorded.
#include <nlohmann/json.hpp>

class CqvPagePiece;
class CqvReport;

// One piece: kind, rectangles, frame-only flag and what its kind adds (the
// text as recorded, before the page count is filled in).
nlohmann::ordered_json DumpPiece(const CqvPagePiece& piece);
// The whole report after PreparePages.
nlohmann::ordered_json DumpReport(const CqvReport& report);
