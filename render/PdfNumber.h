#pragma once
// Numbers as a PDF content stream and its objects spell them: integers as they
// are, fractions with a few decimals and no trailing zeros. Every coordinate of
// a page goes through here, so it must be fast and short.
#include <cstdint>
#include <string>

namespace qv::render {

void AppendInt(std::string& out, int64_t value);

// `value` rounded to at most `decimals` (0..6) decimals: 12 → "12", 0.5 → ".5"
// is avoided in favour of "0.5", −0.0004 → "0".
void AppendNumber(std::string& out, double value, int decimals = 3);

}  // namespace qv::render
