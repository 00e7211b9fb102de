#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "elements/CqvLineItem.h"
#include "elements/CqvTextItem.h"
#include "elements/CqvTextPiece.h"
#include "elements/CqvXmlTextItem.h"
#include "ItemTestSupport.h"

namespace {

using qvitems::DrawnTexts;
using qvitems::ItemReport;
using qvitems::Template;

// Arial 12 at 254 dpi: one line is 50 units, the line spacing 48.2959.
constexpr int32_t kOneLine = 50;
constexpr int32_t kPadding = 10;

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string NumberedWords(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += (i > 1 ? " w" : "w") + std::to_string(i);
    return text;
}

TEST(CqvTextItem, TheFactoryMakesPlainAndBoundTexts) {
    ItemReport report(
        Template("<Block><Text name=\"plain\">Hello  world</Text>"
                 "<Text name=\"bound\" xml-element-name=\"\">ignored</Text>"
                 "<Line name=\"rule\"/></Block>"));
    auto& plain = report.Item<CqvTextItem>("plain");
    EXPECT_EQ(plain.TypeCode(), 3);
    EXPECT_EQ(plain.SourceText(), "Hello  world");
    // Presence of the attribute decides, and a bound text reads nothing at load.
    auto& bound = report.Item<CqvXmlTextItem>("bound");
    EXPECT_EQ(bound.TypeCode(), 4);
    EXPECT_EQ(bound.SourceText(), "");
    EXPECT_EQ(report.Item<CqvLineItem>("rule").TypeCode(), 15);
}

TEST(CqvTextItem, AnEmptyTextLeavesAFrameAsHighAsItsPaddings) {
    ItemReport report(Template("<Block><Text name=\"t\"/></Block>"));
    report.Prepare();
    const auto pieces = report.TextPieces(1);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0]->Text(), "");
    EXPECT_EQ(pieces[0]->Outer().Height(), 2 * kPadding);
    EXPECT_TRUE(report.Item<CqvTextItem>("t").IsDone());
}

TEST(CqvTextItem, SpacesInARowStayInThePageText) {
    ItemReport report(Template("<Block><Text name=\"t\">a   b</Text></Block>"));
    report.Prepare();
    EXPECT_EQ(report.Item<CqvTextItem>("t").Words(), (std::vector<std::string>{"a", "", "", "b"}));
    const auto pieces = report.TextPieces(1);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0]->Text(), "a   b ");
}

// Spaces in a row over many pages: each page takes its words with the
// spaces after them, so the pages together give the text back.
TEST(CqvTextItem, SpacesInARowStayInThePageTextsOfEveryPage) {
    std::string text = "w0";
    for (int i = 1; i < 300; ++i) text += (i % 3 ? "  w" : " w") + std::to_string(i);
    ItemReport report(Template("<Block><Text name=\"t\" width=\"80mm\">" + text + "</Text></Block>",
                               "page-width=\"100mm\" page-height=\"100mm\""));
    report.Prepare();
    ASSERT_GT(report->PageCount(), 2u);
    std::string joined;
    for (size_t page = 1; page <= report->PageCount(); ++page) {
        const auto pieces = report.TextPieces(page);
        ASSERT_EQ(pieces.size(), 1u) << "page " << page;
        joined += pieces[0]->Text();
    }
    EXPECT_EQ(joined, text + " ");
}

TEST(CqvTextItem, BoundTextsReadTheirPathFromTheData) {
    struct Case {
        std::string blockPath;  // empty: an unbound block, the data root is the context
        std::string textAttributes;
        std::vector<std::string> expected;  // the texts of the pieces
    };
    const Case cases[] = {
        {"", "xml-element-name=\"@kind\"", {"pets "}},
        {"", "xml-element-name=\"item@code\"", {"A1 "}},
        {"", "xml-element-name=\"box/item\"", {"Bowl "}},
        {"", "xml-element-name=\"nosuch\"", {"??? "}},
        {"", "xml-element-name=\"item@nosuch\"", {""}},
        {"item", "xml-element-name=\".\"", {"Leash ", "Collar "}},
        {"box/item", "xml-element-name=\"./\"", {"Bowl "}},
        // xml-property-name names nothing: the element's text is shown.
        {"", "xml-element-name=\"item\" xml-property-name=\"code\"", {"Leash "}},
        // Placeholders in a value resolve against the element the path found.
        {"", "xml-element-name=\"box/item@label\"", {"B2 "}},
    };
    std::ifstream in(qvitems::Fixture("fields.xml"));
    const std::string fields((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const Case& c : cases) {
        const std::string block = c.blockPath.empty() ? "<Block>" : "<Block xml-element-name=\"" + c.blockPath + "\">";
        ItemReport report(Template(block + "<Text name=\"t\" " + c.textAttributes + "/></Block>"), fields);
        report.Prepare();
        std::vector<std::string> texts;
        for (const CqvTextPiece* piece : report.TextPieces(1)) texts.push_back(piece->Text());
        EXPECT_EQ(texts, c.expected) << c.blockPath << " " << c.textAttributes;
    }
}

// Lays the item out by hand at positions near the body's bottom.
class TextAtTheBottom : public ::testing::Test {
protected:
    int32_t LayoutAt(CqvTextItem& item, int32_t y) {
        RecordingSurface surface;
        QvRect rect;
        item.Reset();
        return item.Layout(surface, m_report->PrintInfo(), y, m_report->DataDocument().RootElement(), rect, nullptr);
    }

    ItemReport m_report{Template("<Block><Text name=\"plain\">word</Text>"
                                 "<Text name=\"bare\" padding=\"0\">word</Text>"
                                 "<Text name=\"bound\" xml-element-name=\"@v\"/></Block>"),
                        "<root v=\"word\"/>"};
};

TEST_F(TextAtTheBottom, NothingIsPlacedUnlessOneLineAndThePaddingsFit) {
    m_report.Prepare();
    const int32_t bottom = m_report->BodyArea().bottom;
    auto& plain = m_report.Item<CqvTextItem>("plain");
    EXPECT_EQ(LayoutAt(plain, bottom - (kOneLine + 2 * kPadding) + 1), -1);
    EXPECT_EQ(plain.Progress(), 0);
    EXPECT_EQ(LayoutAt(plain, bottom - (kOneLine + 2 * kPadding)), kOneLine + 2 * kPadding);
    EXPECT_TRUE(plain.IsDone());

    auto& bare = m_report.Item<CqvTextItem>("bare");
    EXPECT_EQ(LayoutAt(bare, bottom - kOneLine + 1), -1);
    EXPECT_EQ(LayoutAt(bare, bottom - kOneLine), kOneLine);

    auto& bound = m_report.Item<CqvXmlTextItem>("bound");
    EXPECT_EQ(LayoutAt(bound, bottom - kOneLine + 1), -1);
    EXPECT_EQ(LayoutAt(bound, bottom - (kOneLine + 2 * kPadding) + 1), -1);
    EXPECT_EQ(LayoutAt(bound, bottom - (kOneLine + 2 * kPadding)), kOneLine + 2 * kPadding);
    EXPECT_EQ(bound.PageText(), "word ");
}

// A long text over small pages. Its last word is the page number, expanded
// again on every page, so the last page must show its own number.
class LongText : public ::testing::Test {
protected:
    static constexpr int kWords = 500;
    ItemReport m_report{
        Template("<Block><Text name=\"t\" width=\"80mm\">" + NumberedWords(kWords) + " [%qv_curpage%]</Text></Block>",
                 "page-width=\"100mm\" page-height=\"100mm\"")};
};

TEST_F(LongText, EveryWordIsPlacedOnceAndInOrder) {
    m_report.Prepare();
    const size_t pages = m_report->PageCount();
    ASSERT_GT(pages, 3u);
    const int32_t bottom = m_report->BodyArea().bottom;

    const CqvTextMetrics& metrics = m_report.Item<CqvTextItem>("t").Style().m_metrics;
    std::vector<std::string> placed;
    for (size_t page = 1; page <= pages; ++page) {
        const auto pieces = m_report.TextPieces(page);
        ASSERT_EQ(pieces.size(), 1u) << "page " << page;
        const QvRect& outer = pieces[0]->Outer();
        EXPECT_GE(outer.bottom, -bottom) << "page " << page;
        if (page < pages) {
            // The page is full: one more word would not have fitted.
            const std::string longer = pieces[0]->Text() + SplitWords(m_report.TextPieces(page + 1)[0]->Text())[0];
            const int32_t height =
                metrics.DrawWrapped(nullptr, longer.c_str(), static_cast<std::ptrdiff_t>(longer.size()),
                                    pieces[0]->Content(), kQvTextMeasureOnly, false);
            EXPECT_GT(-outer.top + kPadding - height, bottom) << "page " << page;
        }
        for (const std::string& word : SplitWords(pieces[0]->Text())) placed.push_back(word);
    }
    std::vector<std::string> expected = SplitWords(NumberedWords(kWords));
    expected.push_back(std::to_string(pages));
    EXPECT_EQ(placed, expected);
}

TEST_F(LongText, ContinuedPagesReturnTheirHeightNegativeAndTheLastPositive) {
    m_report.Prepare();
    auto& text = m_report.Item<CqvTextItem>("t");
    RecordingSurface surface;
    QvRect rect;
    text.Reset();
    const int32_t top = m_report->BodyArea().top;
    int32_t r = text.Layout(surface, m_report->PrintInfo(), top, nullptr, rect, nullptr);
    int continued = 0;
    int32_t lastPosition = 0;
    while (r < 0 && continued < 100) {
        EXPECT_LT(r, -1);
        EXPECT_GT(text.PrintPos(), lastPosition);  // every page places at least one word
        lastPosition = text.PrintPos();
        ++continued;
        r = text.Layout(surface, m_report->PrintInfo(), top, nullptr, rect, nullptr);
    }
    EXPECT_GT(r, 0);
    EXPECT_TRUE(text.IsDone());
    EXPECT_EQ(static_cast<size_t>(continued + 1), m_report->PageCount());
}

// Seven pages, one data element each, under a footer that counts them.
class PageCountFooter : public ::testing::Test {
protected:
    std::string m_footer = "Page [%qv_curpage%] of [%qv_pages%]";
    ItemReport m_report{
        Template("<Block xml-element-name=\"p\" start-page=\"1\"><Text xml-element-name=\"@n\"/></Block>", "",
                 "<PageHeader height=\"0\"/>",
                 "<PageFooter height=\"10mm\"><Text name=\"f\" width=\"150mm\">" + m_footer + "</Text></PageFooter>"),
        "<r><p n=\"1\"/><p n=\"2\"/><p n=\"3\"/><p n=\"4\"/><p n=\"5\"/><p n=\"6\"/><p n=\"7\"/></r>"};

    const CqvTextPiece* FooterPiece(size_t page) {
        const auto pieces = m_report.TextPieces(page);
        return pieces.empty() ? nullptr : pieces.back();
    }
};

TEST_F(PageCountFooter, ThePageCountIsFilledInWhenThePageIsDrawn) {
    m_report.Prepare();
    ASSERT_EQ(m_report->PageCount(), 7u);
    const CqvTextPiece* footer = FooterPiece(3);
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->Text(), "Page 3 of [%qv_pages%] ");
    EXPECT_TRUE(footer->HasPageCount());

    const std::vector<std::string> drawn = DrawnTexts(m_report.Draw(3));
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back(), "Page 3 of 7");
    // The piece keeps the text it drew.
    EXPECT_EQ(footer->Text(), "Page 3 of 7 ");
    EXPECT_EQ(DrawnTexts(m_report.Draw(3)).back(), "Page 3 of 7");
}

TEST(CqvTextPiece, TheFirstDrawingFillsInEveryPageCountField) {
    ItemReport report(Template("<Block><Text>[%qv_pages%] / [%qv_pages%][%qv_pages%]</Text></Block>"));
    report.Prepare();
    EXPECT_EQ(DrawnTexts(report.Draw(1)), (std::vector<std::string>{"1 / 11"}));
    EXPECT_EQ(DrawnTexts(report.Draw(1)), (std::vector<std::string>{"1 / 11"}));
}

TEST(CqvTextItem, AnAbsoluteTextHoldsAtLeastOneLine) {
    // Header texts are absolute: a 10-unit box grows to the line spacing plus
    // the paddings (48.3 + 20, truncated); a taller box keeps its height.
    ItemReport report(Template("<Block/>", "",
                               "<PageHeader height=\"50mm\"><Text name=\"low\" height=\"1mm\">x</Text>"
                               "<Text name=\"tall\" left=\"60mm\" height=\"20mm\">x</Text></PageHeader>"));
    report.Prepare();
    const auto pieces = report.TextPieces(1);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0]->Outer().Height(), 68);
    EXPECT_EQ(pieces[1]->Outer().Height(), 200);
}

TEST(CqvTextPiece, DrawsBackgroundTextAndBordersAlignedByItsStyle) {
    struct Case {
        int32_t align;
        bool frameOnly;
    };
    const Case cases[] = {{kQvAlignLeft, false}, {kQvAlignCenter, false}, {kQvAlignRight, false}, {kQvAlignLeft, true}};
    qv::test::SettingsGuard settings;
    for (const Case& c : cases) {
        CqvStyle style;
        style.m_nTextAlign = c.align;
        style.m_nBorderLeft = style.m_nBorderTop = style.m_nBorderRight = style.m_nBorderBottom = 1;
        style.m_crBg = QvRgb(1, 2, 3);
        CqvTextPiece piece(&style, "Hi ", false);
        piece.m_rcOuter = QvRect{0, 0, 1000, -70};
        piece.m_rcContent = QvRect{10, -10, 990, -60};
        piece.m_bFrameOnly = c.frameOnly;
        RecordingSurface surface;
        piece.Draw(surface);

        const auto fills = surface.CallsOf(RecordedCall::Kind::FillSolidRect);
        ASSERT_FALSE(fills.empty());
        EXPECT_EQ(fills.front().rect, piece.m_rcOuter);
        EXPECT_EQ(fills.front().color, QvRgb(1, 2, 3));
        EXPECT_EQ(surface.CallsOf(RecordedCall::Kind::LineTo).size(), 4u);
        const auto texts = surface.CallsOf(RecordedCall::Kind::TextOut);
        if (c.frameOnly) {
            EXPECT_TRUE(texts.empty());
            continue;
        }
        ASSERT_EQ(texts.size(), 1u);
        int32_t width = 0;
        for (int32_t advance : texts[0].advances) width += advance;
        const int32_t x = texts[0].x;
        const int32_t expectedX = c.align == kQvAlignCenter  ? 10 + (980 - width) / 2
                                  : c.align == kQvAlignRight ? 990 - width
                                                             : 10;
        EXPECT_NEAR(x, expectedX, 1) << "align " << c.align;
    }
}

}  // namespace
