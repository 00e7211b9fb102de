// Smoke program for the XML input layer: loads one file the way data files are
// loaded and says how many elements it holds and what its tree takes in memory
// for each byte of the file.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/CqvEx.h"
#include "xml/CqvDataDocument.h"
#include "xml/CqvXmlLoader.h"
#include "xml/DataNav.h"

namespace {

// Iterative, so that no document depth can exhaust the stack.
size_t CountElements(QvDataElement root) {
    size_t count = 0;
    std::vector<QvDataElement> pending;
    if (root) pending.push_back(root);
    while (!pending.empty()) {
        const QvDataElement element = pending.back();
        pending.pop_back();
        ++count;
        for (QvDataElement e = qv::xml::FirstChildElement(element); e; e = qv::xml::NextSiblingElement(e))
            pending.push_back(e);
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_xmlcount FILE.xml\n");
        return 2;
    }
    const std::string path = argv[1];
    CqvDataDocument document;
    CqvXmlLoadStats stats;
    try {
        document.Load(path, {}, &stats);
    } catch (const CqvEx& error) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
    std::error_code error;
    const auto fileBytes = std::filesystem::file_size(path, error);
    const size_t treeBytes = document.TreeBytes();
    std::printf("%s: %zu elements, code page %d, %ju file bytes, %zu tree bytes (%.2f per file byte)\n",
                std::filesystem::path(path).filename().string().c_str(), CountElements(document.RootElement()),
                static_cast<int>(document.CodePage()), static_cast<uintmax_t>(error ? 0 : fileBytes), treeBytes,
                error || fileBytes == 0 ? 0.0 : static_cast<double>(treeBytes) / static_cast<double>(fileBytes));
    return 0;
}
