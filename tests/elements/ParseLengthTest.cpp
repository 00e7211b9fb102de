#include <gtest/gtest.h>

#include <string>

#include "common/CqvEx.h"
#include "elements/ParseLength.h"

namespace {

struct LengthCase {
    const char* text;
    int32_t expected;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseLengthTable : public ::testing::TestWithParam<LengthCase> {};

// Beyond what a double holds, and so small that it is 0.
const std::string kHugeNumber = std::string(400, '9') + "mm";
const std::string kTinyNumber = "0." + std::string(400, '0') + "1cm";

TEST_P(ParseLengthTable, ConvertsToTenthsOfMillimetre) {
    EXPECT_EQ(ParseLength(GetParam().text), GetParam().expected) << "value '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Lengths, ParseLengthTable,
                         ::testing::Values(LengthCase{"", 0}, LengthCase{"   ", 0}, LengthCase{"mm", 0},
                                           LengthCase{"12", 120}, LengthCase{"12 mm", 120}, LengthCase{"1 2mm", 120},
                                           LengthCase{"12MM", 120}, LengthCase{"\t12\nmm ", 120},
                                           LengthCase{"2,5cm", 250}, LengthCase{"2.5cm", 250}, LengthCase{"1in", 254},
                                           LengthCase{"10pt", 30}, LengthCase{"12pt", 36}, LengthCase{"2pc", 84},
                                           LengthCase{"1.5.7cm", 150}, LengthCase{"1,2.5", 12},
                                           LengthCase{"0.29cm", 28}, LengthCase{"1.15mm", 11}, LengthCase{"0.1in", 25},
                                           LengthCase{"3 C m", 300}, LengthCase{"99999999999", INT32_MAX},
                                           LengthCase{"2IN", 508}, LengthCase{"1.5CM", 150}, LengthCase{"0.8mm", 8},
                                           LengthCase{".5cm", 50}, LengthCase{"5.cm", 500}, LengthCase{".", 0},
                                           LengthCase{",,mm", 0}, LengthCase{kHugeNumber.c_str(), INT32_MAX},
                                           LengthCase{kTinyNumber.c_str(), 0}));

struct BadUnitCase {
    const char* text;
    const char* message;
};

void PrintTo(const BadUnitCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseLengthErrors : public ::testing::TestWithParam<BadUnitCase> {};

TEST_P(ParseLengthErrors, NamesTheLowerCasedUnitAndEndsInASpace) {
    try {
        ParseLength(GetParam().text);
        FAIL() << "no error for '" << GetParam().text << "'";
    } catch (const CqvEx& e) {
        EXPECT_EQ(e.Message(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(BadUnits, ParseLengthErrors,
                         ::testing::Values(BadUnitCase{"12px", "Illegal unit of measure 'px' "},
                                           BadUnitCase{"5 Px", "Illegal unit of measure 'px' "},
                                           BadUnitCase{"-5mm", "Illegal unit of measure '-5mm' "},
                                           BadUnitCase{"+3", "Illegal unit of measure '+3' "},
                                           BadUnitCase{"1e3mm", "Illegal unit of measure 'e3mm' "},
                                           BadUnitCase{"5mm5", "Illegal unit of measure 'mm5' "},
                                           BadUnitCase{"5 m m . 1", "Illegal unit of measure 'mm.1' "}));

}  // namespace
