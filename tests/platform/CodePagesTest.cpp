#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/CodePages.h"

namespace {

using namespace qv::platform;

TEST(CodePages, ValidityFollowsWhatIconvCanOpen) {
    for (int cp : {1250, 1251, 1252, 874, 20866, 28591, 65001, 932, 37})
        EXPECT_TRUE(IsValidCodePage(cp)) << cp;
    for (int cp : {0, 1, 57002, 12345, 65535})
        EXPECT_FALSE(IsValidCodePage(cp)) << cp;
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
    } cases[] = {{"ru_RU.UTF-8", "", 1251}, {"", "uk_UA.UTF-8", 1251}, {"", "sr", 1251},
                 {"de_DE.UTF-8", "ru_RU", 1252}, {"", "rus", 1252}, {"", "", 1252}};
    for (const Case& c : cases) {
        setenv("LC_ALL", c.lcAll, 1);
        unsetenv("LC_CTYPE");
        setenv("LANG", c.lang, 1);
        EXPECT_EQ(ActiveCodePage(), c.expected) << c.lcAll << " / " << c.lang;
    }
    setenv("LC_ALL", "C.UTF-8", 1);
}

}  // namespace
