#include "elements/ParseLength.h"

#include <tinyxml.h>

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "common/AsciiText.h"
#include "common/CqvEx.h"

namespace {

struct Unit {
    const char* suffix;
    int factor;
};

// Compared in this order. Points and picas use whole factors (3 and 42), so
// 12pt is 3.6 mm; templates written for the engine rely on these values.
constexpr Unit kUnits[] = {{"cm", 100}, {"mm", 10}, {"in", 254}, {"pt", 3}, {"pc", 42}};

// The longest prefix of digits and full stops that reads as a decimal number,
// as the C library's text-to-double conversion reads it in the "C" locale, but
// in every locale: strtod follows the process locale, and under de_DE or ru_RU
// it stops at the full stop, which made "1.5cm" one centimetre.
double ReadNumber(const std::string& number) {
    double amount = 0.0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), amount, std::chars_format::fixed);
    if (error != std::errc::result_out_of_range) return amount;  // no digits leave 0
    // Too large for a double, or so small that it is 0; strtod gave infinity
    // or 0 for these.
    for (const char* c = number.data(); c != end && *c != '.'; ++c) {
        if (*c != '0') return HUGE_VAL;
    }
    return 0.0;
}

}  // namespace

int32_t ParseLength(std::string_view value) {
    std::string number;
    std::string unit;
    bool inNumber = true;
    for (char c : value) {
        if (qv::IsAsciiSpace(c)) continue;  // white space never ends the number
        if (inNumber) {
            if (c == ',' || c == '.') {
                number.push_back('.');  // a comma is a decimal comma
                continue;
            }
            if (qv::IsAsciiDigit(c)) {
                number.push_back(c);
                continue;
            }
            inNumber = false;
        }
        unit.push_back(c);
    }
    const double amount = ReadNumber(number);
    unit = qv::AsciiLower(unit);

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
