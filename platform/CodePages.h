#pragma once
// Windows code pages on Linux: a code-page number is mapped to an iconv name,
// and a code page is "valid" when iconv can open a converter for it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::platform {

// The iconv name for a Windows code page, or nullptr when we know none.
const char* IconvNameForCodePage(int codePage);

// Stand-in for IsValidCodePage: iconv can convert from the code page to UTF-16.
bool IsValidCodePage(int codePage);

// Stand-in for GetCPInfo.
struct CodePageInfo {
    int maxCharSize = 1;
    // Lead-byte ranges (first, last), both included, of a double-byte code page.
    std::vector<std::pair<uint8_t, uint8_t>> leadByteRanges;
};
std::optional<CodePageInfo> GetCodePageInfo(int codePage);

// Stand-in for MultiByteToWideChar with MB_ERR_INVALID_CHARS: the UTF-16 units of
// the bytes, or nothing when a byte sequence is invalid in the code page.
std::optional<std::u16string> MultiByteToUtf16(int codePage, std::string_view bytes);

// Lenient conversion for drawing: invalid sequences become U+FFFD, never fail.
std::u16string ToUtf16Lenient(int codePage, std::string_view bytes);

// Strict conversion between a code page and UTF-8, for texts that must come
// back to the very bytes they were read from: nothing is replaced, nothing is
// approximated. Nothing when the code page cannot be converted or a byte
// sequence is invalid in it.
std::optional<std::string> MultiByteToUtf8(int codePage, std::string_view bytes);

// The bytes of UTF-8 `text` in a code page, or where it cannot be written.
struct Utf8ToMultiByteResult {
    std::string bytes;
    // Byte offset in the text of the first character the code page cannot
    // hold (or of an invalid UTF-8 sequence); unset on success.
    std::optional<size_t> failedAt;
    // The code page itself cannot be converted.
    bool invalidCodePage = false;
    bool Ok() const { return !failedAt && !invalidCodePage; }
};
Utf8ToMultiByteResult Utf8ToMultiByte(int codePage, std::string_view text);

// Stand-in for GetACP(): 1251 for a Cyrillic locale language, else 1252.
int ActiveCodePage();

}  // namespace qv::platform
