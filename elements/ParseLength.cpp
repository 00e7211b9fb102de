#include "elements/ParseLength.h"

#include <tinyxml.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "common/CqvEx.h"

namespace {

struct Unit {
    const char* suffix;
    int factor;
};

// Compared in this order. Points and picas use whole factors (3 and 42), so
// 12pt is 3.6 mm; templates written for the engine rely on these values.
constexpr Unit kUnits[] = {{"cm", 100}, {"mm", 10}, {"in", 254}, {"pt", 3}, {"pc", 42}};

bool IsLengthSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

int32_t ParseLength(std::string_view value) {
    std::string number;
    std::string unit;
    bool inNumber = true;
    for (char c : value) {
        if (IsLengthSpace(c)) continue;  // white space never ends the number
        if (inNumber) {
            if (c == ',' || c == '.') {
                number.push_back('.');  // a comma is a decimal comma
                continue;
            }
            if (c >= '0' && c <= '9') {
                number.push_back(c);
                continue;
            }
            inNumber = false;
        }
        unit.push_back(c);
    }
    const double amount = number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
    for (char& c : unit) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    int factor = 0;
    if (unit.empty()) {
        factor = 10;
    } else {
        for (const Unit& u : kUnits) {
            if (unit == u.suffix) {
                factor = u.factor;
                break;
            }
        }
    }
    if (factor == 0) throw CqvEx("Illegal unit of measure '" + unit + "' ");
    // Truncation toward zero, not rounding: 0.29cm is 28 because the product is
    // just below 29 in double precision. Huge numbers saturate instead of
    // overflowing the integer.
    const double product = amount * factor;
    if (product >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(product);
}

int32_t ParseLength(const TiXmlAttribute& attribute) { return ParseLength(attribute.ValueStr()); }
