// A whole report from a fixed template with a fuzzed data file. The template
// binds the names the demo data files use, so their mutations reach layout.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string dataPath = qvfuzz::WriteInput("data.xml", data, size);
    qvfuzz::RunReport(qvfuzz::FixedFile("report_template.qvrp"), dataPath);
    return 0;
}
