#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "elements/CqvTextMetrics.h"
#include "elements/QvAdvanceTable.h"
#include "engine/Surface.h"
#include "platform/FontFaces.h"
#include "platform/FontResolver.h"
#include "render/RecordingSurface.h"

namespace {

// Arial (Liberation Sans) as fontconfig resolves it: em square 2048, cell height
// winAscent 1854 + winDescent 434 = 2288, external leading 67, and the design
// advances A 1366, i 455, space 569, W 1933.
constexpr float kScale = 42.0f / 2048.0f;

QvFontSpec Arial(int emHeight = 42) {
    QvFontSpec font;
    font.face = "Arial";
    font.height = -emHeight;
    return font;
}

using TextOutCall = RecordedCall;
constexpr auto kTextOut = RecordedCall::Kind::TextOut;

class TextMetrics : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_wide.Build(Arial(), 42, QvTextMode{true, 65001}));
        ASSERT_TRUE(m_narrow.Build(Arial(), 42, QvTextMode{false, 1252}));
    }

    std::vector<TextOutCall> Draw(const std::string& text, const QvRect& rect, unsigned flags = 0, bool clip = false,
                                  int32_t* height = nullptr) {
        RecordingSurface surface;
        const int32_t h =
            m_wide.DrawWrapped(&surface, text.c_str(), static_cast<std::ptrdiff_t>(text.size()), rect, flags, clip);
        if (height) *height = h;
        return surface.CallsOf(kTextOut);
    }

    static std::vector<std::string> Lines(const std::vector<TextOutCall>& calls) {
        std::vector<std::string> lines;
        for (const auto& call : calls) lines.push_back(call.utf8);
        return lines;
    }

    CqvTextMetrics m_wide;
    CqvTextMetrics m_narrow;
};

TEST_F(TextMetrics, Arial12On254DpiHasTheWindowsFigures) {
    EXPECT_EQ(m_wide.Scale(), kScale);
    EXPECT_EQ(m_wide.LineHeight(), 2288 * kScale);          // 46.921875
    EXPECT_EQ(m_wide.LineSpacing(), (2288 + 67) * kScale);  // 48.2958984375
    EXPECT_EQ(m_wide.OneLineHeight(), -50);
    EXPECT_EQ(m_wide.Advance(u'A'), 1366 * kScale + 0.5f);  // 28.513671875
    EXPECT_EQ(m_wide.Advance(u' '), 569 * kScale + 0.5f);
    // Below the font's first character, and the last code unit, measure 0.
    EXPECT_EQ(m_wide.Advance(u'\t'), 0.0f);
    EXPECT_EQ(m_wide.Advance(0xFFFF), 0.0f);
    // The font's range ends at U+FFFC; inside it, a character that no face
    // has (U+0378 is unassigned) measures as the font's .notdef glyph (1536).
    EXPECT_GT(m_wide.Advance(0xFFFC), 0.0f);
    EXPECT_EQ(m_wide.Advance(0x0378), 1536 * kScale + 0.5f);
    // Narrow text measures a byte as its character in the code page.
    EXPECT_EQ(m_narrow.Advance('A'), m_wide.Advance(u'A'));
    EXPECT_EQ(m_narrow.Advance(0x80), m_wide.Advance(0x20AC));  // euro sign in 1252
    EXPECT_EQ(m_narrow.Advance(0xE9), m_wide.Advance(0x00E9));
    EXPECT_EQ(m_narrow.LineSpacing(), m_wide.LineSpacing());
}

// Characters the font lacks measure as the face that draws them: its own
// design advance at its own em square, scaled to the same em height. What
// the font has keeps its own figures.
TEST_F(TextMetrics, MissingCharactersMeasureAsTheirFallbackFace) {
    const auto faces = qv::platform::ResolveFontFaces("Arial", 400, false);
    for (char32_t c : {U'漢', U'字', U'★', char32_t{0xFFFD}}) {
        const qv::platform::FontFile& face = *faces->Face(faces->FaceFor(c)).file;
        ASSERT_NE(&face, faces->Primary().file.get()) << static_cast<uint32_t>(c);
        const float scale = 42.0f / static_cast<float>(face.OutlineMetrics()->emSquare);
        EXPECT_EQ(m_wide.Advance(c), static_cast<float>(face.DesignAdvance(c)) * scale + 0.5f)
            << static_cast<uint32_t>(c) << " from " << face.FamilyName();
    }
    // WenQuanYi's ideographs are a whole em wide, not Liberation's .notdef box.
    EXPECT_EQ(m_wide.Advance(U'漢'), 42.5f);
    const QvRunMetrics mixed = m_wide.MeasureRun("A漢B字C", 0);
    EXPECT_EQ(mixed.width, m_wide.Advance(u'A') + 42.5f + m_wide.Advance(u'B') + 42.5f + m_wide.Advance(u'C'));
    // Narrow text in a code page with characters the font lacks: the byte
    // measures as its character's face (0xA4 is the euro sign in ISO 8859-15,
    // which the font has; 0x80 in 874 is too; Thai letters it lacks).
    CqvTextMetrics thai;
    ASSERT_TRUE(thai.Build(Arial(), 42, QvTextMode{false, 874}));
    EXPECT_EQ(thai.Advance(0x80), m_wide.Advance(0x20AC));
    EXPECT_EQ(thai.Advance(0xA1), m_wide.Advance(0x0E01));
    EXPECT_GT(thai.Advance(0xA1), 0.0f);
}

TEST_F(TextMetrics, OneLineHeightIsWhatDrawWrappedMeasuresForOneLine) {
    EXPECT_EQ(m_wide.DrawWrapped(nullptr, "A", -1, QvRect{0, -10, 1000, -900}, kQvTextMeasureOnly, false),
              m_wide.OneLineHeight());
    CqvTextMetrics big;
    big.Build(Arial(100), 100, QvTextMode{});
    EXPECT_EQ(big.OneLineHeight(), -117);  // trunc(2355 * 100 / 2048 + 2.5)
}

TEST_F(TextMetrics, MeasureRunSumsInSinglePrecision) {
    const float ai = (1366 * kScale + 0.5f) + (455 * kScale + 0.5f);
    EXPECT_EQ(m_wide.MeasureRun("Ai W", 2).width, ai);
    EXPECT_EQ(m_wide.MeasureRun("Ai W", 0).width, 90.6552734375f);  // up to the NUL
    EXPECT_EQ(m_wide.MeasureRun("Ai W", -5).width, 90.6552734375f);
    EXPECT_EQ(m_wide.MeasureRun("Ai W", 0).lineSpacing, m_wide.LineSpacing());
    EXPECT_EQ(m_narrow.MeasureRun("Ai W", 0).width, 90.6552734375f);
    EXPECT_EQ(m_wide.MeasureRun(nullptr, 3).width, 0.0f);
    // UTF-8: two bytes, one character.
    EXPECT_EQ(m_wide.MeasureRun("\xC3\xA9", 0).width, m_wide.Advance(0xE9));
}

TEST_F(TextMetrics, Utf8IsMeasuredAndDrawnUnitByUnitWhateverMixesWithAscii) {
    // ASCII takes a short way through the table; the sums and the drawn units
    // must still be those of the whole text decoded and added in order,
    // including sequences cut short by an ASCII byte or by the text's end.
    struct Case {
        std::string text;
        std::u16string units;
    };
    const Case cases[] = {
        {"Ai W", u"Ai W"},
        {"caf\xC3\xA9 au lait", u"caf\u00E9 au lait"},
        {"\xE2\x82\xAC x \xF0\x9F\x90\xB6!", u"\u20AC x \U0001F436!"},
        {"a\xC3z", u"a\uFFFDz"},                    // lead byte, then ASCII
        {"a\xE2\x82", u"a\uFFFD\uFFFD"},            // cut by the end
        {"\x80\xBFz\xFF", u"\uFFFD\uFFFDz\uFFFD"},  // stray continuation and invalid bytes
        {"\xC3\xA9\xC3\xA9", u"\u00E9\u00E9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        float expected = 0.0f;
        for (char16_t unit : c.units) expected += m_wide.Advance(unit);
        EXPECT_EQ(m_wide.MeasureRun(c.text.c_str(), static_cast<std::ptrdiff_t>(c.text.size())).width, expected);

        RecordingSurface surface;
        m_wide.DrawLine(surface, 0, 0, QvRect{0, 0, 5000, -60}, c.text.c_str(), c.text.size());
        const auto calls = surface.CallsOf(kTextOut);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].text, c.units);
        ASSERT_EQ(calls[0].advances.size(), c.units.size());
        // The drawn advances add up to the truncated measured width.
        EXPECT_EQ(std::accumulate(calls[0].advances.begin(), calls[0].advances.end(), 0),
                  static_cast<int32_t>(expected));
    }
}

TEST_F(TextMetrics, DrawLineHandsTruncatedSumDifferences) {
    struct Case {
        CqvTextMetrics* metrics;
        std::vector<int32_t> advances;
    };
    // Wide: trunc(sum after) - trunc(sum before) over 28.51, 38.34, 50.51, 90.66.
    // Narrow: the same with 0.5 added to both sums.
    const Case cases[] = {{&m_wide, {28, 10, 12, 40}}, {&m_narrow, {29, 9, 13, 40}}};
    for (const Case& c : cases) {
        RecordingSurface surface;
        const QvRect clip{100, -200, 400, -250};
        c.metrics->DrawLine(surface, 100, -200, clip, "Ai W", 4);
        const auto calls = surface.CallsOf(kTextOut);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].text, u"Ai W");
        EXPECT_EQ(calls[0].advances, c.advances);
        EXPECT_EQ(calls[0].options, kTextOpaque | kTextClipped);
        EXPECT_EQ(calls[0].rect, clip);
        EXPECT_EQ(calls[0].x, 100);
        EXPECT_EQ(calls[0].top, -200);
    }
}

TEST_F(TextMetrics, NarrowBytesDrawAsTheirCodePageCharacters) {
    RecordingSurface surface;
    m_narrow.DrawLine(surface, 0, 0, QvRect{0, 0, 100, -50}, "\x80\xE9", 2);
    const auto calls = surface.CallsOf(kTextOut);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, u"\u20AC\u00E9");
}

TEST_F(TextMetrics, TextTheCodePageCannotConvertMeasuresNothingAndDrawsNothing) {
    CqvTextMetrics metrics;
    metrics.Build(Arial(), 42, QvTextMode{true, 1});  // no such code page
    EXPECT_EQ(metrics.MeasureRun("Hello", 0).width, 0.0f);
    RecordingSurface surface;
    metrics.DrawLine(surface, 0, -10, QvRect{0, -10, 100, -60}, "Hello", 5);
    EXPECT_TRUE(surface.Calls().empty());
}

TEST_F(TextMetrics, StylesWithTheSameFontShareOneTable) {
    CqvTextMetrics same, underlined, bigger, narrow;
    same.Build(Arial(), 42, QvTextMode{true, 65001});
    QvFontSpec font = Arial();
    font.underline = true;
    underlined.Build(font, 42, QvTextMode{true, 1252});
    bigger.Build(Arial(46), 46, QvTextMode{true, 65001});
    narrow.Build(Arial(), 42, QvTextMode{false, 1252});
    EXPECT_EQ(same.Table(), m_wide.Table());
    EXPECT_EQ(underlined.Table(), m_wide.Table());
    EXPECT_NE(bigger.Table(), m_wide.Table());
    EXPECT_EQ(narrow.Table(), m_narrow.Table());
    EXPECT_NE(narrow.Table(), m_wide.Table());
}

// A template may name thousands of families: a table reads from the font only
// the pages of code units its texts use.
TEST_F(TextMetrics, TablesReadOnlyThePagesTheirTextsUse) {
    CqvTextMetrics fresh;
    ASSERT_TRUE(fresh.Build(Arial(37), 37, QvTextMode{true, 65001}));  // a height of its own
    const QvAdvanceTable& table = *fresh.Table();
    EXPECT_EQ(table.FilledPages(), 0u);
    EXPECT_EQ(fresh.MeasureRun("Hello", -1).width, fresh.MeasureRun("Hello", -1).width);
    EXPECT_EQ(table.FilledPages(), 1u);
    EXPECT_GT(fresh.MeasureRun("\xE2\x82\xAC", -1).width, 0.0f);  // the euro sign, page U+20xx
    EXPECT_EQ(table.FilledPages(), 2u);
    EXPECT_EQ(fresh.Advance('A'), 1366 * (37.0f / 2048.0f) + 0.5f);
    EXPECT_EQ(fresh.Advance(0xFFFF), 0.0f);
    EXPECT_EQ(table.FilledPages(), 2u);
}

TEST_F(TextMetrics, WideTablesAreKeptNarrowOnesFollowEveryBuild) {
    const QvAdvanceTable* table = m_wide.Table();
    EXPECT_TRUE(m_wide.Build(Arial(), 42, QvTextMode{true, 65001}));
    EXPECT_EQ(m_wide.Table(), table);
    // A style whose font changed measures with its new font.
    QvFontSpec bold = Arial();
    bold.weight = 700;
    m_wide.Build(bold, 42, QvTextMode{true, 65001});
    EXPECT_EQ(m_wide.Advance(u'A'), 1479 * kScale + 0.5f);

    m_narrow.Build(bold, 42, QvTextMode{false, 1252});
    EXPECT_EQ(m_narrow.Advance('A'), 1479 * kScale + 0.5f);
}

TEST_F(TextMetrics, ACopiedMetricsStartsEmpty) {
    const CqvTextMetrics copy(m_wide);
    EXPECT_FALSE(copy.IsBuilt());
    EXPECT_EQ(copy.MeasureRun("A", 0).width, 0.0f);
    EXPECT_EQ(copy.OneLineHeight(), -2);  // no font: a line is 2 units high
}

struct WrapCase {
    const char* what;
    std::string text;
    int32_t width;
    std::vector<std::string> lines;
};

class LineBreaking : public TextMetrics, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(LineBreaking, BreaksWhereTheWidthEnds) {
    const WrapCase& c = GetParam();
    int32_t height = 0;
    const auto calls = Draw(c.text, QvRect{1000, -100, 1000 + c.width, -5000}, 0, false, &height);
    EXPECT_EQ(Lines(calls), c.lines) << c.what;
    EXPECT_EQ(height, -50 * static_cast<int32_t>(c.lines.size())) << c.what;
    int32_t top = -100;
    for (const auto& call : calls) {
        EXPECT_EQ(call.x, 1000);
        EXPECT_EQ(call.top, top);
        EXPECT_EQ(call.rect, (QvRect{1000, top, 1000 + c.width, top - 50}));
        top -= 50;
    }
}

// Widths: "well-" 88.84, "well-known" 212.74, "one" 71.58, "two" 66.86,
// "three" 98.23, "a" 23.86, "Supercalifragilistic" 348.46.
const WrapCase kWrapCases[] = {
    {"everything fits", "one two three", 1000, {"one two three"}},
    {"hyphenated word breaks after its hyphen", "well-known", 150, {"well-", "known"}},
    {"a word wider than the box gets its own line",
     "a Supercalifragilistic b",
     200,
     {"a", "Supercalifragilistic", "b"}},
    {"tabs and line feeds are plain white space", "one\ttwo\nthree", 1000, {"one\ttwo\nthree"}},
    {"a line feed does not start a line, but breaks one", "one\ntwo", 80, {"one", "two"}},
    {"leading and trailing white space is dropped", "  one   \r\n", 1000, {"one"}},
    {"white space inside a line stays", "one  two", 1000, {"one  two"}},
    {"one word per line", "one two three", 80, {"one", "two", "three"}},
    // "a" and "\303\251" (e acute) take 23.86 each: one word 119, two 250.
    {"letters beyond ASCII between ASCII ones are measured too",
     "a\303\251a\303\251a a\303\251a\303\251a",
     200,
     {"a\303\251a\303\251a", "a\303\251a\303\251a"}},
};

INSTANTIATE_TEST_SUITE_P(Texts, LineBreaking, ::testing::ValuesIn(kWrapCases));

TEST_F(TextMetrics, WhiteSpaceOnlyDrawsNothing) {
    for (const std::string text : {" \t\n\r ", "", "\x01\x1F"}) {
        RecordingSurface surface;
        EXPECT_EQ(m_wide.DrawWrapped(&surface, text.c_str(), static_cast<std::ptrdiff_t>(text.size()),
                                     QvRect{0, -100, 500, -900}, 0, true),
                  0);
        EXPECT_TRUE(surface.Calls().empty());
    }
    EXPECT_EQ(m_wide.DrawWrapped(nullptr, nullptr, 5, QvRect{0, -100, 500, -900}, 0, true), 0);
}

TEST_F(TextMetrics, AlignmentMovesTheLineWithinTheBox) {
    // "!C" measures exactly 43: 569 + 1479 design units at 42/2048, plus 2 x 0.5.
    ASSERT_EQ(m_wide.MeasureRun("!C", 0).width, 43.0f);
    struct Case {
        const char* text;
        int32_t width;
        unsigned flags;
        int32_t x;
    };
    const Case cases[] = {
        {"!C", 43, kQvTextRight, 1000},  // exactly fills: x stays at the left
        {"!C", 44, kQvTextRight, 1001},
        {"!C", 53, kQvTextCenter, 1005},
        {"!C", 54, kQvTextCenter, 1005},  // 5.5 truncated
        {"!C", 43, kQvTextCenter, 1000},
        {"Hello", 200, kQvTextRight, 1101},                  // trunc(1200 - 98.21)
        {"Hello", 200, kQvTextCenter, 1050},                 // trunc(1000 + 50.90)
        {"Hello", 200, kQvTextRight | kQvTextCenter, 1101},  // right is tested first
        {"Hello", 200, 0x10 | 0x8000, 1000},                 // other bits change nothing
        {"Supercalifragilistic", 200, kQvTextRight, 1000},
    };
    for (const Case& c : cases) {
        const auto calls = Draw(c.text, QvRect{1000, -100, 1000 + c.width, -500}, c.flags);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].x, c.x) << c.text << " in " << c.width << " flags " << c.flags;
        EXPECT_EQ(calls[0].rect, (QvRect{c.x, -100, 1000 + c.width, -150}));
    }
}

TEST_F(TextMetrics, ClipStopsAtTheBottomWithAShortenedLine) {
    int32_t height = 0;
    auto calls = Draw("one two three", QvRect{0, -100, 80, -180}, 0, true, &height);
    EXPECT_EQ(height, -80);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].utf8, "two");
    EXPECT_EQ(calls[1].rect, (QvRect{0, -150, 80, -180}));

    calls = Draw("one two three", QvRect{0, -100, 80, -180}, 0, false, &height);
    EXPECT_EQ(height, -150);
    EXPECT_EQ(calls.size(), 3u);

    // Measuring gives the same heights and draws nothing.
    RecordingSurface surface;
    EXPECT_EQ(m_wide.DrawWrapped(&surface, "one two three", 0, QvRect{0, -100, 80, -180}, kQvTextMeasureOnly, true),
              -80);
    EXPECT_TRUE(surface.Calls().empty());
}

TEST_F(TextMetrics, LinesRunDownThePageFromItsTopEdge) {
    // A box starting at the paper's top edge is on the page: its lines go down.
    int32_t height = 0;
    auto calls = Draw("one two three", QvRect{0, 0, 80, -900}, 0, false, &height);
    EXPECT_EQ(height, -150);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].rect, (QvRect{0, 0, 80, -50}));
    EXPECT_EQ(calls[2].top, -100);

    // Only a box wholly above 0, in y-down coordinates, has its lines go up.
    calls = Draw("one two three", QvRect{0, 100, 80, 900}, 0, false, &height);
    EXPECT_EQ(height, 150);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].rect, (QvRect{0, 100, 80, 150}));
    EXPECT_EQ(calls[2].top, 200);
}

TEST_F(TextMetrics, RunsLongerThan65535CharactersAreMeasuredAndDrawnWhole) {
    const std::string run(70000, 'A');
    const float width = m_wide.MeasureRun(run.c_str(), static_cast<std::ptrdiff_t>(run.size())).width;
    // Every character counts, summed in single precision (which drifts from the
    // exact 1995957.03 by then).
    float expected = 0.0f;
    for (size_t i = 0; i < run.size(); ++i) expected += 28.513671875f;
    EXPECT_EQ(width, expected);
    EXPECT_GT(width, 1995000.0f);

    RecordingSurface surface;
    m_wide.DrawWrapped(&surface, run.c_str(), static_cast<std::ptrdiff_t>(run.size()), QvRect{0, -100, 500, -900}, 0,
                       true);
    const auto calls = surface.CallsOf(kTextOut);
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].text.size(), run.size());
    ASSERT_EQ(calls[0].advances.size(), run.size());
    EXPECT_EQ(std::accumulate(calls[0].advances.begin(), calls[0].advances.end(), int64_t{0}),
              static_cast<int64_t>(width));

    // Many words over many lines break the same way whatever their number.
    std::string words;
    for (int i = 0; i < 20000; ++i) words += "one ";
    int32_t height = 0;
    const auto lines = Draw(words, QvRect{0, -100, 200, -10000000}, 0, false, &height);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].utf8, "one one");  // 71.58 + 12.17 + 71.58 = 155.3; a third does not fit
    EXPECT_EQ(lines.size(), 10000u);
    EXPECT_EQ(height, -50 * 10000);
}

// A style keeps its table while this says its font is unchanged: it must agree
// with the key the table was made for on every field that key holds.
TEST(CqvTextMetrics, TheKeyCheckAgreesWithTheKeyItStandsFor) {
    const QvAdvanceTableKey key = AdvanceTableKey(Arial(), 42, false, 1252);
    struct Case {
        const char* what;
        QvFontSpec font;
        int32_t emHeight;
        bool wide;
        int32_t codePage;
    };
    QvFontSpec bold = Arial(), italic = Arial(), other = Arial(), underlined = Arial();
    bold.weight = 700;
    italic.italic = true;
    other.face = "Arial Narrow";
    underlined.underline = true;  // advances do not change
    const std::vector<Case> cases = {{"same", Arial(), 42, false, 1252}, {"underlined", underlined, 42, false, 1252},
                                     {"bold", bold, 42, false, 1252},    {"italic", italic, 42, false, 1252},
                                     {"face", other, 42, false, 1252},   {"size", Arial(), 43, false, 1252},
                                     {"wide", Arial(), 42, true, 1252},  {"code page", Arial(), 42, false, 1251}};
    for (const Case& c : cases)
        EXPECT_EQ(IsAdvanceTableKey(key, c.font, c.emHeight, c.wide, c.codePage),
                  AdvanceTableKey(c.font, c.emHeight, c.wide, c.codePage) == key)
            << c.what;
    // Wide keys ignore the code page.
    const QvAdvanceTableKey wide = AdvanceTableKey(Arial(), 42, true, 65001);
    EXPECT_TRUE(IsAdvanceTableKey(wide, Arial(), 42, true, 1252));
}

}  // namespace
