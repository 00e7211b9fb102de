#pragma once
// Helpers of the printing tests: scratch folders, the quorvane program as a
// process, and reading PDFs back with poppler's tools.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qv::test {

std::string PrintFixture(const std::string& name);

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const;

private:
    std::filesystem::path m_path;
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the quorvane program with stdout and stderr in files (stderr is then not
// a terminal). `environment` entries replace or (with an empty value) remove
// variables of this process's environment.
RunResult RunQuorvane(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment = {});

// The standard output of a shell command.
std::string Capture(const std::string& command);

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
