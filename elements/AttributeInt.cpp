#include "elements/AttributeInt.h"

#include <limits>

#include "xml/XmlNav.h"

int32_t AttributeInt(const char* text) { return text ? qv::xml::AtoiValue(text) : 0; }

int32_t AbsoluteValue(int32_t value) {
    if (value == std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::max();
    return value < 0 ? -value : value;
}
