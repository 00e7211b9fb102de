// A whole report from a fuzzed template with a fixed data file: loading, layout
// into pages and drawing every page on the recording surface.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string templatePath = qvfuzz::WriteInput("template.qvrp", data, size);
    qvfuzz::RunReport(templatePath, qvfuzz::FixedFile("report_data.xml"));
    return 0;
}
