// The preview's geometry and command rules, without a window.
#include "preview/QvPreviewGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace qv::preview;

namespace {

constexpr PixSize kA4{2100, 2970};  // printer pixels at 254 dpi
constexpr int kBar = 16;

// A window of 800 x 600 at 96 dpi showing an A4 report of `pages` pages.
QvPreviewGeometry Window(uint32_t pages, unsigned shown = 1, PixSize client = {800, 600}) {
    QvPreviewGeometry g;
    g.SetWindow(client, kBar);
    g.SetScreenDpi(96, 96);
    g.SetPhysicalPageSize(kA4);
    g.Start(1, pages, 1, shown);
    for (unsigned i = 0; i < g.PagesShown(); ++i) g.PositionPage(i);
    return g;
}

PixPoint Centre(const PixRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndRefusesWhatItCannotDo) {
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {10, 3, 4, 8}, {-10, 3, 4, -8}, {10, -3, 4, -8},     {10, 3, -4, -8},      {7, 1, 2, 4},
        {5, 1, 3, 2},  {1, 1, 0, -1},   {INT_MAX, 4, 2, -1}, {2100, 96, 254, 794}, {2970, 96, 254, 1123},
    };
    for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

TEST(PreviewGeometryTest, ScaleRatioFitsTheHeightUnlessTheWidthIsTheLimit) {
    EXPECT_EQ(QvPreviewGeometry::ComputeScaleRatio({768, 584}, {794, 1123}), (Ratio{584, 1123}));
    EXPECT_EQ(QvPreviewGeometry::ComputeScaleRatio({380, 584}, {794, 1123}), (Ratio{380, 794}));
}

TEST(PreviewGeometryTest, OnePageSlotOfAKnownWindow) {
    QvPreviewGeometry g = Window(3);
    // 800 less the page bar's 16, less 16 of margins; 600 less 16.
    EXPECT_EQ(g.PageDisplaySize(), (PixSize{768, 584}));
    EXPECT_EQ(g.SecondPageOffset(), 388);
    const auto& slot = g.Slot(0);
    EXPECT_EQ(slot.unscaled, (PixSize{794, 1123}));
    EXPECT_EQ(slot.zoomOutRatio, (Ratio{584, 1123}));
    EXPECT_EQ(slot.scaleRatio, (Ratio{584, 1123}));
    // Scaled 413 x 584, framed with 3 more pixels, centred in the display size.
    EXPECT_EQ(slot.rect, (PixRect{183, 6, 599, 593}));
}

TEST(PreviewGeometryTest, TwoPageSlotsOfAKnownWindow) {
    QvPreviewGeometry g = Window(3, 2);
    EXPECT_EQ(g.PageDisplaySize(), (PixSize{380, 584}));
    EXPECT_EQ(g.Slot(0).scaleRatio, (Ratio{380, 794}));
    EXPECT_EQ(g.Slot(0).rect, (PixRect{6, 29, 389, 569}));
    // The second slot moves right by (784 - 8) / 2.
    EXPECT_EQ(g.Slot(1).rect, (PixRect{394, 29, 777, 569}));
}

TEST(PreviewGeometryTest, OnePageReportGivesThePageBarNoRoom) {
    QvPreviewGeometry g = Window(1);
    EXPECT_EQ(g.PageDisplaySize(), (PixSize{784, 584}));
    EXPECT_FALSE(g.VerticalBarShown());
    EXPECT_TRUE(Window(2).VerticalBarShown());
}

TEST(PreviewGeometryTest, LandscapePaperIsLimitedByTheWidth) {
    QvPreviewGeometry g;
    g.SetWindow({800, 600}, kBar);
    g.SetScreenDpi(96, 96);
    g.SetPhysicalPageSize({2970, 2100});
    g.Start(1, 1, 1, 1);
    g.PositionPage(0);
    EXPECT_EQ(g.Slot(0).zoomOutRatio, (Ratio{784, 1123}));
    EXPECT_EQ(g.Slot(0).rect.Width(), 784 + 3);
}

TEST(PreviewGeometryTest, ClicksCycleTheZoomStatesAndTheMagnifierLeavesInZoomIn) {
    QvPreviewGeometry g = Window(3, 2);
    EXPECT_TRUE(g.MagnifierAt(Centre(g.Slot(0).rect)));
    ASSERT_TRUE(g.Click(Centre(g.Slot(1).rect)));
    EXPECT_EQ(g.ZoomState(), kZoomMiddle);
    EXPECT_EQ(g.PagesShown(), 1u);
    EXPECT_EQ(g.CurrentPage(), 2u);  // the clicked second page

    const PixPoint onPage{g.Slot(0).rect.left + 20 + g.ViewportOrigin().x,
                          g.Slot(0).rect.top + 20 + g.ViewportOrigin().y};
    EXPECT_TRUE(g.MagnifierAt(onPage));
    ASSERT_TRUE(g.Click(onPage));
    EXPECT_EQ(g.ZoomState(), kZoomIn);

    const PixPoint stillOnPage{g.Slot(0).rect.left + 20 + g.ViewportOrigin().x,
                               g.Slot(0).rect.top + 20 + g.ViewportOrigin().y};
    EXPECT_FALSE(g.MagnifierAt(stillOnPage));
    ASSERT_TRUE(g.Click(stillOnPage));
    EXPECT_EQ(g.ZoomState(), kZoomOut);
    EXPECT_EQ(g.PagesShown(), 2u);  // the zoom-out state's own number of pages
    EXPECT_EQ(g.CurrentPage(), 2u);
}

TEST(PreviewGeometryTest, ClickOffThePagesDoesNothing) {
    QvPreviewGeometry g = Window(3);
    EXPECT_FALSE(g.Click({2, 2}));
    EXPECT_FALSE(g.MagnifierAt({2, 2}));
    EXPECT_EQ(g.ZoomState(), kZoomOut);
}

TEST(PreviewGeometryTest, ZoomRatiosFollowTheZoomOutRatio) {
    QvPreviewGeometry g = Window(3);
    ASSERT_TRUE(g.Execute(kIdZoomIn));
    // The paper is larger than the screen: half-way to 1:1, then 1:1.
    EXPECT_EQ(g.Slot(0).scaleRatio, (Ratio{(584 + 1123) / 2, 1123}));
    ASSERT_TRUE(g.Execute(kIdZoomIn));
    EXPECT_EQ(g.Slot(0).scaleRatio, (Ratio{1, 1}));
    EXPECT_EQ(g.Slot(0).rect, (PixRect{8, 8, 794 + 11, 1123 + 11}));
    EXPECT_EQ(g.ScrollTotal(), (PixSize{797 + 16, 1126 + 16}));
}

TEST(PreviewGeometryTest, PaperSmallerThanTheScreenZoomsBeyondIt) {
    QvPreviewGeometry g;
    g.SetWindow({1600, 1200}, kBar);
    g.SetScreenDpi(96, 96);
    g.SetPhysicalPageSize({1000, 700});  // 378 x 265 pixels at 1:1
    g.Start(1, 1, 1, 1);
    g.PositionPage(0);
    const Ratio z = g.Slot(0).zoomOutRatio;
    ASSERT_GT(z.num, z.den);
    g.Execute(kIdZoomIn);
    EXPECT_EQ(g.Slot(0).scaleRatio, (Ratio{(3 * z.num - z.den) / 2, z.den}));
    g.Execute(kIdZoomIn);
    EXPECT_EQ(g.Slot(0).scaleRatio, (Ratio{2 * z.num - z.den, z.den}));
}

TEST(PreviewGeometryTest, ZoomButtonsCentreOnThePagesTopLeftCorner) {
    QvPreviewGeometry g = Window(3);
    g.Execute(kIdZoomIn);
    g.Execute(kIdZoomIn);
    EXPECT_EQ(g.ScrollPosition(), (PixPoint{0, 0}));
    g.SetScrollPosition({100, 300});
    g.Execute(kIdZoomOut);  // zoom-in to middle
    EXPECT_EQ(g.ZoomState(), kZoomMiddle);
    EXPECT_EQ(g.ScrollPosition(), (PixPoint{0, 0}));
}

TEST(PreviewGeometryTest, ClickZoomsAroundTheClickedPoint) {
    QvPreviewGeometry g = Window(3);
    const PixRect r = g.Slot(0).rect;
    // Near the bottom of the page: the zoomed view scrolls down to it.
    const PixPoint click{(r.left + r.right) / 2, r.bottom - 30};
    const auto before = g.HitTest(click);
    ASSERT_TRUE(before);
    ASSERT_TRUE(g.Click(click));
    ASSERT_EQ(g.ZoomState(), kZoomMiddle);
    EXPECT_GT(g.ScrollPosition().y, 0);
    EXPECT_LE(g.ScrollPosition().y, g.ScrollLimit().cy);
    // The same page point is now in the middle of the client area, or as near
    // as the scroll range allows.
    const PixSize client = g.ClientSize();
    const auto after = g.HitTest({client.cx / 2, client.cy / 2});
    ASSERT_TRUE(after);
    if (g.ScrollPosition().y < g.ScrollLimit().cy) {
        EXPECT_NEAR(after->pagePoint.y, before->pagePoint.y, 3);
    }
}

TEST(PreviewGeometryTest, ZoomedPageNarrowerThanTheWindowIsCentredAndHitWhereDrawn) {
    QvPreviewGeometry g = Window(3, 1, {1600, 600});
    g.Execute(kIdZoomIn);  // middle: about 606 x 856 pixels framed
    const PixSize client = g.ClientSize();
    ASSERT_LT(g.ScrollTotal().cx, client.cx);
    EXPECT_EQ(g.ViewportOrigin().x, (client.cx - g.ScrollTotal().cx) / 2);
    EXPECT_FALSE(g.HorizontalBarShown());
    EXPECT_TRUE(g.VerticalBarShown());
    // Just inside the drawn page's left edge is on the page; just left of it is not.
    const int drawnLeft = g.Slot(0).rect.left + g.ViewportOrigin().x;
    EXPECT_TRUE(g.HitTest({drawnLeft + 2, 100}));
    EXPECT_FALSE(g.HitTest({drawnLeft - 2, 100}));
}

TEST(PreviewGeometryTest, PageBarPagesThroughTwentyFivePagesThreeAtATime) {
    QvPreviewGeometry g = Window(25);
    struct Step {
        ScrollCode code;
        int thumb;
        uint32_t expected;
    } steps[] = {
        {ScrollCode::PageDown, 0, 4},  {ScrollCode::PageDown, 0, 7}, {ScrollCode::LineUp, 0, 6},
        {ScrollCode::PageUp, 0, 3},    {ScrollCode::PageUp, 0, 1},   {ScrollCode::PageUp, 0, 1},
        {ScrollCode::LineUp, 0, 1},    {ScrollCode::Bottom, 0, 25},  {ScrollCode::LineDown, 0, 25},
        {ScrollCode::PageDown, 0, 25}, {ScrollCode::Thumb, 10, 10},  {ScrollCode::Other, 0, 10},
        {ScrollCode::Top, 0, 1},       {ScrollCode::Thumb, 99, 25},
    };
    int i = 0;
    for (const Step& s : steps) {
        g.VScrollZoomOut(s.code, s.thumb);
        EXPECT_EQ(g.CurrentPage(), s.expected) << "step " << i;
        ++i;
    }
}

TEST(PreviewGeometryTest, PageBarIsOrdinaryScrollingWhenZoomed) {
    QvPreviewGeometry g = Window(25);
    g.Execute(kIdZoomIn);
    g.VScrollZoomOut(ScrollCode::PageDown, 0);
    EXPECT_EQ(g.CurrentPage(), 1u);
}

TEST(PreviewGeometryTest, PagingClearsTheSlotsAndStaysInRange) {
    QvPreviewGeometry g = Window(3);
    ASSERT_NE(g.Slot(0).scaleRatio.num, 0);
    ASSERT_TRUE(g.Execute(kIdNextPage));
    EXPECT_EQ(g.CurrentPage(), 2u);
    EXPECT_EQ(g.Slot(0).scaleRatio.num, 0);
    g.SetCurrentPage(99, true);
    EXPECT_EQ(g.CurrentPage(), 3u);
    g.SetCurrentPage(-5, true);
    EXPECT_EQ(g.CurrentPage(), 1u);
}

// The buttons' states after a sequence of commands.
TEST(PreviewGeometryTest, CommandStates) {
    struct Case {
        const char* name;
        uint32_t pages;
        unsigned shown;
        std::vector<int> commands;
        bool numPages, zoomIn, zoomOut, prev, next;
        const char* numPagesText;
        const char* pageText;
    } cases[] = {
        {"one-page report", 1, 1, {}, false, true, false, false, false, "&Two Page", "1"},
        {"one-page report opened with two", 1, 2, {}, true, true, false, false, false, "&One Page", "1"},
        {"...toggled to one", 1, 2, {kIdNumPages}, false, true, false, false, false, "&Two Page", "1"},
        {"first of three", 3, 1, {}, true, true, false, false, true, "&Two Page", "1"},
        {"last of three", 3, 1, {kIdNextPage, kIdNextPage}, true, true, false, true, false, "&Two Page", "3"},
        {"two pages, 2 and 3 shown", 3, 2, {kIdNextPage}, true, true, false, true, false, "&One Page", "2"},
        {"middle", 3, 1, {kIdZoomIn}, false, true, true, false, true, "&Two Page", "1"},
        {"zoom-in", 3, 1, {kIdZoomIn, kIdZoomIn}, false, false, true, false, true, "&Two Page", "1"},
        {"zoomed from two pages", 3, 2, {kIdZoomIn}, false, true, true, false, true, "&One Page", "1"},
        {"back out", 3, 2, {kIdZoomIn, kIdZoomOut}, true, true, false, false, true, "&One Page", "1"},
    };
    for (const Case& c : cases) {
        QvPreviewGeometry g = Window(c.pages, c.shown);
        for (int id : c.commands) ASSERT_TRUE(g.Execute(id)) << c.name << ": command " << id;
        EXPECT_EQ(g.CommandEnabled(kIdNumPages), c.numPages) << c.name;
        EXPECT_EQ(g.CommandEnabled(kIdZoomIn), c.zoomIn) << c.name;
        EXPECT_EQ(g.CommandEnabled(kIdZoomOut), c.zoomOut) << c.name;
        EXPECT_EQ(g.CommandEnabled(kIdPrevPage), c.prev) << c.name;
        EXPECT_EQ(g.CommandEnabled(kIdNextPage), c.next) << c.name;
        EXPECT_TRUE(g.CommandEnabled(kIdPrint)) << c.name;
        EXPECT_TRUE(g.CommandEnabled(kIdClose)) << c.name;
        EXPECT_EQ(g.CommandText(kIdNumPages), c.numPagesText) << c.name;
        EXPECT_EQ(g.CommandText(kIdPageNumber), c.pageText) << c.name;
    }
}

TEST(PreviewGeometryTest, DisabledCommandsAreRefused) {
    QvPreviewGeometry g = Window(3);
    g.Execute(kIdZoomIn);
    EXPECT_FALSE(g.Execute(kIdNumPages));
    EXPECT_EQ(g.PagesShown(), 1u);
    EXPECT_FALSE(g.Execute(kIdPrevPage));
    EXPECT_FALSE(g.Execute(kIdPrint));  // the dialog's own command
}

TEST(PreviewGeometryTest, ShowingTheLastPageWithTwoSlotsKeepsTheSecondEmpty) {
    QvPreviewGeometry g = Window(3, 2);
    g.VScrollZoomOut(ScrollCode::Bottom, 0);
    EXPECT_EQ(g.CurrentPage(), 3u);
    EXPECT_EQ(g.PagesShown(), 2u);
    EXPECT_FALSE(g.CommandEnabled(kIdNextPage));
    // Clicking the empty second page zooms to the last page, not beyond.
    g.PositionPage(0);
    g.PositionPage(1);
    ASSERT_TRUE(g.Click(Centre(g.Slot(1).rect)));
    EXPECT_EQ(g.CurrentPage(), 3u);
}

TEST(PreviewGeometryTest, ResizingClearsTheZoomOutSlotsAndKeepsZoomedScrollingInRange) {
    QvPreviewGeometry g = Window(3);
    g.SetWindow({1000, 800}, kBar);
    g.OnSize();
    EXPECT_EQ(g.Slot(0).scaleRatio.num, 0);

    g = Window(3);
    g.Execute(kIdZoomIn);
    g.Execute(kIdZoomIn);
    g.SetScrollPosition({10000, 10000});
    EXPECT_EQ(g.ScrollPosition(), (PixPoint{g.ScrollLimit().cx, g.ScrollLimit().cy}));
    g.SetWindow({2000, 2000}, kBar);
    g.OnSize();
    EXPECT_EQ(g.ScrollPosition(), (PixPoint{0, 0}));  // everything fits now
    EXPECT_EQ(g.ScrollPageSize(), g.ClientSize());
}

TEST(PreviewGeometryTest, TinyWindowStillGivesAPositivePage) {
    QvPreviewGeometry g = Window(3, 2, {10, 10});
    EXPECT_GT(g.Slot(0).scaleRatio.num, 0);
    EXPECT_GT(g.Slot(0).rect.Width(), 0);
    EXPECT_GT(g.Slot(0).rect.Height(), 0);
}

}  // namespace
