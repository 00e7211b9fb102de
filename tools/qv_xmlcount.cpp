// Smoke program for the XML input layer: loads one file the way templates and
// data files are loaded and says how many elements it holds.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/CqvEx.h"
#include "xml/CqvXmlDocument.h"

namespace {

// Iterative, so that no document depth can exhaust the stack.
size_t CountElements(const TiXmlNode& root) {
    size_t count = 0;
    std::vector<const TiXmlElement*> pending;
    for (const TiXmlElement* e = root.FirstChildElement(); e; e = e->NextSiblingElement())
        pending.push_back(e);
    while (!pending.empty()) {
        const TiXmlElement* element = pending.back();
        pending.pop_back();
        ++count;
        for (const TiXmlElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement())
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
    CqvXmlDocument document;
    try {
        document.Load(path);
    } catch (const CqvEx& error) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
    std::printf("%s: %zu elements, code page %d\n",
                std::filesystem::path(path).filename().string().c_str(),
                CountElements(document), static_cast<int>(document.CodePage()));
    return 0;
}
