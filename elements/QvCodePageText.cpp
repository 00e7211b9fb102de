#include "elements/QvCodePageText.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/CodePages.h"

namespace {

constexpr int32_t kUtf8 = 65001;
constexpr char16_t kReplacement = 0xFFFD;

struct CodePageData {
    bool valid = false;
    bool singleByte = false;
    QvByteMap byteMap{};
};

// A byte map is built by converting each byte alone, as the Windows byte
// tables are described.
CodePageData MakeCodePageData(int32_t codePage) {
    CodePageData data;
    const std::optional<qv::platform::CodePageInfo> info = qv::platform::GetCodePageInfo(codePage);
    if (!info) return data;
    data.valid = true;
    data.singleByte = info->maxCharSize == 1;
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const auto units = qv::platform::MultiByteToUtf16(codePage, std::string_view(&byte, 1));
        data.byteMap[b] = (units && units->size() == 1) ? static_cast<int32_t>((*units)[0])
                                                        : kQvNoCharacter;
    }
    return data;
}

const CodePageData& CodePageDataOf(int32_t codePage) {
    static std::mutex mutex;
    static std::map<int32_t, std::unique_ptr<const CodePageData>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = cache[codePage];
    if (!slot) slot = std::make_unique<const CodePageData>(MakeCodePageData(codePage));
    return *slot;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Well-formed UTF-8 only: overlong forms, surrogates and values above
// U+10FFFF are invalid, and each byte of an invalid sequence becomes U+FFFD.
void Utf8ToUtf16(std::string_view bytes, std::u16string& out) {
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(lead);
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
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += extra + 1;
    }
}

}  // namespace

const QvByteMap* ByteMapOf(int32_t codePage) {
    const CodePageData& data = CodePageDataOf(codePage);
    return data.valid ? &data.byteMap : nullptr;
}

bool TemplateTextToUtf16(int32_t codePage, std::string_view bytes, std::u16string& out) {
    out.clear();
    if (codePage == kUtf8) {
        Utf8ToUtf16(bytes, out);
        return true;
    }
    const CodePageData& data = CodePageDataOf(codePage);
    if (!data.valid) return false;
    if (data.singleByte) {
        out.reserve(bytes.size());
        for (unsigned char b : bytes) {
            const int32_t unit = data.byteMap[b];
            out.push_back(unit == kQvNoCharacter ? kReplacement : static_cast<char16_t>(unit));
        }
        return true;
    }
    out = qv::platform::ToUtf16Lenient(codePage, bytes);
    return true;
}

bool ConvertsPiecewiseAtWhiteSpace(int32_t codePage) {
    if (codePage == kUtf8) return true;
    const CodePageData& data = CodePageDataOf(codePage);
    return data.valid && data.singleByte;
}
