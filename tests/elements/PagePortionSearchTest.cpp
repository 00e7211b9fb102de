// The page portion of a text is found by a bracketing search instead of trying
// every run from the longest down. These tests hold the two against each other:
// the search alone on every small case, and whole texts laid out page by page
// against the plain search measured with the item's own metrics.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "elements/CqvFontScope.h"
#include "elements/CqvTextItem.h"
#include "elements/LongestFittingRun.h"
#include "ItemTestSupport.h"

namespace {

using qvitems::ItemReport;
using qvitems::Template;

TEST(LongestFittingRun, FindsWhatTheLongestFirstScanFindsForEveryThresholdAndGuess) {
    for (size_t from = 0; from < 3; ++from) {
        for (size_t count = from; count < 40; ++count) {
            for (size_t threshold = from; threshold <= count; ++threshold) {
                for (size_t guess = 0; guess <= count + 2; ++guess) {
                    size_t probes = 0;
                    auto fits = [&](size_t to) {
                        EXPECT_GT(to, from);
                        EXPECT_LE(to, count);
                        ++probes;
                        return to <= threshold;
                    };
                    size_t plain = count;
                    while (plain > from && plain > threshold) --plain;
                    ASSERT_EQ(LongestFittingRun(from, count, guess, fits), plain)
                        << "from " << from << " count " << count << " threshold " << threshold << " guess " << guess;
                    // A right guess costs two probes: it fits, one more does not.
                    if (guess == threshold && threshold > from) {
                        EXPECT_LE(probes, 2u);
                    }
                }
            }
        }
    }
}

TEST(LongestFittingRun, ProbesGrowWithTheLogarithmOfTheDistance) {
    size_t probes = 0;
    auto fits = [&](size_t to) {
        ++probes;
        return to <= 700000;
    };
    EXPECT_EQ(LongestFittingRun(0, 1000000, 1, fits), 700000u);
    EXPECT_LE(probes, 2 * 20 + 2u);
    probes = 0;
    EXPECT_EQ(LongestFittingRun(0, 1000000, 1000000, fits), 700000u);
    EXPECT_LE(probes, 2 * 20 + 2u);
}

// Seeded words of every kind the portion choice meets: short and long ones,
// hyphenated ones that break after the hyphen, empty ones (two spaces in a
// row), words too wide for a narrow column, tabs and line breaks inside a word
// (white space to the line breaker but not to the word cutting), and letters
// of several UTF-8 lengths.
std::string MixedText(unsigned seed, size_t words) {
    unsigned state = seed;
    auto next = [&state](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    static const char* const kLetters[] = {"a", "e", "i", "n", "r", "s", "t", "m", "w", "ö", "ß", "ж", "я", "€"};
    std::string text;
    for (size_t w = 0; w < words; ++w) {
        if (w) text += ' ';
        const unsigned kind = next(40);
        if (kind == 0) continue;  // an empty word
        const size_t letters = kind == 1 ? 45 : 1 + next(11);
        for (size_t i = 0; i < letters; ++i) {
            if (i > 0 && i + 1 < letters && kind == 2 && i == letters / 2) text += '-';
            else if (i > 0 && i + 1 < letters && kind == 3 && i == letters / 2) text += (next(2) ? '\t' : '\n');
            else text += kLetters[next(14)];
        }
    }
    return text;
}

std::vector<std::string> CutAtSpaces(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t space = text.find(' '); space != std::string::npos; space = text.find(' ', start)) {
        words.push_back(text.substr(start, space - start));
        start = space + 1;
    }
    words.push_back(text.substr(start));
    return words;
}

// What trying every run from the longest down takes: the first that fits.
std::string PlainPageText(const CqvTextItem& item, const std::vector<std::string>& words, size_t from,
                          const QvRect& content, int32_t y, int32_t bottomLimit) {
    for (size_t to = words.size(); to > from; --to) {
        std::string run;
        for (size_t i = from; i < to; ++i) run += words[i] + ' ';
        const int32_t height =
            item.Style().m_metrics.DrawWrapped(nullptr, run.c_str(), static_cast<std::ptrdiff_t>(run.size()), content,
                                               kQvTextMeasureOnly, item.IsAbsolute());
        if (bottomLimit >= int64_t{y} + item.Style().m_nPaddingTop + std::abs(int64_t{height})) return run;
    }
    return {};
}

struct Case {
    const char* width;
    const char* fontSize;
    bool absolute;
    friend std::ostream& operator<<(std::ostream& out, const Case& c) {
        return out << c.width << " at " << c.fontSize << " pt" << (c.absolute ? ", absolute" : "");
    }
};

class PagePortionSearch : public ::testing::TestWithParam<Case> {};

TEST_P(PagePortionSearch, EveryPageTakesWhatThePlainSearchTakes) {
    const Case c = GetParam();
    constexpr int kTexts = 6;
    std::string blocks;
    for (int t = 0; t < kTexts; ++t) {
        const std::string text = MixedText(11u + 7u * t, 250);
        blocks += std::string("<Block") + (c.absolute ? " asblank=\"1\"" : "") + "><Text name=\"t" + std::to_string(t) +
                  "\" width=\"" + c.width + "\" height=\"20mm\" font-size=\"" + c.fontSize + "\">" + text +
                  "</Text></Block>";
    }
    ItemReport report(Template(blocks, "page-width=\"120mm\" page-height=\"70mm\""));
    report.Prepare();
    const int32_t bottom = report->BodyArea().bottom;

    for (int t = 0; t < kTexts; ++t) {
        auto& item = report.Item<CqvTextItem>("t" + std::to_string(t));
        const std::vector<std::string> words = CutAtSpaces(item.SourceText());
        RecordingSurface surface;
        CqvFontScope scope(surface, item.Style());
        item.Reset();
        size_t from = 0;
        int pages = 0;
        // Start each text at a few heights, then at the top of every next page.
        int32_t y = report->BodyArea().top + 37 * t;
        for (int32_t r = -2; r < -1 && pages < 200; ++pages) {
            item.ItemRect(y);
            const QvRect content = item.ContentRectangle();
            const std::string expected = PlainPageText(item, words, from, content, y, bottom);
            QvRect rect;
            r = item.Layout(surface, report->PrintInfo(), y, nullptr, rect, nullptr);
            if (expected.empty()) break;  // nothing fits: the text is finished whole, as before
            ASSERT_EQ(item.PageText(), expected) << "text " << t << " page " << pages + 1;
            from = item.IsDone() ? words.size() : static_cast<size_t>(item.PrintPos());
            y = report->BodyArea().top;
        }
        EXPECT_TRUE(item.IsDone()) << "text " << t;
        // An absolute box clips its text, so all of it goes on its one page.
        if (!c.absolute) {
            EXPECT_GT(pages, 1) << "text " << t;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WidthsAndSizes, PagePortionSearch,
                         ::testing::Values(Case{"12mm", "8", false}, Case{"30mm", "10", false},
                                           Case{"55mm", "12", false}, Case{"100mm", "9", false},
                                           Case{"100mm", "16", false}, Case{"40mm", "10", true},
                                           Case{"100mm", "11", true}));

}  // namespace
