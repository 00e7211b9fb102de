#pragma once
// UTF-16 as the engine draws it, turned into code points and UTF-8 for Cairo.
#include <string>
#include <string_view>
#include <utility>

namespace qv::render {

// The code point that starts at text[i] and how many UTF-16 units it takes.
// A lone surrogate reads as U+FFFD, so that bad text still draws something.
std::pair<char32_t, size_t> CodePointAt(std::u16string_view text, size_t i);

void AppendUtf8(std::string& out, char32_t codePoint);

std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace qv::render
