#pragma once
// Template text to UTF-16, as the text metrics measure and draw it. The
// measuring loop converts the same words many times over, so UTF-8 and the
// single-byte code pages are converted here without opening a converter per
// call; every other code page goes through the platform's converter.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where a byte is not a character on its own in the code page.
constexpr int32_t kQvNoCharacter = -1;
// What such a byte, or an invalid sequence, comes out as: U+FFFD.
constexpr char16_t kQvReplacementCharacter = 0xFFFD;

using QvByteMap = std::array<int32_t, 256>;

// The UTF-16 unit that each byte stands for when converted alone, or
// kQvNoCharacter. Null when the platform cannot convert the code page.
const QvByteMap* ByteMapOf(int32_t codePage);

// Calls `unit` with every UTF-16 unit of the UTF-8 `bytes`, in order, without
// building the converted text: the measuring loop only sums their advances.
// Well-formed UTF-8 only: overlong forms, surrogates and values above U+10FFFF
// are invalid, and each byte of an invalid sequence becomes U+FFFD.
template <class UnitSink>
inline void ForEachUtf16UnitOfUtf8(std::string_view bytes, UnitSink&& unit) {
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            unit(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        size_t extra = 0;
        char32_t cp = 0, minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        }
        bool ok = extra > 0 && i + extra < n;
        for (size_t k = 1; ok && k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (c & 0x3F);
        }
        if (ok && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            unit(kQvReplacementCharacter);
            ++i;
            continue;
        }
        if (cp < 0x10000) {
            unit(static_cast<char16_t>(cp));
        } else {
            cp -= 0x10000;
            unit(static_cast<char16_t>(0xD800 + (cp >> 10)));
            unit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
        i += extra + 1;
    }
}

// Replaces `out` with the UTF-16 units of `bytes`. A sequence that is invalid in
// the code page becomes U+FFFD, one per byte, as the platform converter makes
// it. False (and `out` empty) when the code page cannot be converted at all.
bool TemplateTextToUtf16(int32_t codePage, std::string_view bytes, std::u16string& out);

// True when converting a run piece by piece, cut at white space, gives the same
// units as converting it whole: UTF-8 and the single-byte code pages. Stateful
// encodings may not.
bool ConvertsPiecewiseAtWhiteSpace(int32_t codePage);
