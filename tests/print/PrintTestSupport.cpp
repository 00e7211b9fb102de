#include "PrintTestSupport.h"

namespace qv::test {

std::string PrintFixture(const std::string& name) { return std::string(QV_TEST_DATA) + "/print/" + name; }

RunResult RunQuorvane(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment) {
    return RunProgram(QV_QUORVANE_EXE, args, environment);
}

namespace {

// The value of a "Key:   value" line of pdfinfo's report; empty when absent.
std::string PdfInfoValue(const std::string& path, const std::string& key) {
    const std::string info = "\n" + Capture("pdfinfo " + ShellQuoted(path) + " 2>/dev/null");
    const size_t at = info.find("\n" + key + ":");
    if (at == std::string::npos) return {};
    const size_t start = info.find_first_not_of(' ', at + 1 + key.size() + 1);
    const size_t end = info.find('\n', at + 1);
    if (start == std::string::npos || start > end) return {};
    return info.substr(start, end - start);
}

}  // namespace

int PdfPageCount(const std::string& path) {
    const std::string pages = PdfInfoValue(path, "Pages");
    if (pages.empty() || pages.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(pages);
}

std::string PdfPageText(const std::string& path, int page) {
    const std::string number = std::to_string(page);
    return Capture("pdftotext -f " + number + " -l " + number + " " + ShellQuoted(path) + " - 2>/dev/null");
}

std::string PdfPageSize(const std::string& path) { return PdfInfoValue(path, "Page size"); }

const std::vector<ExpectedPage>& ThreePageReport() {
    static const std::vector<ExpectedPage> pages{
        {{"Quarterly kennel report", "Kennels", "Alpha kennel opened in spring.", "Page 1 of 3"}},
        {{"Quarterly kennel report", "Feeding", "Beta feeding plan changed twice.", "Page 2 of 3"}},
        {{"Quarterly kennel report", "Walks", "Gamma walks start at seven.", "Page 3 of 3"}},
    };
    return pages;
}

}  // namespace qv::test
