#pragma once
// Helpers of the printing tests: the quorvane program as a process, and
// reading PDFs back with poppler's tools.
#include <map>
#include <string>
#include <vector>

#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace qv::test {

std::string PrintFixture(const std::string& name);

// Runs the quorvane program as RunProgram runs a program: stdout and stderr in
// files (stderr is then not a terminal), `environment` applied to this
// process's environment.
RunResult RunQuorvane(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment = {});

// pdfinfo's page count; -1 when the file is no PDF.
int PdfPageCount(const std::string& path);
// pdftotext's text of one page (1-based).
std::string PdfPageText(const std::string& path, int page);
// pdfinfo's "Page size" line, e.g. "595.276 x 841.89 pts (A4)".
std::string PdfPageSize(const std::string& path);

// The three-page fixture: per page, texts that must appear on it.
struct ExpectedPage {
    std::vector<std::string> texts;
};
const std::vector<ExpectedPage>& ThreePageReport();

}  // namespace qv::test
