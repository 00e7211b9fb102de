// A bound block keeps its finished repetitions as one run and resumes after
// it: every repetition is laid out once and in order however many pages the
// block takes, and what the record holds stays small.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

#include "EngineTestSupport.h"
#include "elements/CqvXmlBlock.h"
#include "xml/DataNav.h"
#include "render/RecordingSurface.h"

using namespace qvtest;

namespace {

std::string DogsAmongCats(int count) {
    std::string data = "<root>";
    for (int i = 1; i <= count; ++i) data += "<dog name=\"d" + std::to_string(i) + "\"/><cat/>";
    return data + "</root>";
}

class RepetitionRun : public ::testing::Test {
protected:
    SettingsGuard m_settings;
    ScratchDir m_dir;
};

TEST_F(RepetitionRun, RepetitionsOverManyPagesComeOnceAndInOrder) {
    constexpr int kDogs = 400;
    auto report =
        LoadReport(m_dir, SimpleTemplate("<Block name=\"dogs\" xml-element-name=\"dog\"/>", "max-pages=\"1000\""),
                   DogsAmongCats(kDogs));
    // 130 high and splittable: every seventh repetition breaks over a page.
    AddFixed(BlockNamed(*report, "dogs"), "item", 0, 1000, 130, true);
    Prepare(*report);

    std::vector<std::string> order;
    size_t split = 0;
    for (const Placed& placed : PlacedPieces(*report)) {
        if (!order.empty() && order.back() == placed.label)
            ++split;  // the rest of a repetition at the top of the next page
        else order.push_back(placed.label);
    }
    ASSERT_EQ(order.size(), size_t{kDogs});
    for (int i = 0; i < kDogs; ++i) EXPECT_EQ(order[i], "item:d" + std::to_string(i + 1));
    EXPECT_GT(split, 50u);
    EXPECT_GT(report->PageCount(), 55u);

    auto& dogs = dynamic_cast<CqvXmlBlock&>(BlockNamed(*report, "dogs"));
    EXPECT_EQ(dogs.Repetitions().size(), size_t{kDogs});
    EXPECT_TRUE(dogs.Repetitions().entries.empty());  // all of them in the run
    EXPECT_TRUE(dogs.HasStarted());
}

TEST_F(RepetitionRun, FinishedRepetitionsOfAnEarlierContextStayFinished) {
    auto report = LoadReport(m_dir, SimpleTemplate("<Block name=\"dogs\" xml-element-name=\"dog\"/>"),
                             "<root><a><dog name=\"a1\"/><dog name=\"a2\"/></a><b><dog name=\"b1\"/></b></root>");
    AddFixed(BlockNamed(*report, "dogs"), "item", 0, 1000, 10);
    Prepare(*report);
    auto& dogs = dynamic_cast<CqvXmlBlock&>(BlockNamed(*report, "dogs"));
    const QvDataElement root = report->DataDocument().RootElement();
    RecordingSurface surface;
    QvRect rect;
    dogs.Reset();

    const size_t before = report->CurrentPagePieceCount();
    EXPECT_EQ(dogs.Layout(surface, report->PrintInfo(), 100, qv::xml::FirstChildElement(root, "a"), rect, nullptr), 20);
    EXPECT_EQ(dogs.Layout(surface, report->PrintInfo(), 100, qv::xml::FirstChildElement(root, "b"), rect, nullptr), 10);
    EXPECT_EQ(dogs.Repetitions().size(), 3u);
    // Back in the first context, both of its repetitions are still done.
    EXPECT_EQ(dogs.Layout(surface, report->PrintInfo(), 100, qv::xml::FirstChildElement(root, "a"), rect, nullptr), 0);
    EXPECT_EQ(report->CurrentPagePieceCount(), before + 3);
    EXPECT_EQ(dogs.Repetitions().size(), 3u);
}

}  // namespace
