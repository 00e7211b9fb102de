// A whole report drawn to real output: a PDF in memory (our writer, font
// subsetting, picture embedding) and PNG pages at a low resolution (Cairo).
// The input is a template and a data file separated by a line
// "----DATA----"; without that line it is a data file for the fixed
// template. Inputs of up to 1 MB reach the size-driven limits: huge pages,
// many pictures, long tables and runs of placeholders.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::string_view kSeparator = "\n----DATA----\n";
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find(kSeparator);
    std::string templatePath = qvfuzz::FixedFile("report_template.qvrp");
    std::string_view dataPart = input;
    if (split != std::string_view::npos) {
        templatePath = qvfuzz::WriteInput("report.qvrp", data, split);
        dataPart = input.substr(split + kSeparator.size());
    }
    const std::string dataPath =
        qvfuzz::WriteInput("data.xml", reinterpret_cast<const uint8_t*>(dataPart.data()), dataPart.size());
    qvfuzz::RenderReport(templatePath, dataPath);
    return 0;
}
