#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elements/CqvRow.h"
#include "elements/CqvTable.h"
#include "ImageTestSupport.h"

namespace {

using namespace qvimages;
using Kind = RecordedCall::Kind;

// Tenths of a millimetre as a template length.
std::string Mm(int tenths) { return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10); }

// A picture stretched over a box: a cell or filler of an exact size.
std::string Box(int width, int height, const std::string& extra = "") {
    return "<Image stretch=\"1\" width=\"" + Mm(width) + "\" height=\"" + Mm(height) + "\" " + extra + ">" +
           ImageFile("square.png") + "</Image>";
}

std::string Text(int width, const std::string& text, const std::string& extra = "") {
    return "<Text width=\"" + Mm(width) + "\" " + extra + ">" + text + "</Text>";
}

std::vector<std::string> TextsOn(Report& report, size_t page) {
    std::vector<std::string> texts;
    for (const CqvTextPiece* piece : report.Texts(page)) texts.push_back(piece->Text());
    return texts;
}

const CqvTextPiece* TextPiece(Report& report, size_t page, const std::string& text) {
    for (const CqvTextPiece* piece : report.Texts(page)) {
        if (piece->Text().starts_with(text)) return piece;
    }
    return nullptr;
}

TEST(CqvTable, CellsLieSideBySideOneUnitApartAndTheLastRowGivesTheWidth) {
    Report report(Page("<Block><Table name=\"t\" left=\"10.0\"><Row>" + Text(300, "A") +
                       Text(500, "B", "left=\"90.0\"") + "</Row></Table></Block>"));
    report.Prepare();
    const auto* a = TextPiece(report, 1, "A");
    const auto* b = TextPiece(report, 1, "B");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Outer().left, 100);
    EXPECT_EQ(a->Outer().right, 400);
    EXPECT_EQ(b->Outer().left, 401);  // a cell's own left is replaced
    EXPECT_EQ(a->Outer().top, b->Outer().top);
    auto& table = dynamic_cast<CqvTable&>(*report->Blocks().At(0)->Children().At(0));
    EXPECT_EQ(table.Width(), 902);
    EXPECT_EQ(table.Children().At(0)->Width(), 902);
}

TEST(CqvTable, DrawsFourBordersAroundEveryCellUnlessABorderIsWritten) {
    struct Case {
        const char* attributes;
        size_t lines;  // per cell
    };
    const Case cases[] = {{"", 4}, {"border-left=\"1\"", 1}, {"border-top=\"0\"", 0}};
    for (const Case& c : cases) {
        Report report(Page(std::string("<Block><Table ") + c.attributes + "><Row>" + Text(300, "A") + Text(300, "B") +
                           "</Row></Table></Block>"));
        report.Prepare();
        const auto calls = report.Draw(1);
        EXPECT_EQ(CallsOf(calls, Kind::LineTo).size(), 2 * c.lines) << c.attributes;
        if (c.lines == 1) {
            // The left border stands one unit left of each cell.
            const auto moves = CallsOf(calls, Kind::MoveTo);
            ASSERT_EQ(moves.size(), 2u);
            EXPECT_EQ(moves[0].x, -1);
            EXPECT_EQ(moves[1].x, 300);
        }
    }
}

TEST(CqvTable, AnythingButRowsInATableIsIgnored) {
    Report report(Page("<Block><Table><Text>stray</Text><Row>" + Text(300, "cell") + "</Row><row>" +
                       Text(300, "lower") + "</row></Table></Block>"));
    report.Prepare();
    EXPECT_EQ(TextsOn(report, 1), (std::vector<std::string>{"cell "}));
}

TEST(CqvTable, HeaderRowsRepeatAtTheTopOfEveryPage) {
    // Rows 100 high on a body 2000 high: the header and 19 body rows a page.
    std::string rows = "<Row header=\"1\">" + Text(300, "Head") + Box(200, 100) + "</Row>";
    for (int i = 0; i < 40; ++i) rows += "<Row>" + Box(400, 100) + "</Row>";
    Report report(Page("<Block><Table>" + rows + "</Table></Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 3u);
    size_t bodyRows = 0;
    for (size_t page = 1; page <= 3; ++page) {
        const auto texts = report.Texts(page);
        ASSERT_EQ(texts.size(), 1u) << "page " << page;
        EXPECT_EQ(texts[0]->Text(), "Head ");
        EXPECT_EQ(texts[0]->Outer().top, 0) << "page " << page;
        for (const CqvImagePiece* image : report.Images(page)) {
            if (image->Outer().Width() == 400) {
                ++bodyRows;
                EXPECT_LE(image->Outer().top, -100) << "page " << page;  // below the header
            }
        }
    }
    EXPECT_EQ(bodyRows, 40u);
    // A row of which nothing fits at a page's bottom leaves no empty frame there.
    for (size_t page = 1; page <= 3; ++page) {
        for (const CqvImagePiece* image : report.Images(page)) EXPECT_GE(image->Outer().bottom, -2000);
    }
}

TEST(CqvTable, AHeaderRowMovesToTheNextPageWithItsFirstBodyRow) {
    // 100 are left below the filler: the header takes 80, and not one line of
    // the body row's text fits in the 20 below it.
    Report report(Page("<Block>" + Box(100, 1900) + "<Table><Row header=\"1\">" + Text(300, "Head") + Box(200, 80) +
                       "</Row><Row>" + Text(400, "body") + "</Row></Table></Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 2u);
    EXPECT_TRUE(report.Texts(1).empty());
    EXPECT_EQ(TextsOn(report, 2), (std::vector<std::string>{"Head ", "body "}));
    EXPECT_EQ(report.Texts(2)[0]->Outer().top, 0);
    EXPECT_EQ(report.Texts(2)[1]->Outer().top, -80);
}

TEST(CqvRow, NowrapMovesARowThatFitsOnAPageWholeAndSplitsOneThatDoesNot) {
    const std::string body250 = "page-width=\"100mm\" page-height=\"250mm\"";
    // 600 high, starting 200 above the body's bottom: 2500 / 200 >= 1.35. The
    // picture sits in a block inside the cell, whose piece reaches the page
    // before the row decides; it moves with the row all the same.
    Report moves(Page("<Block>" + Box(100, 2300) + "<Table><Row nowrap=\"1\"><Block width=\"40.0\">" + Box(400, 600) +
                          "</Block>" + Text(300, "beside") + "</Row></Table></Block>",
                      "<PageHeader height=\"0\"/>", body250));
    moves.Prepare();
    ASSERT_EQ(moves->PageCount(), 2u);
    EXPECT_EQ(moves.Images(1).size(), 1u);  // the filler alone
    EXPECT_TRUE(moves.Texts(1).empty());
    const auto second = moves.Images(2);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0]->Content(), (QvRect{0, 0, 400, -600}));
    EXPECT_EQ(TextsOn(moves, 2), (std::vector<std::string>{"beside "}));

    // 3000 high at the top of the body: the part placed (2500) gives 1.0.
    Report splits(Page("<Block><Table><Row nowrap=\"1\"><Block width=\"40.0\">" + Box(400, 1500) + Box(400, 1500) +
                           "</Block></Row></Table></Block>",
                       "<PageHeader height=\"0\"/>", body250));
    splits.Prepare();
    ASSERT_EQ(splits->PageCount(), 2u);
    const auto first = splits.Images(1);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1]->Content().Height(), 1000);
    ASSERT_EQ(splits.Images(2).size(), 1u);
    EXPECT_EQ(splits.Images(2)[0]->Content().Height(), 500);
}

TEST(CqvRow, AFinishedCellOfASplitRowShowsItsFrameOnTheNextPage) {
    // The picture cell needs 800 with 300 left; the text cell is done on the first page.
    Report report(Page("<Block>" + Box(100, 1700) + "<Table><Row>" + Text(300, "short") +
                       "<Image width=\"40.0\" height=\"80.0\">" + ImageFile("tall_1to2.png") +
                       "</Image></Row></Table></Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 2u);
    const auto* before = TextPiece(report, 1, "short");
    ASSERT_TRUE(before);
    EXPECT_FALSE(before->FrameOnly());
    EXPECT_EQ(before->Outer(), (QvRect{0, -1700, 300, -2000}));  // as high as the row

    const auto texts = report.Texts(2);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0]->FrameOnly());
    EXPECT_EQ(texts[0]->Outer(), (QvRect{0, 0, 300, -500}));
    const auto calls = report.Draw(2);
    for (const auto& call : CallsOf(calls, Kind::TextOut)) EXPECT_EQ(call.utf8.find("short"), std::string::npos);
    // The empty frame keeps its four borders, beside the picture's four.
    EXPECT_EQ(CallsOf(calls, Kind::LineTo).size(), 8u);
}

TEST(CqvRow, CellsOfARowAreAsHighAsItsTallestCell) {
    Report report(
        Page("<Block><Table><Row>" + Text(300, "a") + Box(200, 300) + Text(300, "c") + "</Row></Table></Block>"));
    report.Prepare();
    for (const CqvTextPiece* text : report.Texts(1)) EXPECT_EQ(text->Outer().bottom, -300) << text->Text();

    // Repeated rows: each repetition by its own tallest cell.
    Report bound(Page("<Block><Table><Row xml-element-name=\"dog\"><Text width=\"30.0\" xml-element-name=\"@name\"/>"
                      "<Image stretch=\"1\" width=\"20.0\" height=\"15.0\" xml-element-name=\"@pic\">" +
                      ImagesFolder() + "</Image></Row></Table></Block>"),
                 "<root><dog name=\"one\" pic=\"square.png\"/><dog name=\"two\"/><dog name=\"three\"/></root>");
    bound.Prepare();
    const auto texts = bound.Texts(1);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0]->Outer().bottom, -150);
    const auto images = bound.Images(1);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0]->Outer().bottom, -150);
    // The second dog has no picture: its row is as high as its text, and so
    // is the empty frame of the picture cell, which the next row starts below.
    EXPECT_EQ(texts[1]->Outer().top, -150);
    EXPECT_GT(texts[1]->Outer().bottom, -300);
    EXPECT_TRUE(images[1]->FrameOnly());
    EXPECT_EQ(images[1]->Outer().bottom, texts[1]->Outer().bottom);
    EXPECT_EQ(texts[2]->Outer().top, texts[1]->Outer().bottom);
}

TEST(CqvRow, ACellsSpaceBeforeDoesNotStretchItsFrameBelowTheRow) {
    // The row is 300 high (the picture); the text starts 30 lower but its frame
    // ends with the row, not 30 below it over the next row.
    Report report(Page("<Block><Table><Row>" + Text(300, "a", "space-before=\"3.0\"") + Box(200, 300) + "</Row><Row>" +
                       Text(300, "next") + "</Row></Table></Block>"));
    report.Prepare();
    const auto* a = TextPiece(report, 1, "a");
    const auto* next = TextPiece(report, 1, "next");
    ASSERT_TRUE(a && next);
    EXPECT_EQ(a->Outer().top, -30);
    EXPECT_EQ(a->Outer().bottom, -300);
    EXPECT_EQ(report.Images(1)[0]->Outer().bottom, -300);
    EXPECT_GE(a->Outer().bottom, next->Outer().top);
}

TEST(CqvRow, ARowWhoseCellsPlaceNothingLeavesNoFramesAndMovesToTheNextPage) {
    // 10 left below the filler: no line of either cell fits, the first one
    // being 30 lower still by its space-before.
    Report report(Page("<Block>" + Box(100, 1990) + "<Table><Row>" + Text(300, "a", "space-before=\"3.0\"") +
                       Text(300, "b") + "</Row></Table></Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 2u);
    EXPECT_TRUE(report.Texts(1).empty());
    EXPECT_EQ(TextsOn(report, 2), (std::vector<std::string>{"a ", "b "}));
    for (const CqvTextPiece* text : report.Texts(2)) EXPECT_FALSE(text->FrameOnly());
}

TEST(CqvRow, ACellPushedBelowTheBodyByItsSpaceBeforeLeavesNoFrameThere) {
    // 60 left below the filler: "a" starts and continues, "b" would start 65
    // lower, below the body.
    std::string words;
    for (int i = 0; i < 60; ++i) words += "word ";
    Report report(Page("<Block>" + Box(100, 1940) + "<Table><Row>" + Text(300, words) +
                       Text(300, "b", "space-before=\"6.5\"") + "</Row></Table></Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 2u);
    for (const CqvTextPiece* text : report.Texts(1)) {
        EXPECT_GE(text->Outer().Height(), 0) << text->Text();
        EXPECT_GE(text->Outer().bottom, -2000) << text->Text();
        EXPECT_NE(text->Text(), "b ");
    }
    const auto* b = TextPiece(report, 2, "b");
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->FrameOnly());
}

TEST(CqvRow, ATableThatMustStayWithWhatFollowsLeavesItsLastRowForTheNextPage) {
    Report report(Page("<Block>" + Box(100, 1700) + "<Table not-last-item=\"1\"><Row>" + Box(400, 100) + "</Row><Row>" +
                       Box(400, 100) + "</Row><Row>" + Box(400, 100) + "</Row></Table>" + Text(300, "after") +
                       "</Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 2u);
    EXPECT_EQ(report.Images(1).size(), 3u);  // the filler and two rows
    EXPECT_EQ(report.Images(2).size(), 1u);
    EXPECT_EQ(report.Images(2)[0]->Outer().top, 0);
    EXPECT_EQ(TextsOn(report, 2), (std::vector<std::string>{"after "}));
}

TEST(CqvTable, ANestedTableLiesInItsCellsColumn) {
    Report report(Page("<Block><Table name=\"outer\"><Row>" + Text(300, "A") + "<Table><Row>" + Text(100, "n1") +
                       Text(150, "n2") + "</Row><Row>" + Text(100, "n3") + Text(150, "n4") + "</Row></Table>" +
                       Text(200, "C") + "</Row></Table></Block>"));
    report.Prepare();
    const auto* a = TextPiece(report, 1, "A");
    const auto* n1 = TextPiece(report, 1, "n1");
    const auto* n2 = TextPiece(report, 1, "n2");
    const auto* n3 = TextPiece(report, 1, "n3");
    const auto* c = TextPiece(report, 1, "C");
    ASSERT_TRUE(a && n1 && n2 && n3 && c);
    EXPECT_EQ(n1->Outer().left, 301);
    EXPECT_EQ(n2->Outer().left, 402);
    EXPECT_EQ(n3->Outer().left, 301);
    EXPECT_EQ(c->Outer().left, 553);  // one unit after the nested table's cells
    EXPECT_EQ(n1->Outer().top, a->Outer().top);
    EXPECT_EQ(n3->Outer().top, n1->Outer().bottom);
    // The outer row is as high as the nested table.
    EXPECT_EQ(a->Outer().bottom, n3->Outer().bottom);
    EXPECT_EQ(c->Outer().bottom, n3->Outer().bottom);
    EXPECT_EQ(c->Outer().top, a->Outer().top);
}

}  // namespace
