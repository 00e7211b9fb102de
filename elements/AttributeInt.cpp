#include "elements/AttributeInt.h"

#include <cstdlib>
#include <limits>

int32_t AttributeInt(const char* text) {
    if (!text) return 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t AbsoluteValue(int32_t value) {
    if (value == std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::max();
    return value < 0 ? -value : value;
}
