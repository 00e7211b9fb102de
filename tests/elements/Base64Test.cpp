#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "elements/Base64.h"

namespace {

std::optional<std::string> Decode(std::string_view text) {
    auto bytes = DecodeBase64(text);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

std::string Encode(const std::string& bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) group |= uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[group >> 18];
        out += alphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[group & 63] : '=';
    }
    return out;
}

TEST(Base64, DecodesTheStandardAlphabetWithOrWithoutPadding) {
    struct Case {
        const char* text;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"", ""},
        {"QUJD", "ABC"},
        {"QUI=", "AB"},
        {"QUI", "AB"},  // padding is not needed
        {"QQ==", "A"},
        {"QQ", "A"},
        {"Pz8+",
         "?"
         "?>"},  // "+" and "/" belong to the alphabet
        {"Pz8/",
         "?"
         "?"
         "?"},
        {"Q", ""},  // a lone character carries no whole byte
        {"QUJDR", "ABC"},
        {"Q=", std::nullopt},  // ... and before "=" it marks the text as broken
        {"QUJDR==", std::nullopt},
        {"QUJD=RA==", "ABC"},  // decoding stops at the first "="
        {"=QUJD", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Decode(c.text), c.bytes) << "\"" << c.text << "\"";
}

TEST(Base64, SkipsEverythingOutsideTheAlphabet) {
    EXPECT_EQ(Decode("  QU\n   JD\r\n\tRA=="), "ABCD");
    EXPECT_EQ(Decode("@@QU*JD##"), "ABC");
    EXPECT_EQ(Decode("Q\xC3\xA9UJD"), "ABC");  // bytes of a UTF-8 letter are skipped too
}

TEST(Base64, TextBrokenIntoIndentedLinesDecodesAsOneLine) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    bytes += bytes.substr(0, 100);  // a length that is no multiple of three
    const std::string line = Encode(bytes);
    std::string indented = "\n";
    for (size_t i = 0; i < line.size(); i += 60) indented += "        " + line.substr(i, 60) + "\r\n";
    EXPECT_EQ(Decode(line), bytes);
    EXPECT_EQ(Decode(indented), bytes);
}

}  // namespace
