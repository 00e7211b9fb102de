// How a block places its children: columns, stacking, waiting for the next
// page, start-page, keep-with-next and the right edge of the body.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "elements/CqvTrial.h"
#include "render/RecordingSurface.h"

using namespace qvtest;

namespace {

// Body: y from 50 to 950, x from 0 to 1000.
class BlockLayout : public ::testing::Test {
protected:
    CqvReport& Load(const std::string& blocks = "<Block name=\"body\"/>") {
        m_report = LoadReport(m_dir, SimpleTemplate(blocks));
        return *m_report;
    }
    CqvBlock& Body() { return BlockNamed(*m_report, "body"); }

    SettingsGuard m_settings;
    ScratchDir m_dir;
    std::unique_ptr<CqvReport> m_report;
};

TEST_F(BlockLayout, SideBySideChildrenStartTogetherAndTheThirdGoesBelowItsColumnOnly) {
    CqvReport& report = Load();
    AddFixed(Body(), "a", 0, 400, 100);
    AddFixed(Body(), "b", 500, 400, 300);
    AddFixed(Body(), "c", 0, 400, 50);
    Prepare(report);

    EXPECT_EQ(Find(report, "a").outer.top, -50);
    EXPECT_EQ(Find(report, "b").outer.top, -50);
    // Below a (which ends at 150), not below the taller b.
    EXPECT_EQ(Find(report, "c").outer.top, -150);
}

TEST_F(BlockLayout, TouchingSpansOverlapAndStack) {
    CqvReport& report = Load();
    AddFixed(Body(), "a", 0, 900, 100);
    AddFixed(Body(), "b", 900, 900, 100);  // starts where a ends
    AddFixed(Body(), "c", 901, 99, 100);   // starts right of a: beside it
    Prepare(report);

    EXPECT_EQ(Find(report, "b").outer.top, -150);
    EXPECT_EQ(Find(report, "c").outer.top, -250);  // below b, which it touches
}

TEST_F(BlockLayout, SpaceBeforeAndAfterSeparateStackedChildren) {
    CqvReport& report = Load();
    auto& a = AddFixed(Body(), "a", 0, 500, 100);
    auto& b = AddFixed(Body(), "b", 0, 500, 100);
    a.Style().m_nSpaceAfter = 30;
    b.Style().m_nSpaceBefore = 20;
    Prepare(report);

    EXPECT_EQ(Find(report, "a").outer.top, -50);
    EXPECT_EQ(Find(report, "a").outer.bottom, -150);
    EXPECT_EQ(Find(report, "b").outer.top, -200);  // 150 + 30 after + 20 before
}

TEST_F(BlockLayout, AnUnfinishedChildBlocksItsColumnUntilTheNextPage) {
    CqvReport& report = Load();
    AddFixed(Body(), "tall", 0, 400, 1200, /*splittable*/ true);
    AddFixed(Body(), "under", 100, 100, 50);   // overlaps tall's span: waits
    AddFixed(Body(), "beside", 500, 400, 50);  // another column: placed at once
    Prepare(report);

    ASSERT_EQ(report.PageCount(), 2u);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"tall", "beside"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"tall", "under"}));
    // The rest of tall (1200 - 900 = 300) opens page 2, then under follows it.
    const auto pieces = PlacedPieces(report);
    EXPECT_EQ(pieces[2].outer.top, -50);
    EXPECT_EQ(pieces[2].outer.bottom, -350);
    EXPECT_EQ(pieces[3].outer.top, -350);
    EXPECT_EQ(pieces[3].outer.bottom, -400);
}

TEST_F(BlockLayout, NestedBlocksFlowLikeItems) {
    CqvReport& report = Load(
        "<Block name=\"body\"><Block name=\"left\" width=\"40mm\"/>"
        "<Block name=\"right\" left=\"50mm\" width=\"40mm\"/></Block>");
    AddFixed(BlockNamed(report, "left"), "l1", 0, 400, 200);
    AddFixed(BlockNamed(report, "left"), "l2", 0, 400, 200);
    AddFixed(BlockNamed(report, "right"), "r1", 500, 400, 100);
    AddFixed(Body(), "after", 0, 1000, 10);
    Prepare(report);

    EXPECT_EQ(Find(report, "l2").outer.top, -250);
    EXPECT_EQ(Find(report, "r1").outer.top, -50);
    // Below the lowest of both columns.
    EXPECT_EQ(Find(report, "after").outer.top, -450);
}

TEST_F(BlockLayout, StartPageBreaksOnlyWhenThePageIsUsed) {
    CqvReport& report = Load("<Block name=\"body\"/><Block name=\"second\"/>");
    auto& first = AddFixed(Body(), "first", 0, 500, 100);
    first.SetStartPage(1);  // first on the page: no break
    auto& later = AddFixed(Body(), "later", 0, 500, 100);
    later.SetStartPage(1);  // after a finished sibling: one break
    // A new top-level block finds the page used by the block above it.
    auto& opening = AddFixed(BlockNamed(report, "second"), "opening", 0, 500, 100);
    opening.SetStartPage(1);
    Prepare(report);

    ASSERT_EQ(report.PageCount(), 3u);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"first"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"later"}));
    EXPECT_EQ(LabelsOnPage(report, 3), (std::vector<std::string>{"opening"}));
    EXPECT_EQ(Find(report, "later").outer.top, -50);
    EXPECT_EQ(Find(report, "opening").outer.top, -50);
}

TEST_F(BlockLayout, KeepWithNextMovesAHeadingWithWhatFollowsIt) {
    CqvReport& report = Load();
    AddFixed(Body(), "filler", 0, 1000, 700);
    auto& heading = AddFixed(Body(), "heading", 0, 1000, 100);
    heading.SetNotLastItem(1);
    AddFixed(Body(), "text", 0, 1000, 200);  // does not fit below the heading
    Prepare(report);

    ASSERT_EQ(report.PageCount(), 2u);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"filler"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"heading", "text"}));
    EXPECT_EQ(Find(report, "heading").outer.top, -50);
    EXPECT_EQ(Find(report, "text").outer.top, -150);
}

TEST_F(BlockLayout, WithoutKeepWithNextTheHeadingStaysAlone) {
    CqvReport& report = Load();
    AddFixed(Body(), "filler", 0, 1000, 700);
    AddFixed(Body(), "heading", 0, 1000, 100);
    AddFixed(Body(), "text", 0, 1000, 200);
    Prepare(report);

    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"filler", "heading"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"text"}));
}

TEST_F(BlockLayout, KeepWithNextStaysWhenTheFollowerFitsAndLeavesNoTrace) {
    CqvReport& report = Load();
    AddFixed(Body(), "filler", 0, 1000, 500);
    auto& heading = AddFixed(Body(), "heading", 0, 1000, 100);
    heading.SetNotLastItem(1);
    AddFixed(Body(), "text", 0, 1000, 200);
    Prepare(report);

    // Each item placed once: the trial made no pieces of its own.
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"filler", "heading", "text"}));
    EXPECT_EQ(Find(report, "text").outer.top, -650);
    EXPECT_EQ(report.PageCount(), 1u);
}

TEST_F(BlockLayout, KeepWithNextFollowsAChainOfHeadings) {
    CqvReport& report = Load();
    AddFixed(Body(), "filler", 0, 1000, 600);
    AddFixed(Body(), "h1", 0, 1000, 50).SetNotLastItem(1);
    AddFixed(Body(), "h2", 0, 1000, 50).SetNotLastItem(1);
    AddFixed(Body(), "text", 0, 1000, 250);  // 650 + 100 + 250 > 900
    Prepare(report);

    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"filler"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"h1", "h2", "text"}));
}

TEST_F(BlockLayout, TrialRestoresEverythingItTouched) {
    CqvReport& report = Load("<Block name=\"body\"><Block name=\"inner\"/></Block>");
    CqvBlock& inner = BlockNamed(report, "inner");
    AddFixed(inner, "x", 0, 500, 100);
    AddFixed(inner, "y", 0, 500, 100);
    Prepare(report);  // for the page geometry
    const size_t piecesBefore = report.PagePieces(0).size();
    inner.Reset();

    inner.SetNoWrap(true);

    RecordingSurface surface;
    report.SetPageEmpty(true);
    CqvTrial trial(report);
    QvRect rect;
    inner.SetInTrial(true);
    const int32_t r = inner.Layout(surface, report.PrintInfo(), 50, nullptr, rect, &trial);
    inner.SetInTrial(false);
    // As a nowrap row too tall to move does when it splits where it stands.
    inner.SetNoWrap(false);
    EXPECT_EQ(r, 200);
    EXPECT_TRUE(inner.IsDone());
    EXPECT_FALSE(report.PageEmpty());
    EXPECT_EQ(inner.Placement().Size(), 2u);
    EXPECT_EQ(report.PagePieces(0).size(), piecesBefore);  // no pieces inside a trial

    trial.Restore();
    EXPECT_FALSE(inner.HasStarted());
    EXPECT_EQ(inner.Placement().Size(), 0u);
    EXPECT_TRUE(report.PageEmpty());
    EXPECT_TRUE(inner.NoWrap());
}

TEST_F(BlockLayout, AChildBeyondTheRightEdgeLeavesNoPieceAndWideOnesAreCut) {
    CqvReport& report = Load();
    AddFixed(Body(), "wide", 600, 900, 100);
    AddFixed(Body(), "outside", 1000, 300, 100);
    Prepare(report);

    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"wide"}));
    EXPECT_EQ(Find(report, "wide").outer.right, 1000);
}

TEST_F(BlockLayout, ItemLeftIsMeasuredFromTheBodyNotFromItsBlock) {
    m_report = LoadReport(m_dir, SimpleTemplate("<Block name=\"body\" left=\"2cm\"/>", "margin-left=\"1cm\""));
    AddFixed(Body(), "child", 0, 100, 100);
    Prepare(*m_report);
    EXPECT_EQ(Find(*m_report, "child").outer.left, 100);  // the margin, not 100 + 200
}

TEST_F(BlockLayout, AbsoluteBlocksPlaceEveryChildAtItsOwnTop) {
    CqvReport& report = Load("<Block name=\"body\" asblank=\"1\"/>");
    AddFixed(Body(), "a", 0, 1000, 100);
    auto& b = AddFixed(Body(), "b", 0, 1000, 100);
    b.SetTop(30);
    Prepare(report);

    EXPECT_EQ(Find(report, "a").outer.top, -50);
    EXPECT_EQ(Find(report, "b").outer.top, -80);  // its top below the block's position
}

TEST_F(BlockLayout, WhatFollowsAnAbsoluteBlockStartsBelowItsLowestChild) {
    CqvReport& report = Load("<Block name=\"form\" asblank=\"1\"/><Block name=\"after\"/>");
    AddFixed(BlockNamed(report, "form"), "stamp", 0, 1000, 100).SetTop(300);
    AddFixed(BlockNamed(report, "after"), "next", 0, 1000, 50);
    Prepare(report);

    EXPECT_EQ(Find(report, "stamp").outer.bottom, -450);
    EXPECT_LE(Find(report, "next").outer.top, -450) << "drawn over the form's stamp";
}

TEST_F(BlockLayout, DeferLastMarksTheLastUnstartedLeafAcrossTheSubtree) {
    CqvReport& report = Load("<Block name=\"body\"><Block name=\"inner\"/></Block>");
    CqvBlock& inner = BlockNamed(report, "inner");
    auto& b = AddFixed(inner, "b", 0, 100, 10);
    auto& c = AddFixed(inner, "c", 0, 100, 10);
    c.SetNotLastItem(1);                                      // passed over
    auto& started = AddFixed(Body(), "started", 0, 100, 10);  // last, but already started
    started.SetProgress(5);

    int count = 0;
    Body().DeferLast(count);
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(b.Deferred());
    EXPECT_FALSE(c.Deferred());
    EXPECT_FALSE(started.Deferred());

    // Only one item is marked per call chain.
    auto& d = AddFixed(inner, "d", 0, 100, 10);
    Body().DeferLast(count);
    EXPECT_FALSE(d.Deferred());
}

}  // namespace
