#pragma once
// Character rules for what a template spells in ASCII: attribute names, units,
// encoding names, numbers, colours. The C library's <cctype> follows the
// process locale, which a Qt program takes from the user's environment: under
// tr_TR tolower('I') is 'I' (the dotless i is the Turkish lower case of I), so
// "TEXT-ALIGN" and "2IN" would stop matching. These rules never change.
#include <string>
#include <string_view>

namespace qv {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// The white space of the "C" locale: space, tab, line feed, vertical tab,
// form feed, carriage return.
constexpr bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text with A-Z made a-z; every other byte, UTF-8 included, unchanged.
inline std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

}  // namespace qv
