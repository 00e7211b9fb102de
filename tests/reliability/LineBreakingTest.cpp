// Line breaking measures each break position once, on the way. It must find
// exactly the lines of the plain rule (widen word by word, then break after
// white space or a hyphen as far right as fits, measuring each candidate from
// the line's start), which took time growing with the cube of a long
// hyphenated word's length.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "elements/CqvTextMetrics.h"
#include "engine/Surface.h"

namespace {

bool IsWhite(char c) { return static_cast<unsigned char>(c) <= 32; }

struct Line {
    size_t start, end;
    float width;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
    return out << "[" << line.start << ", " << line.end << ") width " << line.width;
}

// The plain rule, on MeasureRun alone.
bool PlainNextLine(const CqvTextMetrics& metrics, const std::string& text, size_t& pos, int32_t maxWidth, Line& line) {
    const double width = maxWidth;
    while (pos < text.size() && IsWhite(text[pos])) ++pos;
    if (pos >= text.size()) return false;
    const size_t start = pos;
    float measured = 0.0f;
    auto measure = [&](size_t to) { return metrics.MeasureRun(text.data() + start, std::ptrdiff_t(to - start)).width; };
    while (true) {
        while (pos < text.size() && IsWhite(text[pos])) ++pos;
        if (pos >= text.size()) break;
        while (pos < text.size() && !IsWhite(text[pos])) ++pos;
        measured = measure(pos);
        if (measured >= width - 0.001) break;
    }
    line = Line{start, pos, measured};
    // A text that ends after a hyphen (a word cut there) ends as that break did.
    const bool endsAfterHyphen = pos == text.size() && text[pos - 1] == '-';
    if (measured <= width + (endsAfterHyphen ? 0.001 : 0.0)) return true;
    for (size_t i = pos - 1; i >= start + 1; --i) {
        if (!(IsWhite(text[i]) || IsWhite(text[i - 1]) || text[i - 1] == '-')) continue;
        line.width = measure(i);
        if (line.width <= width + 0.001) {
            pos = line.end = i;
            return true;
        }
    }
    return true;
}

std::vector<Line> PlainLines(const CqvTextMetrics& metrics, const std::string& text, int32_t width) {
    std::vector<Line> lines;
    size_t pos = 0;
    Line line{};
    while (PlainNextLine(metrics, text, pos, width, line)) lines.push_back(line);
    return lines;
}

std::vector<Line> EngineLines(const CqvTextMetrics& metrics, const std::string& text, int32_t width) {
    std::vector<Line> lines;
    CqvLineBreaker breaker(text.data(), text.size());
    size_t start = 0, end = 0;
    while (metrics.NextLine(breaker, width, start, end)) lines.push_back(Line{start, end, breaker.width});
    return lines;
}

class LineBreaking : public ::testing::Test {
protected:
    void SetUp() override {
        QvFontSpec font;
        font.face = "Arial";
        font.height = -42;
        ASSERT_TRUE(m_wide.Build(font, 42, QvTextMode{true, 65001}));
        ASSERT_TRUE(m_narrow.Build(font, 42, QvTextMode{false, 1252}));
    }
    CqvTextMetrics m_wide;
    CqvTextMetrics m_narrow;
};

TEST_F(LineBreaking, FindsTheLinesOfThePlainRule) {
    // Pieces that exercise every break: words, hyphens (also doubled, leading
    // and trailing), runs of spaces and control characters, multi-byte and
    // four-byte UTF-8, stray continuation bytes, and words wider than any box.
    const std::vector<std::string> pieces = {"a",
                                             "word",
                                             "Wide",
                                             "-",
                                             "--",
                                             "a-b",
                                             "x-",
                                             "-y",
                                             " ",
                                             "  ",
                                             "\t",
                                             "\n",
                                             "\x01",
                                             "\xC3\xA9t\xC3\xA9",
                                             "\xD0\x96\xD0\xB8",
                                             "\xF0\x9F\x90\x95",
                                             "\x80",
                                             "\xE2\x82",
                                             std::string(30, 'W'),
                                             "re-e-e-e-entry"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
        const int32_t width = static_cast<int32_t>(random() % 600);
        for (const CqvTextMetrics* metrics : {&m_wide, &m_narrow}) {
            ASSERT_EQ(EngineLines(*metrics, text, width), PlainLines(*metrics, text, width))
                << "round " << round << ", width " << width << ", text '" << text << "'";
        }
    }
}

// A word too long for the room left at the foot of a page is cut after the
// hyphen that ends the last line the room holds, and that cut is drawn on its
// own. It must wrap into the very lines it had inside the whole word: a line
// a hair wider than the box fitted as a break after a hyphen, but as the end
// of the cut it wrapped in two, and the last one was clipped at the foot
// (seed 180279028).
TEST_F(LineBreaking, AWordCutAfterAHyphenKeepsTheLinesItHadWhole) {
    // Times New Roman of 10 points, as in that report: its sums of advances
    // come a hair above whole units often enough (Arial of 42 units never).
    QvFontSpec font;
    font.face = "Times New Roman";
    font.height = -35;
    CqvTextMetrics wide, narrow;
    ASSERT_TRUE(wide.Build(font, 35, QvTextMode{true, 65001}));
    ASSERT_TRUE(narrow.Build(font, 35, QvTextMode{false, 1252}));
    std::mt19937 random(11);
    int hairWider = 0;  // first lines wider than the box by less than the slack
    for (int round = 0; round < 20000; ++round) {
        std::string word;
        const int segments = 2 + static_cast<int>(random() % 5);
        size_t twoSegments = 0;
        for (int i = 0; i < segments; ++i) {
            for (int k = 0, n = 1 + static_cast<int>(random() % 5); k < n; ++k)
                word += static_cast<char>('a' + random() % 26);
            word += '-';
            if (i == 1) twoSegments = word.size();
        }
        word += "end";
        for (const CqvTextMetrics* metrics : {&wide, &narrow}) {
            // The box is as wide as the first two segments, in whole units.
            const float two = metrics->MeasureRun(word.data(), std::ptrdiff_t(twoSegments)).width;
            const auto width = static_cast<int32_t>(two);
            if (two > width && two <= width + 0.001f) ++hairWider;
            const std::vector<Line> whole = EngineLines(*metrics, word, width);
            for (size_t n = 1; n < whole.size(); ++n) {
                const std::string cut = word.substr(0, whole[n - 1].end);
                const std::vector<Line> first(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
                ASSERT_EQ(EngineLines(*metrics, cut, width), first)
                    << "round " << round << ", width " << width << ", word '" << word << "' cut to '" << cut << "'";
            }
        }
    }
    EXPECT_GT(hairWider, 0) << "no box was a hair narrower than its first line: the case is not exercised";
}

TEST_F(LineBreaking, ALongHyphenatedWordTakesLinearTime) {
    // 256 KiB of "a-": the plain rule measures every hyphen from the line's
    // start on every line, which took minutes at a sixteenth of this size.
    std::string word;
    for (size_t i = 0; i < (size_t{1} << 17); ++i) word += "a-";
    const auto started = std::chrono::steady_clock::now();
    const std::vector<Line> lines = EngineLines(m_wide, word, 1000);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().end, word.size());
    for (size_t i = 1; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].start, lines[i - 1].end);
        ASSERT_EQ(word[lines[i - 1].end - 1], '-') << "line " << i << " does not end after a hyphen";
        ASSERT_LE(lines[i - 1].width, 1000.001f);
    }
    EXPECT_LT(seconds, 20.0);
    // A word of the same length without a break runs whole past the edge.
    const std::string plain(word.size(), 'a');
    const std::vector<Line> one = EngineLines(m_wide, plain, 1000);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].end, plain.size());
}

}  // namespace
