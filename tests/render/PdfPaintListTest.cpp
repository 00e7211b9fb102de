// What a page leaves out of its content: fills and border lines that change
// nothing, and border pieces joined into one line, in the order a table draws
// its cells (fill, text, then the cell's four borders).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/PdfPaintList.h"

namespace {

using qv::render::PdfPaintList;
using Box = PdfPaintList::Box;
using Line = PdfPaintList::Line;

constexpr uint32_t kPaintWhite = 0xFFFFFF;
constexpr uint32_t kPaintBlue = 0xF2E6DB;

// A page being drawn: each paint leaves a marker in the content, as the
// writer leaves its operators.
class Page {
public:
    Page() { m_list.Clear(2100, 2970); }

    void Fill(const std::string& name, const Box& box, uint32_t color) {
        const size_t begin = m_content.size();
        m_content += "fill " + name + "\n";
        m_list.AddFill(begin, m_content.size(), box, color, color == kPaintWhite);
    }
    void Ink(const std::string& name, const Box& box) {
        const size_t begin = m_content.size();
        m_content += "text " + name + "\n";
        m_list.AddInk(begin, m_content.size(), box);
    }
    // A cell as the engine draws one: its fill inside the borders, a line of
    // text, then left, top, right and bottom border.
    void Cell(const std::string& name, int32_t x0, int32_t top, int32_t x1, int32_t bottom, uint32_t color) {
        Fill(name, {x0 + 1.0, double(bottom), double(x1), double(top)}, color);
        Ink(name, {x0 + 10.0, bottom + 10.0, x0 + 40.0, top - 10.0});
        Stroke({{x0, top, x0, bottom}, {x0, top, x1, top}, {x1, top, x1, bottom}, {x0, bottom, x1, bottom}});
    }
    void Stroke(const std::vector<Line>& lines) {
        m_content += "pen\n";
        m_list.AddStroke(m_content.size(), lines);
    }
    std::string Compose() {
        std::string out;
        m_list.Compose(m_content, out);
        return out;
    }
    const PdfPaintList& List() const { return m_list; }

private:
    PdfPaintList m_list;
    std::string m_content;
};

TEST(PdfPaintListTest, WhiteCellsOnBlankPaperKeepTheirTextAndDrawEachEdgeOnce) {
    Page page;
    page.Cell("a", 199, -378, 420, -520, kPaintWhite);
    page.Cell("b", 420, -378, 741, -520, kPaintWhite);
    // The first cell's top and bottom go on across the second; the edge the
    // two share is drawn once; no fill is left on white paper.
    EXPECT_EQ(page.Compose(),
              "text a\npen\n"
              "199 -378 m 199 -520 l\n"
              "199 -378 m 741 -378 l\n"  // joined top
              "420 -378 m 420 -520 l\n"
              "199 -520 m 741 -520 l\n"  // joined bottom
              "S\n"
              "text b\npen\n"
              "741 -378 m 741 -520 l\n"
              "S\n");
    EXPECT_EQ(page.List().DroppedFills(), 2u);
    EXPECT_EQ(page.List().DroppedLines(), 1u);
    EXPECT_EQ(page.List().MergedLines(), 2u);
}

TEST(PdfPaintListTest, ColouredCellsKeepEveryFillAndEveryEdgeTheyTouch) {
    Page page;
    page.Cell("a", 199, -378, 420, -520, kPaintBlue);
    page.Cell("b", 420, -378, 741, -520, kPaintBlue);
    // The second fill starts half a unit beside the shared edge: a reader
    // rounding to pixels may paint over the first cell's border, which the
    // second cell's border then draws again.
    const std::string out = page.Compose();
    EXPECT_EQ(page.List().DroppedFills(), 0u);
    EXPECT_EQ(page.List().DroppedLines(), 0u);
    EXPECT_EQ(page.List().MergedLines(), 0u);
    EXPECT_NE(out.find("fill b\ntext b\npen\n420 -378 m 420 -520 l\n"), std::string::npos) << out;
}

TEST(PdfPaintListTest, AFillCoveringEarlierPaintStaysUnlessThatPaintIsDrawnAgain) {
    {
        // The next row's fills overlap the bottom border of the row above by
        // half its width, and the next row's top border draws it again.
        Page page;
        page.Cell("a", 199, -378, 420, -520, kPaintWhite);
        page.Cell("b", 199, -520, 420, -662, kPaintWhite);
        const std::string out = page.Compose();
        EXPECT_EQ(page.List().DroppedFills(), 2u) << out;
        EXPECT_EQ(out.find("fill"), std::string::npos) << out;
        ASSERT_NE(out.find("199 -520 m 420 -520 l\n"), std::string::npos) << out;
        EXPECT_EQ(out.find("199 -520 m 420 -520 l\n"), out.rfind("199 -520 m 420 -520 l\n")) << out;
    }
    {
        // A white fill over earlier text, and over a line nothing draws again.
        Page page;
        page.Ink("t", {100, -200, 300, -100});
        page.Fill("over text", {150, -250, 350, -150}, kPaintWhite);
        page.Fill("beside text", {400, -250, 500, -150}, kPaintWhite);
        const std::string out = page.Compose();
        EXPECT_EQ(out, "text t\nfill over text\n");
        EXPECT_EQ(page.List().DroppedFills(), 1u);
    }
}

TEST(PdfPaintListTest, LinesOnlyJoinOrDropWhenNothingDrawnBetweenTouchesThem) {
    struct Case {
        const char* name;
        Box between;  // text drawn between two strokes along y = -100
        bool separate;
    };
    const std::vector<Case> cases = {
        {"text far below", {100, -200, 300, -150}, false},
        {"text across the second piece", {250, -110, 260, -90}, true},
        {"text within a hair of it", {250, -99.2, 260, -80}, true},
        {"text across the first piece only", {150, -110, 160, -90}, false},
    };
    for (const Case& c : cases) {
        // Two pieces that meet: one line when the second can be drawn with the first.
        Page pieces;
        pieces.Stroke({{100, -100, 200, -100}});
        pieces.Ink("between", c.between);
        pieces.Stroke({{200, -100, 300, -100}});
        const std::string joined = pieces.Compose();
        EXPECT_EQ(joined.find("100 -100 m 300 -100 l") == std::string::npos, c.separate) << c.name << "\n" << joined;

        // The same line drawn twice: once when nothing touched it in between.
        Page twice;
        twice.Stroke({{200, -100, 300, -100}});
        twice.Ink("between", c.between);
        twice.Stroke({{200, -100, 300, -100}});
        const std::string again = twice.Compose();
        EXPECT_EQ(again.find("200 -100 m 300 -100 l") != again.rfind("200 -100 m 300 -100 l"), c.separate)
            << c.name << "\n"
            << again;
    }
}

}  // namespace
