// Page boundaries: nothing lost, nothing overlapping, nothing below the body.
// Each case is a small template at a page boundary, checked for the texts each
// page shows and for where its pieces lie; every case also has to keep every
// piece on the paper and every body piece inside the body.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "common/CqvEx.h"
#include "elements/CqvTextPiece.h"

using namespace qvtest;

namespace {

struct Piece {
    std::string kind;
    std::string text;  // trimmed; empty for pictures and lines
    QvRect outer;
    bool frameOnly;
};
using Pages = std::vector<std::vector<Piece>>;

struct BoundaryCase {
    const char* name;
    std::string rootAttributes;
    std::string body;  // PageHeader, PageFooter and the top-level blocks
    std::string data;
    // The texts of each page, "|" between pieces (frames left out).
    std::vector<std::string> pageTexts;
    // Further checks on the pieces; may be empty.
    std::function<void(const Pages&)> check;
};

std::ostream& operator<<(std::ostream& out, const BoundaryCase& c) { return out << c.name; }

const std::string kEmptyHeaderAndFooter = "<PageHeader/><PageFooter/>";

std::string Trim(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

Pages Collect(const CqvReport& report) {
    Pages pages;
    for (size_t page = 0; page < report.PageCount(); ++page) {
        std::vector<Piece>& list = pages.emplace_back();
        for (const auto& piece : report.PagePieces(page)) {
            Piece p{std::string(piece->Kind()), "", piece->Outer(), piece->FrameOnly()};
            if (const auto* text = dynamic_cast<const CqvTextPiece*>(piece.get())) p.text = Trim(text->Text());
            list.push_back(std::move(p));
        }
    }
    return pages;
}

std::string PageText(const std::vector<Piece>& page) {
    std::string joined;
    for (const Piece& p : page) {
        if (p.kind != "text" || p.frameOnly) continue;
        if (!joined.empty()) joined += '|';
        joined += p.text;
    }
    return joined;
}

// The first text piece whose text is `text`, with its page (from 1).
std::pair<size_t, Piece> FindText(const Pages& pages, const std::string& text) {
    for (size_t page = 0; page < pages.size(); ++page) {
        for (const Piece& p : pages[page])
            if (p.kind == "text" && !p.frameOnly && p.text == text) return {page + 1, p};
    }
    ADD_FAILURE() << "no piece shows '" << text << "'";
    return {0, Piece{}};
}

// Rectangles of pieces have y downward as negative numbers: top > bottom.
bool Inside(const QvRect& piece, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return piece.left >= left && piece.right <= right && -piece.top >= top && -piece.bottom <= bottom &&
           piece.top >= piece.bottom;
}

class PageBoundary : public ::testing::TestWithParam<BoundaryCase> {
protected:
    SettingsGuard m_settings;
    ScratchDir m_dir;
};

TEST_P(PageBoundary, EveryPageShowsWhatItShould) {
    const BoundaryCase& c = GetParam();
    const std::string templ = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport " + c.rootAttributes +
                              "><Styles><Style name=\"s\"/></Styles>" + c.body + "</XmlTemplateReport>\n";
    auto report = LoadReport(m_dir, templ, c.data);
    Prepare(*report);
    const Pages pages = Collect(*report);

    std::vector<std::string> texts;
    for (const auto& page : pages) texts.push_back(PageText(page));
    EXPECT_EQ(texts, c.pageTexts);

    // On the paper, and the body's pieces inside the body (these templates
    // put nothing in the header or footer).
    const QvRect& paper = report->PageRect();
    const QvRect& body = report->BodyArea();
    for (size_t page = 0; page < pages.size(); ++page) {
        for (const Piece& p : pages[page]) {
            SCOPED_TRACE("page " + std::to_string(page + 1) + " " + p.kind + " '" + p.text + "'");
            EXPECT_TRUE(Inside(p.outer, paper.left, paper.top, paper.right, paper.bottom));
            EXPECT_TRUE(Inside(p.outer, body.left, body.top, body.right, body.bottom));
        }
    }
    if (c.check) c.check(pages);
}

// Pieces of one page, in a column, that must not overlap.
void ExpectStacked(const Pages& pages, const std::vector<std::string>& texts) {
    std::vector<std::pair<size_t, Piece>> found;
    for (const std::string& text : texts) found.push_back(FindText(pages, text));
    for (size_t i = 1; i < found.size(); ++i) {
        if (found[i].first != found[i - 1].first) continue;
        EXPECT_LE(found[i].second.outer.top, found[i - 1].second.outer.bottom)
            << "'" << texts[i] << "' starts inside '" << texts[i - 1] << "'";
    }
}

std::string Dogs(int count) {
    static const char* names[] = {"one", "two", "three", "four", "five", "six"};
    std::string data = "<root>";
    for (int i = 0; i < count; ++i) data += std::string("<dog name=\"") + names[i] + "\"/>";
    return data + "</root>";
}

// The built-in style: a line of text is 7 mm high with 1 mm space after it;
// header and footer take 1 mm, so the body of a page H mm high runs from 1 mm
// to H - 1 mm.
const std::string kPicture = std::string(QV_TEST_DATA) + "/images/square.png";

const BoundaryCase kCases[] = {
    {"NarrowColumnWordWaitsForTheNextPage",
     "page-height=\"30mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Text>filler one</Text><Text>filler two</Text>"
         "<Text width=\"20mm\">aaaa-bbbb-cccc-dddd-eeee then seven more words that are lost here</Text>"
         "<Text>after</Text></Block>",
     "<root/>",
     // The first word wraps to four lines: only an empty page holds it.
     {"filler one|filler two", "aaaa-bbbb-cccc-dddd-eeee", "then seven more words that are", "lost here|after"},
     nullptr},
    {"WordTallerThanAnyPageIsCutBetweenItsLines",
     "page-height=\"30mm\"",
     kEmptyHeaderAndFooter + "<Block><Text>filler</Text>"
                             "<Text width=\"20mm\">aaaa-bbbb-cccc-dddd-eeee-ffff-gggg-hhhh-iiii end</Text></Block>",
     "<root/>",
     // Two parts a line, the word wraps to five lines and four fill a page, so
     // it can never stand whole: the first page takes the two lines that fit
     // below the filler, the next one the rest and the last word.
     {"filler|aaaa-bbbb-cccc-", "dddd-eeee-ffff-gggg-hhhh-iiii end"},
     nullptr},
    {"WordWaitsOnceThenIsCutBelowARepeatedTableHeader",
     "page-height=\"30mm\" max-pages=\"6\"",
     kEmptyHeaderAndFooter + "<Block><Table><Row header=\"1\"><Text width=\"30mm\">Head</Text></Row>"
                             "<Row><Text width=\"20mm\">aaaa-bbbb-cccc-dddd-eeee end</Text></Row></Table></Block>",
     "<root/>",
     // An empty page would hold the word, but the header row takes a line of
     // every page: after one wait the word is cut rather than waiting forever.
     {"Head", "Head|aaaa-bbbb-cccc-dddd-", "Head|eeee end"},
     nullptr},
    {"HeadingOpeningATopLevelBlockMovesWithWhatFollows",
     "page-height=\"30mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Text>Filler one</Text><Text>Filler two</Text></Block>"
         "<Block><Text not-last-item=\"1\">Heading</Text>"
         "<Text>Paragraph after heading one two three four five six seven eight nine ten eleven twelve</Text>"
         "</Block>",
     "<root/>",
     {"Filler one|Filler two", "Heading|Paragraph after heading one two three four five six seven eight nine ten",
      "eleven twelve"},
     nullptr},
    {"StartPageOfATopLevelBlockBelowAnotherBreaks",
     "page-height=\"30mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Text>Filler one</Text></Block><Block><Text start-page=\"1\">New page</Text></Block>",
     "<root/>",
     {"Filler one", "New page"},
     nullptr},
    {"StartPageOnATopLevelBlockItselfBreaksBelowAnother",
     "page-height=\"60mm\"",
     kEmptyHeaderAndFooter + "<Block start-page=\"1\"><Text>First</Text></Block>"
                             "<Block start-page=\"1\"><Text>New page</Text><Text>Same page</Text></Block>",
     "<root/>",
     {"First", "New page|Same page"},
     nullptr},
    {"KeepWithNextCountsSpaceBeforeOnceAndMovesTheHeading",
     "page-height=\"25mm\"",
     kEmptyHeaderAndFooter + "<Block><Text>Filler</Text><Text space-before=\"5\" not-last-item=\"1\">Heading</Text>"
                             "<Text>Paragraph after heading</Text></Block>",
     "<root/>",
     {"Filler", "Heading|Paragraph after heading"},
     nullptr},
    {"KeepWithNextCountsSpaceBeforeOnceAndKeepsWhatFits",
     "page-height=\"30mm\"",
     kEmptyHeaderAndFooter + "<Block><Text>Filler</Text><Text space-before=\"5\" not-last-item=\"1\">Heading</Text>"
                             "<Text>Paragraph after heading</Text></Block>",
     "<root/>",
     {"Filler|Heading|Paragraph after heading"},
     nullptr},
    {"BoundBlockLeavesItsLastRepetitionWithWhatFollows",
     "page-height=\"41mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Block xml-element-name=\"dog\" not-last-item=\"1\"><Text xml-element-name=\"@name\"/></Block>"
         "<Text>Total after dogs</Text></Block>",
     Dogs(4),
     {"one|two|three", "four|Total after dogs"},
     nullptr},
    // The bound block's text inherits its 5 mm space-before, so no repetition
    // can start below the heading: the heading goes with the dogs.
    {"HeadingBeforeABoundBlockThatCannotStartMovesWithIt",
     "page-height=\"40mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Text>Filler one</Text><Text>Filler two</Text><Text>Filler three</Text>"
         "<Text not-last-item=\"1\">Heading</Text><Block><Block xml-element-name=\"dog\" space-before=\"5mm\">"
         "<Text xml-element-name=\"@name\"/></Block></Block></Block>",
     Dogs(2),
     {"Filler one|Filler two|Filler three", "one|two|Heading"},
     [](const Pages& pages) {
         ExpectStacked(pages, {"Heading", "one", "two"});
     }},
    // Only its space-before keeps the text off a page that holds nothing yet,
    // and so off every next page: it rises just enough for its line.
    {"TextPushedOffAnEmptyPageBySpaceBeforeRisesRatherThanMovingForever",
     "page-height=\"20mm\" max-pages=\"5\"",
     kEmptyHeaderAndFooter + "<Block><Text space-before=\"15mm\">Pushed</Text><Text>After</Text></Block>",
     "<root/>",
     {"Pushed", "After"},
     nullptr},
    // The first group holds no dog, so its repetition finishes having placed
    // nothing: the groups have not begun below the heading, and the heading
    // goes with the dog that cannot start there.
    {"HeadingBeforeBoundGroupsWhoseFirstShowsNothingMovesWithThem",
     "page-height=\"40mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Text>Filler one</Text><Text>Filler two</Text><Text>Filler three</Text>"
         "<Text not-last-item=\"1\">Heading</Text><Block xml-element-name=\"g\"><Block xml-element-name=\"dog\" "
         "space-before=\"5mm\"><Text xml-element-name=\"@name\"/></Block></Block></Block>",
     "<root><g/><g><dog name=\"one\"/></g></root>",
     {"Filler one|Filler two|Filler three", "one|Heading"},
     [](const Pages& pages) {
         ExpectStacked(pages, {"Heading", "one"});
     }},
    // "After both" starts below the longer left column, not below the side
    // heading: there it has no room, so the heading goes with it.
    {"KeepWithNextTriesTheNextItemBelowItsLowestNeighbour",
     "page-height=\"40mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Block left=\"0\" width=\"40mm\"><Text width=\"40mm\">left one</Text><Text width=\"40mm\">left two</Text>"
         "<Text width=\"40mm\">left three</Text><Text width=\"40mm\">left four</Text></Block>"
         "<Text left=\"50mm\" width=\"40mm\" not-last-item=\"1\">Side heading</Text><Text>After both</Text></Block>",
     "<root/>",
     {"left one|left two|left three|left four", "Side heading|After both"},
     nullptr},
    // A bound block without data places nothing: within the block after the
    // heading it does not count as begun, and right after the heading what
    // follows it decides.
    {"HeadingBeforeABlockOpeningWithAnEmptyBoundBlockMovesWithIt",
     "page-height=\"40mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Text>Filler one</Text><Text>Filler two</Text><Text>Filler three</Text>"
         "<Text not-last-item=\"1\">Heading</Text><Block><Block xml-element-name=\"cat\"><Text>never</Text></Block>"
         "<Text>Paragraph</Text></Block></Block>",
     "<root/>",
     {"Filler one|Filler two|Filler three", "Paragraph|Heading"},
     [](const Pages& pages) {
         ExpectStacked(pages, {"Heading", "Paragraph"});
     }},
    {"HeadingBeforeAnEmptyBoundBlockStaysWithWhatFits",
     "page-height=\"50mm\"",
     kEmptyHeaderAndFooter + "<Block><Text>Filler one</Text><Text not-last-item=\"1\">Heading</Text>"
                             "<Block xml-element-name=\"cat\"><Text>never</Text></Block><Text>Paragraph</Text></Block>",
     "<root/>",
     {"Filler one|Heading|Paragraph"},
     nullptr},
    {"FramedFieldOfAFormIsNotDrawnOver",
     "page-height=\"100mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Block asblank=\"1\"><Text top=\"0\" left=\"0\" height=\"50mm\" border=\"1\">Framed</Text>"
         "</Block><Text>Next text</Text></Block>",
     "<root/>",
     {"Framed|Next text"},
     [](const Pages& pages) {
         ExpectStacked(pages, {"Framed", "Next text"});
         EXPECT_EQ(FindText(pages, "Framed").second.outer.bottom, -510);  // its declared 50 mm
     }},
    {"LabelsOfABoundFormDoNotOverlap",
     "page-height=\"100mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Block asblank=\"1\" xml-element-name=\"dog\">"
         "<Text top=\"0\" left=\"0\" height=\"30mm\" border=\"1\" xml-element-name=\"@name\"/></Block></Block>",
     Dogs(4),
     {"one|two|three", "four"},
     [](const Pages& pages) {
         ExpectStacked(pages, {"one", "two", "three"});
     }},
    {"NestedBlockOfAFormStartsAtItsOwnTop",
     "page-height=\"100mm\"",
     kEmptyHeaderAndFooter +
         "<Block><Block asblank=\"1\"><Block top=\"20mm\"><Text top=\"5mm\">Inner</Text></Block></Block>"
         "<Text>Next text</Text></Block>",
     "<root/>",
     {"Inner|Next text"},
     [](const Pages& pages) {
         EXPECT_EQ(FindText(pages, "Inner").second.outer.top, -(10 + 200 + 50));
         ExpectStacked(pages, {"Inner", "Next text"});
     }},
    {"FormThatDoesNotFitBelowItsPositionMovesWhole",
     "page-height=\"100mm\"",
     kEmptyHeaderAndFooter + "<Block><Text>Filler</Text><Block asblank=\"1\"><Text top=\"0\">Form top</Text>"
                             "<Text top=\"85mm\">Form low</Text></Block><Text>After form</Text></Block>",
     "<root/>",
     {"Filler", "Form top|Form low", "After form"},
     [](const Pages& pages) {
         EXPECT_EQ(FindText(pages, "Form top").second.outer.top, -10);
         EXPECT_EQ(FindText(pages, "Form low").second.outer.top, -(10 + 850));
     }},
    {"FormTallerThanThePageIsCutAtTheBody",
     "page-height=\"100mm\"",
     kEmptyHeaderAndFooter +
         "<Block asblank=\"1\"><Text top=\"0\">Form top</Text><Text top=\"120mm\">Below the paper</Text>"
         "</Block>",
     "<root/>",
     {"Form top"},
     nullptr},
    {"StartPageInThePageHeaderIsIgnored",
     "page-height=\"30mm\"",
     "<PageHeader height=\"8mm\"><Text start-page=\"1\">Head</Text></PageHeader><PageFooter/>"
     "<Block><Text>one</Text><Text>two</Text><Text>three</Text><Text>four</Text></Block>",
     "<root/>",
     {"Head|one|two", "Head|three|four"},
     nullptr},
    {"LinesBelowTheBodyGoToTheNextPage",
     "page-height=\"17.5mm\"",
     kEmptyHeaderAndFooter + "<Block><Text>one</Text><Text>two</Text><Line/><Line/><Line/></Block>",
     "<root/>",
     {"one|two", ""},
     [](const Pages& pages) {
         ASSERT_EQ(pages.size(), 2u);
         EXPECT_EQ(std::count_if(pages[1].begin(), pages[1].end(), [](const Piece& p) { return p.kind == "line"; }), 3);
     }},
    {"CellAfterANestedTableStartsAfterItsWidestRow",
     "page-height=\"100mm\"",
     kEmptyHeaderAndFooter + "<Block><Table><Row><Table>"
                             "<Row><Text width=\"40mm\">wide a</Text><Text width=\"40mm\">wide b</Text></Row>"
                             "<Row><Text width=\"30mm\">narrow</Text></Row></Table>"
                             "<Text width=\"30mm\">next cell</Text></Row></Table></Block>",
     "<root/>",
     {"wide a|wide b|narrow|next cell"},
     [](const Pages& pages) {
         // One unit between cells, as between any two cells of a row.
         EXPECT_EQ(FindText(pages, "next cell").second.outer.left, FindText(pages, "wide b").second.outer.right + 1);
     }},
    {"NowrapPictureTallerThanTheRoomOfAnyPageIsSplit",
     "page-height=\"100mm\"",
     kEmptyHeaderAndFooter + "<Block><Image stretch=\"1\" nowrap=\"1\" width=\"50mm\" height=\"98.5mm\">" + kPicture +
         "</Image><Text>after</Text></Block>",
     "<root/>",
     {"", "after"},
     [](const Pages& pages) {
         ASSERT_EQ(pages.size(), 2u);
         ASSERT_EQ(pages[0].size(), 1u);
         ASSERT_EQ(pages[0][0].kind, "image");
         // 980 of its 985 on the first page, below the 1 mm header, the rest next.
         EXPECT_EQ(pages[0][0].outer.top - pages[0][0].outer.bottom, 980);
         ASSERT_EQ(pages[1][0].kind, "image");
         EXPECT_EQ(pages[1][0].outer.top - pages[1][0].outer.bottom, 5);
     }},
    {"HeaderRowThatDoesNotFitWholeMovesWithItsTable",
     "page-height=\"30mm\"",
     kEmptyHeaderAndFooter + "<Block><Text>filler one</Text><Text>filler two</Text><Table>"
                             "<Row header=\"1\"><Text width=\"20mm\">Heading of the table</Text></Row>"
                             "<Row><Text width=\"30mm\">body</Text></Row></Table></Block>",
     "<root/>",
     // Cut at the foot, the first page showed a part of the heading alone,
     // the rest of its words on no page.
     {"filler one|filler two", "Heading of the table|body"},
     nullptr},
};

INSTANTIATE_TEST_SUITE_P(Faults, PageBoundary, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Each not-last-item heading of a run keeps itself with the rest of the run
// when its turn comes, so the first one's trial must judge the whole run: one
// that stopped after two more headings kept the first on a page the second
// then left. A run longer than a page cannot move whole: it fills its pages
// (it left one or two headings a page).
TEST(PageBoundaryKeepRun, AWholeRunOfKeptHeadingsMovesWithWhatFollows) {
    struct Case {
        int headings;
        std::vector<std::string> pages;
    };
    const std::vector<Case> cases = {
        // "k4" still fits below "f" on the first page, "after" does not, and
        // all five fit on the next one.
        {4, {"f", "k1|k2|k3|k4|after"}},
        // Every page the run cannot leave is filled: "k9" stays below "k5"
        // to "k8" rather than leaving its room empty.
        {12, {"f|k1|k2|k3|k4", "k5|k6|k7|k8|k9", "k10|k11|k12|after"}},
    };
    for (const Case& c : cases) {
        SettingsGuard settings;
        ScratchDir dir;
        std::string run;
        for (int i = 1; i <= c.headings; ++i) run += "<Text not-last-item=\"1\">k" + std::to_string(i) + "</Text>";
        const std::string templ =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"45mm\">"
            "<Styles><Style name=\"s\"/></Styles>" +
            kEmptyHeaderAndFooter + "<Block><Text>f</Text>" + run + "<Text>after</Text></Block></XmlTemplateReport>\n";
        auto report = LoadReport(dir, templ, "<root/>");
        Prepare(*report);
        std::vector<std::string> texts;
        for (const auto& page : Collect(*report)) texts.push_back(PageText(page));
        EXPECT_EQ(texts, c.pages) << c.headings << " headings";
    }
}

// A keep-with-next trial must see what follows as the layout will place it.
// Its rows make no pieces, so a bound row cut at the foot looked as if it had
// placed nothing: the header row, kept with it, took its table to the next
// page, and left the page before it all but empty.
TEST(PageBoundaryKeepT, TheTrialOfAKeepSeesWhatFollowsAsTheLayoutPlacesIt) {
    struct Case {
        const char* name;
        std::string block;
        std::vector<std::string> pages;
    };
    const std::vector<Case> cases = {
        {"BoundRowCutBelowTheHeaderRow",
         "<Text>filler</Text><Table><Row header=\"1\"><Text width=\"40mm\">Head</Text></Row>"
         "<Row xml-element-name=\"r\"><Text width=\"20mm\">one two three four five six seven eight nine ten "
         "eleven twelve</Text></Row></Table>",
         {"Head|one two three four five six seven|filler", "Head|eight nine ten eleven twelve"}},
        // The table breaks the page for its start-page cell before placing
        // anything only because the cell before it has no room here: on the
        // next page that cell goes first, so the kept text goes with it. The
        // trial passed over the start-page and placed the cell after it.
        {"StartPageCellAfterOneWithoutRoom",
         "<Text>filler</Text><Text>filler</Text><Text not-last-item=\"1\">Kept</Text><Table><Row>"
         "<Text width=\"40mm\" font-size=\"36\">Big</Text><Table start-page=\"1\"><Row>"
         "<Text width=\"30mm\">nested</Text></Row></Table></Row></Table>",
         {"filler|filler", "Big|Kept", "nested"}},
        // Where the start-page cell comes first, the table breaks the page on
        // every page it meets below the kept text: the text stays.
        {"StartPageCellFirst",
         "<Text>filler</Text><Text>filler</Text><Text not-last-item=\"1\">Kept</Text><Table><Row>"
         "<Table start-page=\"1\"><Row><Text width=\"30mm\">nested</Text></Row></Table>"
         "<Text width=\"40mm\" font-size=\"36\">Big</Text></Row></Table>",
         {"filler|filler|Kept", "nested|Big"}},
    };
    for (const Case& c : cases) {
        SettingsGuard settings;
        ScratchDir dir;
        const std::string templ =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"40mm\">"
            "<Styles><Style name=\"s\"/></Styles>" +
            kEmptyHeaderAndFooter + "<Block>" + c.block + "</Block></XmlTemplateReport>\n";
        auto report = LoadReport(dir, templ, "<root><r/></root>");
        Prepare(*report);
        std::vector<std::string> texts;
        for (const auto& page : Collect(*report)) texts.push_back(PageText(page));
        EXPECT_EQ(texts, c.pages) << c.name;
    }
}

}  // namespace

namespace {

// An item that only the spaces above it keep off a page that holds nothing
// yet met the same spaces on every next page, until max-pages: a text inside
// a form (an `asblank` block), which moves whole to such a page, and a rule or
// a picture in the flow. It rises on that page as a text in the flow does, and
// what follows goes to the next page.
bool HasPiece(const std::vector<Piece>& page, const std::string& kind) {
    return std::any_of(page.begin(), page.end(), [&](const Piece& p) { return p.kind == kind; });
}

const BoundaryCase kPushedOffAnEmptyPageBySpaces[] = {
    {"OwnSpaceBefore",
     "page-height=\"20mm\" max-pages=\"5\"",
     kEmptyHeaderAndFooter +
         "<Block asblank=\"1\"><Text space-before=\"15mm\">Pushed</Text></Block><Block><Text>After</Text></Block>",
     "<root/>",
     {"Pushed", "After"},
     nullptr},
    // The space-before of the block around the form is inherited at every
    // level below it: four levels down, the text starts below the body.
    {"SpacesInheritedByNestedBlocks",
     "page-height=\"20mm\" max-pages=\"5\"",
     kEmptyHeaderAndFooter +
         "<Block space-before=\"5mm\"><Block><Block asblank=\"1\"><Block><Block><Text>Nested</Text></Block></Block>"
         "</Block></Block></Block>",
     "<root/>",
     {"Nested"},
     nullptr},
    {"LineBelowInheritedSpaces",
     "page-height=\"20mm\" max-pages=\"5\"",
     kEmptyHeaderAndFooter +
         "<Block space-before=\"5mm\"><Block><Block><Block><Line width=\"50mm\"/></Block></Block></Block></Block>"
         "<Block><Text>After</Text></Block>",
     "<root/>",
     {"", "After"},
     [](const Pages& pages) { EXPECT_TRUE(HasPiece(pages.at(0), "line")); }},
    {"PictureBelowInheritedSpaces",
     "page-height=\"20mm\" max-pages=\"5\"",
     kEmptyHeaderAndFooter + "<Block space-before=\"5mm\"><Block><Block><Block><Image width=\"10mm\" height=\"10mm\">" +
         kPicture + "</Image></Block></Block></Block></Block><Block><Text>After</Text></Block>",
     "<root/>",
     {"", "After"},
     [](const Pages& pages) { EXPECT_TRUE(HasPiece(pages.at(0), "image")); }},
};

INSTANTIATE_TEST_SUITE_P(PushedOffAnEmptyPageBySpacesRises, PageBoundary,
                         ::testing::ValuesIn(kPushedOffAnEmptyPageBySpaces),
                         [](const auto& info) { return std::string(info.param.name); });

// Of a run that fits on no page, the first heading stays at the foot and
// fills the page; the second, judged by the shorter rest of the run that
// would fit on an empty page, moved on and left the first alone there. It is
// judged from the run's first heading on the page, and stays too.
TEST(PageBoundaryKeepX, TheSecondHeadingOfARunThatFitsNoPageStaysWithTheFirst) {
    SettingsGuard settings;
    ScratchDir dir;
    std::string run;
    for (int i = 1; i <= 5; ++i) run += "<Text not-last-item=\"1\">k" + std::to_string(i) + "</Text>";
    const std::string templ =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"45mm\">"
        "<Styles><Style name=\"s\"/></Styles>" +
        kEmptyHeaderAndFooter + "<Block><Text space-after=\"14mm\">f</Text>" + run +
        "<Text>after</Text></Block></XmlTemplateReport>\n";
    auto report = LoadReport(dir, templ, "<root/>");
    Prepare(*report);
    std::vector<std::string> texts;
    for (const auto& page : Collect(*report)) texts.push_back(PageText(page));
    EXPECT_EQ(texts, (std::vector<std::string>{"f|k1|k2", "k3|k4|k5|after"}));
}

// A form too tall for any page stays on its page, cut at the body's bottom. A
// field whose box starts just above that bottom was cut to a sliver that drew
// none of its words, and the form goes on at the same place on the next page,
// where waiting would find no more room: it rises as far as one line needs.
TEST(PageBoundaryWords, AFieldOfACutFormInTheSliverAtTheFootShowsItsLine) {
    for (const int room : {2, 20}) {
        SettingsGuard settings;
        ScratchDir dir;
        // The body runs from 1 mm to 99 mm of the page; the field's box
        // starts `room` units above its bottom and reaches far below it.
        const std::string top = std::to_string((980 - room) / 10) + "." + std::to_string((980 - room) % 10) + "mm";
        const std::string templ =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"100mm\">"
            "<Styles><Style name=\"s\"/></Styles>" +
            kEmptyHeaderAndFooter + "<Block asblank=\"1\"><Text top=\"0\">Form top</Text><Text top=\"" + top +
            "\" height=\"20mm\">Foot field</Text></Block></XmlTemplateReport>\n";
        auto report = LoadReport(dir, templ, "<root/>");
        Prepare(*report);
        ASSERT_EQ(report->BodyArea().bottom, 990) << "the case assumes the default margins";
        const Pages pages = Collect(*report);
        ASSERT_EQ(pages.size(), 1u) << room;
        EXPECT_EQ(PageText(pages[0]), "Form top|Foot field") << room;
        const Piece foot = FindText(pages, "Foot field").second;
        // A whole line of it above the body's bottom, not a sliver.
        EXPECT_TRUE(Inside(foot.outer, 0, 10, 2100, 990)) << room;
        EXPECT_GE(foot.outer.top - foot.outer.bottom, 40) << room;
        EXPECT_EQ(FindText(pages, "Form top").second.outer.top, -10) << room;
    }
}

}  // namespace

// A kept heading before a start-page text that cannot start at the foot: the
// trial tried that text as if it did not break the page, moved the heading on
// and left it alone on a page before the text's own. And a nowrap row that
// fills all the room a new page leaves below the page header and its header
// row is split at the foot: judged by the whole body, it moved on first and
// left its header row alone on the page.
TEST(PageBoundaryKeepR, WhatANewPageReallyHoldsDecidesAMove) {
    struct Case {
        const char* name;
        std::string templ;
        std::vector<std::string> pages;
    };
    std::string words;
    for (int i = 1; i <= 20; ++i) words += (i > 1 ? " word" : "word") + std::to_string(i);
    const std::string head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    const std::vector<Case> cases = {
        {"KeptBeforeAStartPageText",
         head + "<XmlTemplateReport page-height=\"40mm\"><Styles><Style name=\"s\"/></Styles>" + kEmptyHeaderAndFooter +
             "<Block><Text>f1</Text><Text>f2</Text><Text>f3</Text><Text not-last-item=\"1\">Heading</Text>"
             "<Text start-page=\"1\">body</Text></Block></XmlTemplateReport>\n",
         {"f1|f2|f3|Heading", "body"}},
        {"NowrapRowBelowAPageHeaderAndAHeaderRow",
         head +
             "<XmlTemplateReport page-height=\"80mm\"><Styles><Style name=\"s\"/></Styles>"
             "<PageHeader height=\"20mm\"/><PageFooter/><Block><Table><Row header=\"1\"><Text width=\"40mm\">H</Text>"
             "</Row><Row nowrap=\"1\"><Text width=\"15mm\">" +
             words + "</Text></Row></Table></Block></XmlTemplateReport>\n",
         {"H|word1 word2 word3 word4 word5 word6 word7 word8 word9 word10",
          "H|word11 word12 word13 word14 word15 word16 word17 word18 word19 word20"}},
    };
    for (const Case& c : cases) {
        SettingsGuard settings;
        ScratchDir dir;
        auto report = LoadReport(dir, c.templ, "<root/>");
        Prepare(*report);
        std::vector<std::string> texts;
        for (const auto& page : Collect(*report)) texts.push_back(PageText(page));
        EXPECT_EQ(texts, c.pages) << c.name;
    }
}

// A kept heading placed first on a page that held nothing is tried for no
// keep: it stays whatever follows. When the short run below it (a kept text,
// then a nowrap picture) fits on no page, the text moving on left the heading
// alone; it stays below it, fills the page, and the picture goes on.
TEST(PageBoundaryKeepM, AShortRunThatFitsNoPageDoesNotLeaveItsFirstHeadingAlone) {
    SettingsGuard settings;
    ScratchDir dir;
    const std::string templ =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"60mm\">"
        "<Styles><Style name=\"s\"/></Styles>" +
        kEmptyHeaderAndFooter +
        "<Block><Text not-last-item=\"1\">k1</Text>"
        "<Text not-last-item=\"1\" width=\"20mm\">w1 w2 w3 w4 w5 w6 w7 w8 w9 w10 w11 w12</Text>"
        "<Image nowrap=\"1\" width=\"20mm\" height=\"20mm\">" +
        kPicture + "</Image><Text>after</Text></Block></XmlTemplateReport>\n";
    auto report = LoadReport(dir, templ, "<root/>");
    Prepare(*report);
    std::vector<std::string> texts;
    for (const auto& page : Collect(*report)) texts.push_back(PageText(page));
    EXPECT_EQ(texts, (std::vector<std::string>{"k1|w1 w2 w3 w4 w5 w6 w7 w8 w9 w10 w11 w12", "after"}));
}

// A kept table whose keep fails leaves its body row for the next page, and
// its header row, left alone at the foot, takes the table there whole. The
// row is owed that page only: still held back there, it left the header row
// alone at the top and went on to the page after.
TEST(PageBoundaryDefer, ARowLeftForTheNextPageIsPlacedThere) {
    SettingsGuard settings;
    ScratchDir dir;
    const std::string templ =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"40mm\">"
        "<Styles><Style name=\"s\"/></Styles>" +
        kEmptyHeaderAndFooter +
        "<Block><Text>f1</Text><Text>f2</Text><Table not-last-item=\"1\"><Row header=\"1\">"
        "<Text width=\"40mm\">H</Text></Row><Row nowrap=\"1\"><Text width=\"40mm\">body row</Text></Row></Table>"
        "<Image nowrap=\"1\" width=\"20mm\" height=\"20mm\">" +
        kPicture + "</Image><Text>after</Text></Block></XmlTemplateReport>\n";
    auto report = LoadReport(dir, templ, "<root/>");
    Prepare(*report);
    const Pages pages = Collect(*report);
    std::vector<std::string> texts;
    for (const auto& page : pages) texts.push_back(PageText(page));
    EXPECT_EQ(texts, (std::vector<std::string>{"f1|f2", "H|body row", "after"}));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(std::any_of(pages[1].begin(), pages[1].end(), [](const Piece& p) { return p.kind == "image"; }));
}

// A form is as tall as its lowest box: the space after a field in a nested
// block lies below the form, as the form's own space after does. Counted in,
// it moved a form that fits to the next page, and the kept text before it
// ended its page alone there.
TEST(PageBoundaryFormD, ANestedBlockOfAFormCountsByItsLowestBox) {
    SettingsGuard settings;
    ScratchDir dir;
    const std::string templ =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"100mm\">"
        "<Styles><Style name=\"s\"/></Styles>" +
        kEmptyHeaderAndFooter +
        "<Block><Text>Filler</Text><Text not-last-item=\"1\">Heading</Text><Block asblank=\"1\">"
        "<Block><Text top=\"0\" height=\"60mm\" space-after=\"40mm\">Field</Text></Block></Block>"
        "<Text>After form</Text></Block></XmlTemplateReport>\n";
    auto report = LoadReport(dir, templ, "<root/>");
    Prepare(*report);
    const Pages pages = Collect(*report);
    ASSERT_EQ(pages.size(), 2u);
    for (const char* text : {"Filler", "Heading", "Field"}) EXPECT_EQ(FindText(pages, text).first, 1u) << text;
    EXPECT_EQ(FindText(pages, "After form").first, 2u);
}

// A kept text opens a block that opens the first repetition of a bound block,
// kept with the text before it; after it comes a table whose nowrap body row
// is taller than any page and moves whole from below the text (the text
// leaves it too little room to be split there), so no page can honour the
// inner keep. The inner text moved on all the same, stood alone on the next
// page, and left the outer one alone at the foot; it stays below it, and the
// table goes on.
TEST(PageBoundaryKeep, ALoneKeepInsideABoundBlockKeptWithWhatComesBeforeStays) {
    SettingsGuard settings;
    ScratchDir dir;
    std::string words;
    for (int i = 1; i <= 20; ++i) words += (i > 1 ? " word" : "word") + std::to_string(i);
    const std::string templ =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport page-height=\"60mm\">"
        "<Styles><Style name=\"s\"/></Styles>" +
        kEmptyHeaderAndFooter +
        "<Block><Text not-last-item=\"1\">Heading</Text><Block><Text not-last-item=\"1\">Lead</Text>"
        "<Block xml-element-name=\"r\"><Block><Text not-last-item=\"1\" width=\"15mm\">kept1 kept2 kept3</Text>"
        "<Table><Row header=\"1\"><Text width=\"40mm\">H</Text></Row><Row nowrap=\"1\"><Text width=\"15mm\">" +
        words + "</Text></Row></Table></Block></Block></Block></Block></XmlTemplateReport>\n";
    auto report = LoadReport(dir, templ, "<root><r/></root>");
    Prepare(*report);
    const Pages pages = Collect(*report);
    for (const char* text : {"Heading", "Lead", "kept1 kept2 kept3"})
        EXPECT_EQ(FindText(pages, text).first, 1u) << text;
    EXPECT_EQ(FindText(pages, "H").first, 2u);
}
