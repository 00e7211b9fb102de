#include "demo/editor/QvSourceEncoding.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/CodePages.h"
#include "xml/CodePageTable.h"
#include "xml/XmlDeclaration.h"

namespace {

constexpr int kCodePageUtf8 = 65001;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the well-formed UTF-8 character that opens `text`, and
// its length in bytes; length 0 when the bytes there are not one.
struct Utf8Character {
    char32_t value = 0;
    size_t length = 0;
};
Utf8Character DecodeUtf8(std::string_view text) {
    if (text.empty()) return {};
    const auto lead = static_cast<unsigned char>(text[0]);
    char32_t value = 0, minimum = 0;
    size_t length = 1;
    if (lead < 0x80) return {lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) value = lead & 0x1F, length = 2, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) value = lead & 0x0F, length = 3, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) value = lead & 0x07, length = 4, minimum = 0x10000;
    else return {};
    if (text.size() < length) return {};
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!IsContinuation(byte)) return {};
        value = value << 6 | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
    return {value, length};
}

// U+XXXX of a well-formed UTF-8 character; empty for anything else.
std::string CodePointLabel(std::string_view character) {
    const Utf8Character decoded = DecodeUtf8(character);
    if (decoded.length == 0 || decoded.length != character.size()) return {};
    const char32_t value = decoded.value;
    char label[16];
    std::snprintf(label, sizeof label, "U+%04X", static_cast<unsigned>(value));
    return label;
}

std::string CodePageLabel(int codePage, std::string_view encoding) {
    return "code page " + std::to_string(codePage) + " (" + std::string(encoding) + ")";
}

std::string CannotWrite(std::string_view text, size_t offset, int codePage, std::string_view encoding) {
    const std::string where = LineAndColumn(text, offset);
    const std::string target = CodePageLabel(codePage, encoding);
    if (offset >= text.size()) return "the text cannot be written in " + target;
    const Utf8Character decoded = DecodeUtf8(text.substr(offset));
    if (decoded.length == 0) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(text[offset])));
        return "the byte " + std::string(byte) + " on " + where + " is not a character and cannot be written in " +
               target;
    }
    const std::string character(text.substr(offset, decoded.length));
    const std::string label = CodePointLabel(character);
    return "the character \"" + character + "\" (" + label + ") on " + where + " cannot be written in " + target +
           ", which the XML declaration names";
}

// The code page a declared encoding names, when it is one to convert through.
std::optional<int> ConvertedCodePage(const std::optional<std::string>& encoding) {
    if (!encoding) return std::nullopt;
    const CodePageEntry* entry = FindCodePageEntry(*encoding);
    if (!entry || entry->codePage == kCodePageUtf8) return std::nullopt;
    return entry->codePage;
}

}  // namespace

bool IsWellFormedUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = DecodeUtf8(bytes.substr(i)).length;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string LineAndColumn(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    size_t line = 1, column = 1;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if (!IsContinuation(static_cast<unsigned char>(text[i]))) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

QvSourceText ReadSourceText(std::string_view fileBytes) {
    QvSourceText source{std::string(fileBytes), 0, {}, IsWellFormedUtf8(fileBytes)};
    const std::optional<std::string> encoding = DeclaredEncoding(fileBytes);
    const std::optional<int> codePage = ConvertedCodePage(encoding);
    if (!codePage) return source;
    std::optional<std::string> text = qv::platform::MultiByteToUtf8(*codePage, fileBytes);
    if (!text) return source;
    // A code page with two byte forms of one character (or a stateful one
    // that could shift differently) would not give the file back: such a
    // file stays as its bytes.
    const qv::platform::Utf8ToMultiByteResult back = qv::platform::Utf8ToMultiByte(*codePage, *text);
    if (!back.Ok() || back.bytes != fileBytes) return source;
    return {std::move(*text), *codePage, *encoding, true};
}

QvSourceBytes WriteSourceText(std::string_view text, bool convertedAtLoad) {
    if (!convertedAtLoad) return {std::string(text), {}};
    const std::optional<std::string> encoding = DeclaredEncoding(text);
    if (encoding && !FindCodePageEntry(*encoding))
        return {{}, "the XML declaration names the encoding \"" + *encoding + "\", which the editor cannot write"};
    const std::optional<int> codePage = ConvertedCodePage(encoding);
    if (!codePage) return {std::string(text), {}};
    const qv::platform::Utf8ToMultiByteResult bytes = qv::platform::Utf8ToMultiByte(*codePage, text);
    if (bytes.invalidCodePage)
        return {
            {},
            "the XML declaration names " + CodePageLabel(*codePage, *encoding) + ", which this system cannot convert"};
    if (bytes.failedAt) return {{}, CannotWrite(text, *bytes.failedAt, *codePage, *encoding)};
    return {bytes.bytes, {}};
}
