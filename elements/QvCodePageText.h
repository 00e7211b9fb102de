#pragma once
// Template text to UTF-16, as the text metrics measure and draw it. The
// measuring loop converts the same words many times over, so UTF-8 and the
// single-byte code pages are converted here without opening a converter per
// call; every other code page goes through the platform's converter.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Where a byte is not a character on its own in the code page.
constexpr int32_t kQvNoCharacter = -1;

using QvByteMap = std::array<int32_t, 256>;

// The UTF-16 unit that each byte stands for when converted alone, or
// kQvNoCharacter. Null when the platform cannot convert the code page.
const QvByteMap* ByteMapOf(int32_t codePage);

// Replaces `out` with the UTF-16 units of `bytes`. A sequence that is invalid in
// the code page becomes U+FFFD, one per byte, as the platform converter makes
// it. False (and `out` empty) when the code page cannot be converted at all.
bool TemplateTextToUtf16(int32_t codePage, std::string_view bytes, std::u16string& out);

// True when converting a run piece by piece, cut at white space, gives the same
// units as converting it whole: UTF-8 and the single-byte code pages. Stateful
// encodings may not.
bool ConvertsPiecewiseAtWhiteSpace(int32_t codePage);
