// When a surface may leave out a fill: only inside the last filled rectangle,
// in its colour, and away from every text box drawn into it since.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "render/CleanFill.h"

namespace {

using qv::render::CleanFill;
using qv::render::PaintBox;

constexpr QvColor kWhite = QvRgb(255, 255, 255);
constexpr QvColor kBlue = QvRgb(219, 230, 242);
constexpr PaintBox kCell{0, 0, 100, 40};

struct Step {
    enum class Kind { Fill, ClippedText, UnclippedText, Other } kind;
    PaintBox box;
};

struct Case {
    const char* name;
    std::vector<Step> drawn;
    PaintBox box;
    QvColor color;
    bool alreadyFilled;
};

TEST(CleanFillTest, LeavesOutOnlyARepeatOverUntouchedFill) {
    using K = Step::Kind;
    const std::vector<Case> cases = {
        {"nothing filled yet", {}, {10, 10, 20, 20}, kWhite, false},
        {"inside, same colour", {{K::Fill, kCell}}, {10, 10, 90, 30}, kWhite, true},
        {"the whole rectangle again", {{K::Fill, kCell}}, kCell, kWhite, true},
        {"another colour", {{K::Fill, kCell}}, {10, 10, 90, 30}, kBlue, false},
        {"reaching out of the rectangle", {{K::Fill, kCell}}, {10, 10, 101, 30}, kWhite, false},
        {"the latest fill counts", {{K::Fill, kCell}, {K::Fill, {0, 50, 100, 90}}}, {10, 10, 90, 30}, kWhite, false},
        {"beside clipped text", {{K::Fill, kCell}, {K::ClippedText, {0, 0, 40, 40}}}, {50, 10, 90, 30}, kWhite, true},
        {"touching clipped text",
         {{K::Fill, kCell}, {K::ClippedText, {0, 0, 40, 40}}},
         {40, 10, 90, 30},
         kWhite,
         false},
        {"over clipped text", {{K::Fill, kCell}, {K::ClippedText, {0, 0, 40, 40}}}, {10, 10, 30, 30}, kWhite, false},
        {"after unclipped text",
         {{K::Fill, kCell}, {K::UnclippedText, {0, 0, 40, 40}}},
         {50, 10, 90, 30},
         kWhite,
         false},
        {"after other drawing", {{K::Fill, kCell}, {K::Other, {}}}, {10, 10, 90, 30}, kWhite, false},
        {"text before any fill", {{K::ClippedText, {0, 0, 40, 40}}, {K::Fill, kCell}}, {10, 10, 30, 30}, kWhite, true},
    };
    for (const Case& c : cases) {
        CleanFill fill;
        for (const Step& step : c.drawn) {
            switch (step.kind) {
            case K::Fill: fill.Filled(step.box, kWhite); break;
            case K::ClippedText: fill.TextDrawn(step.box, true); break;
            case K::UnclippedText: fill.TextDrawn(step.box, false); break;
            case K::Other: fill.Forget(); break;
            }
        }
        EXPECT_EQ(fill.AlreadyFilled(c.box, c.color), c.alreadyFilled) << c.name;
    }
}

}  // namespace
