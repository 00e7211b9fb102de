#include "elements/QvCodePageText.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/CodePages.h"

namespace {

constexpr int32_t kUtf8 = 65001;

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
        data.byteMap[b] = (units && units->size() == 1) ? static_cast<int32_t>((*units)[0]) : kQvNoCharacter;
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

void Utf8ToUtf16(std::string_view bytes, std::u16string& out) {
    ForEachUtf16UnitOfUtf8(bytes, [&out](char16_t unit) { out.push_back(unit); });
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
            out.push_back(unit == kQvNoCharacter ? kQvReplacementCharacter : static_cast<char16_t>(unit));
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
