#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/CodePages.h"

namespace {

using namespace qv::platform;

TEST(CodePages, ValidityFollowsWhatIconvCanOpen) {
    for (int cp : {1250, 1251, 1252, 874, 20866, 28591, 65001, 932, 37}) EXPECT_TRUE(IsValidCodePage(cp)) << cp;
    for (int cp : {0, 1, 57002, 12345, 65535}) EXPECT_FALSE(IsValidCodePage(cp)) << cp;
}

TEST(CodePages, SingleByteConversionIsStrictAboutUndefinedBytes) {
    EXPECT_EQ(MultiByteToUtf16(1251, "\xC0\xFF"), std::u16string(u"\u0410\u044F"));
    EXPECT_EQ(MultiByteToUtf16(1252, "\x80"), std::u16string(u"\u20AC"));
    // 0x81 is not defined in windows-1252.
    EXPECT_EQ(MultiByteToUtf16(1252, "\x81"), std::nullopt);
    EXPECT_EQ(ToUtf16Lenient(1252, "a\x81z"), std::u16string(u"a\uFFFDz"));
}

TEST(CodePages, InfoReportsDoubleByteLeadRanges) {
    auto sjis = GetCodePageInfo(932);
    ASSERT_TRUE(sjis);
    EXPECT_EQ(sjis->maxCharSize, 2);
    ASSERT_EQ(sjis->leadByteRanges.size(), 2u);
    EXPECT_EQ(sjis->leadByteRanges[0], (std::pair<uint8_t, uint8_t>{0x81, 0x9F}));
    auto cyrillic = GetCodePageInfo(1251);
    ASSERT_TRUE(cyrillic);
    EXPECT_EQ(cyrillic->maxCharSize, 1);
    EXPECT_TRUE(cyrillic->leadByteRanges.empty());
    EXPECT_FALSE(GetCodePageInfo(57002));
}

TEST(CodePages, LongRunsConvertWhole) {
    std::string text(200000, '\xE9');
    auto wide = MultiByteToUtf16(1252, text);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), text.size());
    EXPECT_EQ((*wide)[199999], u'\u00E9');
}

TEST(CodePages, ActiveCodePageFollowsTheLocaleLanguage) {
    struct Case {
        const char* lcAll;
        const char* lang;
        int expected;
    } cases[] = {{"ru_RU.UTF-8", "", 1251},      {"", "uk_UA.UTF-8", 1251}, {"", "sr", 1251},
                 {"de_DE.UTF-8", "ru_RU", 1252}, {"", "rus", 1252},         {"", "", 1252}};
    for (const Case& c : cases) {
        setenv("LC_ALL", c.lcAll, 1);
        unsetenv("LC_CTYPE");
        setenv("LANG", c.lang, 1);
        EXPECT_EQ(ActiveCodePage(), c.expected) << c.lcAll << " / " << c.lang;
    }
    setenv("LC_ALL", "C.UTF-8", 1);
}

}  // namespace

namespace {

using namespace qv::platform;

TEST(CodePages, EverySingleByteOfWindows1251ComesBackFromUtf8) {
    std::string defined;
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        if (MultiByteToUtf16(1251, std::string_view(&byte, 1))) defined.push_back(byte);
    }
    // Only 0x98 has no character in windows-1251.
    EXPECT_EQ(defined.size(), 255u);
    const std::optional<std::string> text = MultiByteToUtf8(1251, defined);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\xD0\x81"), std::string::npos);  // Ё
    const Utf8ToMultiByteResult back = Utf8ToMultiByte(1251, *text);
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.bytes, defined);
    EXPECT_EQ(MultiByteToUtf8(1251, "a\x98z"), std::nullopt);
}

TEST(CodePages, Utf8ToACodePageStopsAtTheFirstCharacterItCannotHold) {
    const struct {
        int codePage;
        std::string text;
        std::optional<size_t> failedAt;
        std::string bytes;
    } cases[] = {
        {1251, "\xD0\xA1\xD1\x87\xD1\x91\xD1\x82", std::nullopt, "\xD1\xF7\xB8\xF2"},  // Счёт
        {1251,
         "ab\xE6\xBC\xA2"
         "c",
         2, ""},                                       // 漢
        {1251, "\xD0\xA1\xC3\xA4", 2, ""},             // Сä
        {1252, "\xE2\x82\xAC", std::nullopt, "\x80"},  // €
        {28591, "x\xE2\x82\xAC", 1, ""},
        {20127, "plain", std::nullopt, "plain"},
        {1251, "a\xFF", 1, ""},  // not UTF-8 at all
    };
    for (const auto& c : cases) {
        const Utf8ToMultiByteResult result = Utf8ToMultiByte(c.codePage, c.text);
        EXPECT_FALSE(result.invalidCodePage) << c.text;
        EXPECT_EQ(result.failedAt, c.failedAt) << c.codePage << " " << c.text;
        EXPECT_EQ(result.bytes, c.bytes) << c.codePage << " " << c.text;
    }
    EXPECT_TRUE(Utf8ToMultiByte(12345, "a").invalidCodePage);
    EXPECT_EQ(MultiByteToUtf8(12345, "a"), std::nullopt);
}

TEST(CodePages, ConversionsFinishWhatTheConverterHeldBack) {
    // windows-1255 holds a letter back in case a point follows it.
    EXPECT_EQ(MultiByteToUtf8(1255, "\xF9"), std::optional<std::string>("\xD7\xA9"));
    // A stateful encoding returns to ASCII at the end of the text.
    const Utf8ToMultiByteResult jis = Utf8ToMultiByte(50220, "\xE6\xBC\xA2");
    ASSERT_TRUE(jis.Ok());
    EXPECT_EQ(jis.bytes.substr(jis.bytes.size() - 3), "\x1B(B");
    EXPECT_EQ(MultiByteToUtf8(50220, jis.bytes), std::optional<std::string>("\xE6\xBC\xA2"));
}

}  // namespace
