#include "platform/CodePages.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace qv::platform {
namespace {

struct CodePageName {
    int codePage;
    const char* iconvName;
};

// Windows code-page numbers as glibc's iconv spells them. A code page missing
// here is not valid on this platform.
constexpr CodePageName kCodePageNames[] = {
    {37, "IBM037"},
    {437, "IBM437"},
    {500, "IBM500"},
    {708, "ISO-8859-6"},
    {720, "CP720"},
    {737, "CP737"},
    {775, "CP775"},
    {850, "IBM850"},
    {852, "IBM852"},
    {855, "IBM855"},
    {857, "IBM857"},
    {858, "IBM858"},
    {860, "IBM860"},
    {861, "IBM861"},
    {862, "IBM862"},
    {863, "IBM863"},
    {864, "IBM864"},
    {865, "IBM865"},
    {866, "IBM866"},
    {869, "IBM869"},
    {870, "IBM870"},
    {874, "CP874"},
    {875, "IBM875"},
    {932, "CP932"},
    {936, "GBK"},
    {949, "CP949"},
    {950, "BIG5"},
    {1026, "IBM1026"},
    {1140, "IBM1140"},
    {1141, "IBM1141"},
    {1142, "IBM1142"},
    {1143, "IBM1143"},
    {1144, "IBM1144"},
    {1145, "IBM1145"},
    {1146, "IBM1146"},
    {1147, "IBM1147"},
    {1148, "IBM1148"},
    {1149, "IBM1149"},
    {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},
    {1250, "CP1250"},
    {1251, "CP1251"},
    {1252, "CP1252"},
    {1253, "CP1253"},
    {1254, "CP1254"},
    {1255, "CP1255"},
    {1256, "CP1256"},
    {1257, "CP1257"},
    {1258, "CP1258"},
    {1361, "JOHAB"},
    {10000, "MACINTOSH"},
    {10004, "MAC-ARABIC"},
    {10006, "MACGREEK"},
    {10007, "MAC-CYRILLIC"},
    {10029, "MAC-CENTRALEUROPE"},
    {10079, "MAC-IS"},
    {10081, "MACTURKISH"},
    {20127, "US-ASCII"},
    {20273, "IBM273"},
    {20277, "IBM277"},
    {20278, "IBM278"},
    {20280, "IBM280"},
    {20284, "IBM284"},
    {20285, "IBM285"},
    {20290, "IBM290"},
    {20297, "IBM297"},
    {20420, "IBM420"},
    {20423, "IBM423"},
    {20424, "IBM424"},
    {20838, "IBM838"},
    {20866, "KOI8-R"},
    {20871, "IBM871"},
    {20880, "IBM880"},
    {20905, "IBM905"},
    {21025, "IBM1025"},
    {21866, "KOI8-U"},
    {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},
    {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8"},
    {50220, "ISO-2022-JP"},
    {50221, "ISO-2022-JP"},
    {50222, "ISO-2022-JP"},
    {50225, "ISO-2022-KR"},
    {51932, "EUC-JP"},
    {51936, "EUC-CN"},
    {51949, "EUC-KR"},
    {52936, "HZ"},
    {65000, "UTF-7"},
    {65001, "UTF-8"},
};

// Double-byte code pages and their lead-byte ranges, as Windows reports them.
struct DbcsLeadBytes {
    int codePage;
    std::vector<std::pair<uint8_t, uint8_t>> ranges;
};
const std::vector<DbcsLeadBytes>& DbcsTable() {
    static const std::vector<DbcsLeadBytes> table = {
        {932, {{0x81, 0x9F}, {0xE0, 0xFC}}},
        {936, {{0x81, 0xFE}}},
        {949, {{0x81, 0xFE}}},
        {950, {{0x81, 0xFE}}},
        {1361, {{0x84, 0xD3}, {0xD8, 0xDE}, {0xE0, 0xF9}}},
    };
    return table;
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return IconvHandle(cd);
}

IconvHandle OpenToUtf16(int codePage) {
    const char* name = IconvNameForCodePage(codePage);
    return name ? OpenConverter("UTF-16LE", name) : nullptr;
}

// Converts with iconv; on an invalid or incomplete sequence either fails
// (strict) or emits U+FFFD for one byte and goes on.
std::optional<std::u16string> Convert(int codePage, std::string_view bytes, bool strict) {
    IconvHandle cd = OpenToUtf16(codePage);
    if (!cd) return std::nullopt;
    std::u16string out;
    std::string buffer(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    // Once the input is used up, a call without input has the converter give
    // back what it still holds: the Hebrew and Vietnamese pages keep a letter
    // until they know whether a combining mark follows, so without this call
    // the last character of every text (and every byte converted alone) is lost.
    bool flushing = inLeft == 0;
    for (;;) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t rc = flushing ? iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, &outPtr, &outLeft)
                                   : iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft);
        const int failure = rc == static_cast<size_t>(-1) ? errno : 0;
        const size_t produced = buffer.size() - outLeft;
        for (size_t i = 0; i + 1 < produced; i += 2) {
            out.push_back(
                static_cast<char16_t>(static_cast<uint8_t>(buffer[i]) | (static_cast<uint8_t>(buffer[i + 1]) << 8)));
        }
        if (failure == E2BIG) continue;
        if (failure == 0) {
            if (flushing) break;
            flushing = inLeft == 0;
            continue;
        }
        if (strict || flushing) return strict ? std::nullopt : std::optional(out);
        out.push_back(u'\uFFFD');
        ++in;
        --inLeft;
        flushing = inLeft == 0;
    }
    return out;
}

}  // namespace

const char* IconvNameForCodePage(int codePage) {
    for (const auto& row : kCodePageNames) {
        if (row.codePage == codePage) return row.iconvName;
    }
    return nullptr;
}

bool IsValidCodePage(int codePage) { return OpenToUtf16(codePage) != nullptr; }

std::optional<CodePageInfo> GetCodePageInfo(int codePage) {
    if (!IsValidCodePage(codePage)) return std::nullopt;
    CodePageInfo info;
    for (const auto& dbcs : DbcsTable()) {
        if (dbcs.codePage == codePage) {
            info.maxCharSize = 2;
            info.leadByteRanges = dbcs.ranges;
            return info;
        }
    }
    switch (codePage) {
    case 1200:
    case 1201: info.maxCharSize = 2; break;
    case 65001: info.maxCharSize = 4; break;
    case 65000: info.maxCharSize = 5; break;
    default:
        // The stateful and multi-byte Asian encodings are longer than two bytes.
        if (codePage >= 50000 && codePage < 60000) info.maxCharSize = 5;
        break;
    }
    return info;
}

std::optional<std::u16string> MultiByteToUtf16(int codePage, std::string_view bytes) {
    return Convert(codePage, bytes, true);
}

std::u16string ToUtf16Lenient(int codePage, std::string_view bytes) {
    auto converted = Convert(codePage, bytes, false);
    if (converted) return *converted;
    // Unknown code page: treat each byte as Latin-1 so that nothing is lost.
    std::u16string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) out.push_back(static_cast<char16_t>(c));
    return out;
}

namespace {

// Runs a strict conversion to its end, flush included: some converters hold a
// character back until told the input is over, and stateful ones then return
// to their initial shift state. On failure, the offset of the input where the
// converter stopped.
bool ConvertStrictly(iconv_t cd, std::string_view input, std::string& out, size_t& failedAt) {
    out.clear();
    std::string buffer(input.size() * 2 + 64, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    bool flushing = false;
    while (true) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t rc =
            flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft) : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            failedAt = input.size() - inLeft;
            return false;
        }
        // A conversion that approximated a character would not come back.
        if (rc > 0 && !flushing) {
            failedAt = input.size() - inLeft;
            return false;
        }
        if (flushing) return true;
        flushing = true;
    }
}

}  // namespace

std::optional<std::string> MultiByteToUtf8(int codePage, std::string_view bytes) {
    const char* name = IconvNameForCodePage(codePage);
    if (!name) return std::nullopt;
    IconvHandle cd = OpenConverter("UTF-8", name);
    if (!cd) return std::nullopt;
    std::string out;
    size_t failedAt = 0;
    if (!ConvertStrictly(static_cast<iconv_t>(cd.get()), bytes, out, failedAt)) return std::nullopt;
    return out;
}

Utf8ToMultiByteResult Utf8ToMultiByte(int codePage, std::string_view text) {
    Utf8ToMultiByteResult result;
    const char* name = IconvNameForCodePage(codePage);
    IconvHandle cd = name ? OpenConverter(name, "UTF-8") : nullptr;
    if (!cd) {
        result.invalidCodePage = true;
        return result;
    }
    size_t failedAt = 0;
    if (!ConvertStrictly(static_cast<iconv_t>(cd.get()), text, result.bytes, failedAt)) {
        result.bytes.clear();
        result.failedAt = failedAt;
    }
    return result;
}

int ActiveCodePage() {
    const char* vars[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char* var : vars) {
        const char* value = std::getenv(var);
        if (!value || !*value) continue;
        static const char* kCyrillic[] = {"ru", "uk", "be", "bg", "sr", "mk"};
        for (const char* lang : kCyrillic) {
            if (std::strncmp(value, lang, 2) == 0 &&
                (value[2] == '\0' || value[2] == '_' || value[2] == '.' || value[2] == '@'))
                return 1251;
        }
        return 1252;
    }
    return 1252;
}

}  // namespace qv::platform
