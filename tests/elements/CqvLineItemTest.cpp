#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elements/CqvLineItem.h"
#include "elements/CqvLinePiece.h"
#include "ItemTestSupport.h"

namespace {

using qvitems::ItemReport;
using qvitems::Template;

const CqvPagePiece* PieceOfKind(const CqvReport& report, std::string_view kind, size_t index = 0) {
    for (const auto& piece : report.PagePieces(0)) {
        if (piece->Kind() == kind && index-- == 0) return piece.get();
    }
    return nullptr;
}

TEST(CqvLineItem, TakesTwoUnitsInTheFlowWhateverItsHeight) {
    // 1 cm margins: the body's left edge is at 100. The line is 50 high and
    // has 5 units of space before it and the default 10 after.
    ItemReport report(
        Template("<Block><Line name=\"l\" height=\"5mm\" space-before=\"0.5mm\"/>"
                 "<Text>below</Text></Block>",
                 "margin-left=\"1cm\" margin-top=\"1cm\""));
    report.Prepare();
    const CqvPagePiece* line = PieceOfKind(report.Report(), "line");
    const CqvPagePiece* text = PieceOfKind(report.Report(), "text");
    ASSERT_NE(line, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(line->Outer(), (QvRect{100, -105, 600, -155}));
    EXPECT_EQ(text->Outer().top, -105 - 2 - 10);

    // Drawn along the top edge of its box.
    RecordingSurface surface;
    const_cast<CqvPagePiece*>(line)->Draw(surface);
    const auto moves = surface.CallsOf(RecordedCall::Kind::MoveTo);
    const auto lines = surface.CallsOf(RecordedCall::Kind::LineTo);
    ASSERT_EQ(moves.size(), 1u);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(std::make_pair(moves[0].x, moves[0].y), std::make_pair(100, -105));
    EXPECT_EQ(std::make_pair(lines[0].x, lines[0].y), std::make_pair(600, -105));
}

TEST(CqvLineItem, EndsAtTheBodysRightEdge) {
    ItemReport report(
        Template("<Block><Line left=\"150mm\" width=\"100mm\"/></Block>", "margin-left=\"1cm\" margin-right=\"1cm\""));
    report.Prepare();
    const CqvPagePiece* line = PieceOfKind(report.Report(), "line");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Outer().left, 100 + 1500);
    EXPECT_EQ(line->Outer().right, 2000);
    RecordingSurface surface;
    const_cast<CqvPagePiece*>(line)->Draw(surface);
    EXPECT_EQ(surface.CallsOf(RecordedCall::Kind::LineTo).at(0).x, 2000);
}

TEST(CqvLineItem, DrawsOnlyTheStrokeWithTheCurrentPen) {
    // Colours, background and borders of the style do not show on a line.
    ItemReport report(Template("<Block><Line color-text=\"#ff0000\" color-bg=\"#00ff00\" border=\"1\"/></Block>"));
    report.Prepare();
    RecordingSurface surface;
    report->PrintInfo().currentPage = 1;
    report->DrawPage(surface, report->PrintInfo());
    std::vector<RecordedCall::Kind> drawing;
    for (const RecordedCall& call : surface.Calls()) {
        if (call.kind != RecordedCall::Kind::SelectFont && call.kind != RecordedCall::Kind::SetTextColor &&
            call.kind != RecordedCall::Kind::SetBkColor)
            drawing.push_back(call.kind);
    }
    EXPECT_EQ(drawing, (std::vector<RecordedCall::Kind>{RecordedCall::Kind::MoveTo, RecordedCall::Kind::LineTo}));
}

}  // namespace
