// Data-bound blocks and rows: one repetition per matching data element, with
// the repetition's element as the children's data context.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "elements/CqvXmlBlock.h"

using namespace qvtest;

namespace {

const std::string kDogs =
    "<root><dog name=\"one\"/><cat name=\"tom\"/><dog name=\"two\"/><dog name=\"three\"/>"
    "<group><dog name=\"first\"/><dog name=\"second\"/></group></root>";

// Body: y from 50 to 950.
class DataBinding : public ::testing::Test {
protected:
    CqvReport& Load(const std::string& blocks, const std::string& data = kDogs) {
        m_report = LoadReport(m_dir, SimpleTemplate(blocks), data);
        return *m_report;
    }

    SettingsGuard m_settings;
    ScratchDir m_dir;
    std::unique_ptr<CqvReport> m_report;
};

TEST_F(DataBinding, OneRepetitionPerMatchingSiblingStackedWithoutGaps) {
    CqvReport& report = Load("<Block name=\"dogs\" xml-element-name=\"dog\"/><Block name=\"after\"/>");
    AddFixed(BlockNamed(report, "dogs"), "item", 0, 1000, 100);
    AddFixed(BlockNamed(report, "after"), "after", 0, 1000, 10);
    Prepare(report);

    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"item:one", "item:two", "item:three", "after"}));
    EXPECT_EQ(Find(report, "item:two").outer.top, -150);
    EXPECT_EQ(Find(report, "item:three").outer.top, -250);
    EXPECT_EQ(Find(report, "after").outer.top, -350);
}

TEST_F(DataBinding, FinishedRepetitionsAreNotPrintedAgainAfterABreak) {
    CqvReport& report = Load("<Block name=\"dogs\" xml-element-name=\"dog\"/>");
    AddFixed(BlockNamed(report, "dogs"), "item", 0, 1000, 400);
    Prepare(report);

    ASSERT_EQ(report.PageCount(), 2u);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"item:one", "item:two"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"item:three"}));
    EXPECT_EQ(Find(report, "item:three").outer.top, -50);
}

TEST_F(DataBinding, AnInterruptedRepetitionContinuesWithItsChildrensProgress) {
    CqvReport& report = Load("<Block name=\"dogs\" xml-element-name=\"dog\"/>");
    CqvBlock& dogs = BlockNamed(report, "dogs");
    AddFixed(dogs, "head", 0, 1000, 100);
    AddFixed(dogs, "body", 0, 1000, 500, /*splittable*/ true);
    Prepare(report);

    // one: 50..650; two: head 650..750, body 750..950 and 300 more on page 2.
    ASSERT_EQ(report.PageCount(), 2u);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"head:one", "body:one", "head:two", "body:two"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"body:two", "head:three", "body:three"}));
    const auto pieces = PlacedPieces(report);
    EXPECT_EQ(pieces[4].outer.top, -50);
    EXPECT_EQ(pieces[4].outer.bottom, -350);
    EXPECT_EQ(pieces[5].outer.top, -350);  // the next repetition below the rest of two
}

TEST_F(DataBinding, StartPageOpensAPageForEveryRepetitionAfterTheFirst) {
    CqvReport& report = Load("<Block name=\"dogs\" xml-element-name=\"dog\" start-page=\"1\"/>");
    AddFixed(BlockNamed(report, "dogs"), "item", 0, 1000, 100);
    Prepare(report);

    ASSERT_EQ(report.PageCount(), 3u);
    for (size_t page = 1; page <= 3; ++page) {
        const std::string expected = page == 1 ? "item:one" : page == 2 ? "item:two" : "item:three";
        EXPECT_EQ(LabelsOnPage(report, page), (std::vector<std::string>{expected}));
    }
    EXPECT_EQ(Find(report, "item:three").outer.top, -50);
}

TEST_F(DataBinding, StartPageOfANestedBoundBlockLeavesAnEmptyPageAlone) {
    CqvReport& report =
        Load("<Block name=\"outer\"><Block name=\"dogs\" xml-element-name=\"dog\" start-page=\"1\"/></Block>");
    AddFixed(BlockNamed(report, "dogs"), "item", 0, 1000, 100);
    Prepare(report);
    EXPECT_EQ(report.PageCount(), 3u);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"item:one"}));
}

TEST_F(DataBinding, PathsWalkDownAndAPathOfTwoStepsRepeatsOnce) {
    CqvReport& report = Load(
        "<Block name=\"groups\" xml-element-name=\"group\">"
        "  <Block name=\"inGroup\" xml-element-name=\"dog\"/></Block>"
        "<Block name=\"twoSteps\" xml-element-name=\"group/dog\"/>");
    AddFixed(BlockNamed(report, "inGroup"), "nested", 0, 1000, 10);
    AddFixed(BlockNamed(report, "twoSteps"), "path", 0, 1000, 10);
    Prepare(report);

    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"nested:first", "nested:second", "path:first"}));
}

TEST_F(DataBinding, APathThatMatchesNothingPlacesNothingAndFinishes) {
    CqvReport& report = Load(
        "<Block name=\"birds\" xml-element-name=\"bird\"/>"
        "<Block name=\"empty\" xml-element-name=\"\"/><Block name=\"after\"/>");
    AddFixed(BlockNamed(report, "birds"), "bird", 0, 1000, 100);
    AddFixed(BlockNamed(report, "empty"), "none", 0, 1000, 100);
    AddFixed(BlockNamed(report, "after"), "after", 0, 1000, 100);
    Prepare(report);

    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"after"}));
    EXPECT_EQ(Find(report, "after").outer.top, -50);
    EXPECT_TRUE(BlockNamed(report, "birds").IsDone());
}

TEST_F(DataBinding, ResetForgetsTheRepetitionsAndAKeptEntryKeepsTheBlockStarted) {
    CqvReport& report = Load("<Block name=\"dogs\" xml-element-name=\"dog\"/>");
    AddFixed(BlockNamed(report, "dogs"), "item", 0, 1000, 100);
    Prepare(report);
    auto& dogs = dynamic_cast<CqvXmlBlock&>(BlockNamed(report, "dogs"));
    EXPECT_EQ(dogs.Repetitions().size(), 3u);
    EXPECT_TRUE(dogs.HasStarted());
    dogs.Reset();
    EXPECT_TRUE(dogs.Repetitions().empty());
    EXPECT_FALSE(dogs.HasStarted());
}

TEST_F(DataBinding, KeepWithNextOnATableLeavesItsLastRowForTheNextPage) {
    CqvReport& report = Load(
        "<Block name=\"body\"><Block name=\"filler\"/>"
        "<Table name=\"table\" not-last-item=\"1\"><Row name=\"row\" xml-element-name=\"dog\"/></Table>"
        "<Block name=\"follow\"/></Block>");
    AddFixed(BlockNamed(report, "filler"), "filler", 0, 1000, 500);
    AddFixed(BlockNamed(report, "row"), "cell", 0, 1000, 100);
    AddFixed(BlockNamed(report, "follow"), "follow", 0, 1000, 300);
    Prepare(report);

    ASSERT_EQ(report.PageCount(), 2u);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"filler", "cell:one", "cell:two"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"cell:three", "follow"}));
}

}  // namespace
