// Template lengths: every text either converts to a length that is never
// negative or is refused with the unit error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/CqvEx.h"
#include "elements/ParseLength.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        if (ParseLength(text) < 0) std::abort();  // a sign cannot be written
    } catch (const CqvEx& error) {
        if (error.Message().rfind("Illegal unit of measure '", 0) != 0) std::abort();
    }
    return 0;
}
