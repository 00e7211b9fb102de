#include <gtest/gtest.h>
#include <tinyxml.h>

#include <functional>
#include <utility>
#include <vector>

#include "common/CqvEx.h"
#include "elements/CqvFontScope.h"
#include "elements/CqvStyle.h"
#include "engine/QvSettings.h"
#include "render/RecordingSurface.h"
#include "support/TestSettingsGuard.h"

namespace {

using Attributes = std::vector<std::pair<const char*, const char*>>;

TiXmlElement StyleElement(const Attributes& attributes) {
    TiXmlElement element("Style");
    for (const auto& [name, value] : attributes) element.SetAttribute(name, value);
    return element;
}

TEST(CqvStyle, StartsWithTheDefaultsOfAStyle) {
    const CqvStyle style;
    EXPECT_EQ(style.TypeCode(), 9);
    EXPECT_FALSE(style.m_bLoaded);
    EXPECT_EQ(style.m_strFontFamily, "Arial");
    EXPECT_EQ(style.m_nFontSize, 12);
    for (int flag : {style.m_nBold, style.m_nItalic, style.m_nStrikeout, style.m_nUnderline, style.m_nBorderLeft,
                     style.m_nBorderTop, style.m_nBorderRight, style.m_nBorderBottom})
        EXPECT_EQ(flag, -1);
    EXPECT_EQ(style.m_crText, 0u);
    EXPECT_EQ(style.m_crBg, 0xFFFFFFu);
    EXPECT_EQ(style.m_nTextAlign, kQvAlignLeft);
    EXPECT_EQ(style.m_nSpaceBefore, 0);
    EXPECT_EQ(style.m_nSpaceAfter, 10);
    for (int padding : {style.m_nPaddingLeft, style.m_nPaddingTop, style.m_nPaddingRight, style.m_nPaddingBottom})
        EXPECT_EQ(padding, 10);
    EXPECT_FALSE(style.m_metrics.IsBuilt());
}

struct LoadCase {
    const char* what;
    Attributes attributes;
    std::function<std::vector<int>(const CqvStyle&)> fields;
    std::vector<int> expected;
};

std::vector<int> Borders(const CqvStyle& s) {
    return {s.m_nBorderLeft, s.m_nBorderTop, s.m_nBorderRight, s.m_nBorderBottom};
}
std::vector<int> Paddings(const CqvStyle& s) {
    return {s.m_nPaddingLeft, s.m_nPaddingTop, s.m_nPaddingRight, s.m_nPaddingBottom};
}
std::vector<int> TextColor(const CqvStyle& s) { return {static_cast<int>(s.m_crText)}; }
std::vector<int> BgColor(const CqvStyle& s) { return {static_cast<int>(s.m_crBg)}; }
std::vector<int> FontSize(const CqvStyle& s) { return {s.m_nFontSize}; }
std::vector<int> Align(const CqvStyle& s) { return {s.m_nTextAlign}; }
std::vector<int> FontFlags(const CqvStyle& s) { return {s.m_nBold, s.m_nItalic, s.m_nStrikeout, s.m_nUnderline}; }
std::vector<int> Spaces(const CqvStyle& s) { return {s.m_nSpaceBefore, s.m_nSpaceAfter}; }

const int kRedRef = static_cast<int>(QvRgb(255, 0, 0));

const LoadCase kLoadCases[] = {
    {"border then border-top 0", {{"border", "1"}, {"border-top", "0"}}, Borders, {1, 0, 1, 1}},
    {"border-top 0 then border", {{"border-top", "0"}, {"border", "1"}}, Borders, {1, 0, 1, 1}},
    {"border 0", {{"border", "0"}}, Borders, {0, 0, 0, 0}},
    {"shorthand border found by its exact name only", {{"Border", "1"}}, Borders, {-1, -1, -1, -1}},
    {"per-side border in capitals", {{"BORDER-LEFT", "7"}}, Borders, {1, -1, -1, -1}},
    {"padding is a plain number", {{"padding", "5mm"}}, Paddings, {5, 5, 5, 5}},
    {"padding-left is a length", {{"padding-left", "5mm"}}, Paddings, {50, 10, 10, 10}},
    {"per-side padding wins over the shorthand after it",
     {{"padding-top", "1cm"}, {"padding", "3"}},
     Paddings,
     {3, 100, 3, 3}},
    {"shorthand padding found by its exact name only", {{"PADDING", "3"}}, Paddings, {10, 10, 10, 10}},
    {"per-side paddings in any case", {{"Padding-Right", "2"}, {"PADDING-BOTTOM", "1in"}}, Paddings, {10, 10, 20, 254}},
    {"colour #FF0000", {{"color-text", "#FF0000"}}, TextColor, {kRedRef}},
    {"colour in lower case", {{"color-text", "#ff0000"}}, TextColor, {kRedRef}},
    {"short colour", {{"color-text", "#f00"}}, TextColor, {0}},
    {"colour without hash", {{"color-text", "FF0000"}}, TextColor, {0}},
    {"colour with non-hex digits", {{"color-text", "#GG0000"}}, TextColor, {0}},
    {"colour with a sign", {{"color-text", "#-10000"}}, TextColor, {0}},
    {"colour followed by more digits",
     {{"color-text", "#1F3F6F99"}},
     TextColor,
     {static_cast<int>(QvRgb(0x1F, 0x3F, 0x6F))}},
    {"background colour", {{"COLOR-BG", "#102030"}}, BgColor, {static_cast<int>(QvRgb(0x10, 0x20, 0x30))}},
    {"bad background keeps white", {{"color-bg", "#1020"}}, BgColor, {0xFFFFFF}},
    {"negative font size", {{"font-size", "-14"}}, FontSize, {14}},
    {"font size with sign, blanks and a suffix", {{"font-size", "  +20pt"}}, FontSize, {20}},
    {"non-numeric font size", {{"font-size", "big"}}, FontSize, {0}},
    {"later of two equal attributes wins", {{"font-size", "10"}, {"FONT-SIZE", "20"}}, FontSize, {20}},
    {"text-align values are case-sensitive", {{"text-align", "Center"}}, Align, {kQvAlignLeft}},
    {"text-align names are not", {{"TEXT-ALIGN", "center"}}, Align, {kQvAlignCenter}},
    {"text-align right", {{"text-align", "right"}}, Align, {kQvAlignRight}},
    {"text-align right then left", {{"text-align", "right"}, {"Text-Align", "left"}}, Align, {kQvAlignLeft}},
    {"font flags",
     {{"font-bold", "1"}, {"font-italic", "2"}, {"font-strikeout", "0"}, {"font-underline", "x"}},
     FontFlags,
     {1, 1, 0, 0}},
    {"spaces are lengths", {{"space-before", "1cm"}, {"Space-After", "2"}}, Spaces, {100, 20}},
    {"unknown attributes are ignored", {{"font-colour", "#FF0000"}, {"padding-all", "1"}}, Paddings, {10, 10, 10, 10}},
};

class StyleLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(StyleLoad, ReadsAttributes) {
    const LoadCase& c = GetParam();
    CqvStyle style;
    style.Load(StyleElement(c.attributes));
    EXPECT_TRUE(style.m_bLoaded);
    EXPECT_EQ(c.fields(style), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Attributes, StyleLoad, ::testing::ValuesIn(kLoadCases));

TEST(CqvStyle, LoadTakesNameAndFamily) {
    CqvStyle style;
    style.Load(StyleElement({{"NAME", "Title"}, {"Font-Family", "Times New Roman"}}));
    EXPECT_EQ(style.Name(), "Title");
    EXPECT_EQ(style.m_strFontFamily, "Times New Roman");
}

TEST(CqvStyle, MalformedLengthsRaiseTheUnitError) {
    const std::pair<Attributes, std::string> cases[] = {
        {{{"padding-left", "5px"}}, "Illegal unit of measure 'px' "},
        {{{"space-after", "-5mm"}}, "Illegal unit of measure '-5mm' "},
        {{{"SPACE-BEFORE", "5 Px"}}, "Illegal unit of measure 'px' "},
    };
    for (const auto& [attributes, message] : cases) {
        CqvStyle style;
        try {
            style.Load(StyleElement(attributes));
            ADD_FAILURE() << "no error for " << message;
        } catch (const CqvEx& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    // The plain-number attributes never fail.
    CqvStyle style;
    EXPECT_NO_THROW(style.Load(StyleElement({{"padding", "5px"}, {"border", "yes"}})));
    EXPECT_EQ(style.m_nPaddingTop, 5);
    EXPECT_EQ(style.m_nBorderTop, 0);
}

TEST(CqvStyle, CopyFromCopiesEverythingButTheMetrics) {
    CqvStyle source;
    source.Load(StyleElement({{"name", "big"},
                              {"font-family", "Courier New"},
                              {"font-size", "20"},
                              {"font-bold", "1"},
                              {"font-italic", "0"},
                              {"font-strikeout", "1"},
                              {"font-underline", "1"},
                              {"color-text", "#010203"},
                              {"color-bg", "#040506"},
                              {"border-left", "1"},
                              {"border-bottom", "0"},
                              {"text-align", "right"},
                              {"space-before", "3"},
                              {"space-after", "4"},
                              {"padding-left", "1"},
                              {"padding-top", "2"},
                              {"padding-right", "3"},
                              {"padding-bottom", "4"}}));
    RecordingSurface surface;
    { CqvFontScope scope(surface, source); }
    ASSERT_TRUE(source.m_metrics.IsBuilt());

    CqvStyle copy;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.Name(), "big");
    EXPECT_TRUE(copy.m_bLoaded);
    EXPECT_EQ(copy.m_strFontFamily, "Courier New");
    EXPECT_EQ(copy.m_nFontSize, 20);
    EXPECT_EQ(FontFlags(copy), (std::vector<int>{1, 0, 1, 1}));
    EXPECT_EQ(copy.m_crText, QvRgb(1, 2, 3));
    EXPECT_EQ(copy.m_crBg, QvRgb(4, 5, 6));
    EXPECT_EQ(Borders(copy), (std::vector<int>{1, -1, -1, 0}));
    EXPECT_EQ(copy.m_nTextAlign, kQvAlignRight);
    EXPECT_EQ(Spaces(copy), (std::vector<int>{30, 40}));
    EXPECT_EQ(Paddings(copy), (std::vector<int>{10, 20, 30, 40}));
    EXPECT_FALSE(copy.m_metrics.IsBuilt());
}

TEST(CqvStyle, ApplyDefaultFillsOnlyAStyleNeverLoaded) {
    qv::test::SettingsGuard guard;
    CqvStyle defaults;
    defaults.Load(StyleElement({{"name", "default"}, {"font-size", "9"}}));

    CqvStyle fresh;
    fresh.ApplyDefault();  // no default style yet
    EXPECT_EQ(fresh.m_nFontSize, 12);
    EXPECT_FALSE(fresh.m_bLoaded);

    QvSettings::Instance().defaultStyle = &defaults;
    fresh.ApplyDefault();
    EXPECT_EQ(fresh.m_nFontSize, 9);
    EXPECT_TRUE(fresh.m_bLoaded);

    CqvStyle loaded;
    loaded.Load(StyleElement({{"font-size", "30"}}));
    loaded.ApplyDefault();
    EXPECT_EQ(loaded.m_nFontSize, 30);
}

TEST(CqvStyle, DrawBordersStandsTheLeftEdgeOneUnitOutside) {
    const QvRect box{100, -200, 300, -400};
    struct Case {
        Attributes attributes;
        std::vector<std::pair<int, int>> points;  // move, line, move, line, ...
    };
    const Case cases[] = {
        {{{"border", "1"}},
         {{99, -200}, {99, -400}, {99, -200}, {300, -200}, {300, -200}, {300, -400}, {99, -400}, {300, -400}}},
        {{{"border-top", "1"}, {"border-bottom", "1"}}, {{99, -200}, {300, -200}, {99, -400}, {300, -400}}},
        {{{"border-right", "1"}}, {{300, -200}, {300, -400}}},
        {{{"border", "0"}}, {}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        CqvStyle style;
        style.Load(StyleElement(c.attributes));
        RecordingSurface surface;
        style.DrawBorders(surface, box);
        std::vector<std::pair<int, int>> points;
        for (size_t i = 0; i < surface.Calls().size(); ++i) {
            const RecordedCall& call = surface.Calls()[i];
            // Each line is a move to its first point and a line to its second.
            const auto expected = i % 2 == 0 ? RecordedCall::Kind::MoveTo : RecordedCall::Kind::LineTo;
            EXPECT_EQ(call.kind, expected) << "call " << i;
            points.emplace_back(call.x, call.y);
        }
        EXPECT_EQ(points, c.points);
    }
}

}  // namespace
