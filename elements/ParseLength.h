#pragma once
// Template lengths: a decimal number with an optional unit suffix, converted once
// at load time into tenths of a millimetre.
#include <cstdint>
#include <string_view>

class TiXmlAttribute;

// Raises CqvEx "Illegal unit of measure '<unit>' " for a unit outside the table.
int32_t ParseLength(std::string_view value);
int32_t ParseLength(const TiXmlAttribute& attribute);
