// A real template with text and line items, laid out and drawn through the
// report: the page loop, the header's page numbers and the data repetition
// working together.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "elements/CqvTextPiece.h"
#include "render/RecordingSurface.h"

using namespace qvtest;

namespace {

TEST(EndToEnd, BoundTextsRunOverPagesUnderNumberedHeaders) {
    SettingsGuard settings;
    ScratchDir dir;
    std::string data = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>";
    std::vector<std::string> names;
    for (int i = 1; i <= 30; ++i) {
        names.push_back("dog" + std::to_string(i));
        data += "<dog name=\"" + names.back() + "\"/>";
    }
    data += "</root>";
    CqvReport report(dir.Write("dogs.xml", data), QV_TEST_DATA "/engine/dogs.qvrp");
    ASSERT_TRUE(report.LoadAll());
    RecordingSurface surface;
    report.PreparePages(surface, report.PrintInfo());

    const size_t pages = report.PageCount();
    ASSERT_GT(pages, 2u);
    EXPECT_EQ(QvSettings::Instance().pageCount, pages);

    std::vector<std::string> printed;
    for (size_t page = 0; page < pages; ++page) {
        SCOPED_TRACE(page + 1);
        const auto& pieces = report.PagePieces(page);
        ASSERT_GE(pieces.size(), 3u);
        // The header first, with this page's number; the footer's line last.
        const auto* header = dynamic_cast<const CqvTextPiece*>(pieces.front().get());
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->Text(), "Page " + std::to_string(page + 1) + " of [%qv_pages%] ");
        EXPECT_TRUE(header->HasPageCount());
        EXPECT_EQ(header->Outer().top, -50);
        EXPECT_EQ(pieces.back()->Kind(), "line");
        EXPECT_EQ(pieces.back()->Outer().top, -(600 - 80));
        // The body starts below the header's declared height on every page.
        EXPECT_EQ(pieces[1]->Outer().top, -150);
        for (size_t i = 1; i + 1 < pieces.size(); ++i) {
            const auto* text = dynamic_cast<const CqvTextPiece*>(pieces[i].get());
            ASSERT_NE(text, nullptr);
            EXPECT_GE(text->Outer().bottom, -520);  // above the footer
            printed.push_back(text->Text());
        }
    }
    // Every dog once, in data order: no repetition printed twice or lost.
    ASSERT_EQ(printed.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(printed[i], names[i] + " ");

    // Drawing fills in the page count.
    QvPrintInfo info = report.PrintInfo();
    info.currentPage = 2;
    RecordingSurface drawn;
    report.DrawPage(drawn, info);
    bool found = false;
    for (const RecordedCall& call : drawn.CallsOf(RecordedCall::Kind::TextOut))
        found = found || call.utf8.find("of " + std::to_string(pages)) != std::string::npos;
    EXPECT_TRUE(found);
}

}  // namespace

namespace {

// Documents declared iso-8859-1 reach the engine as UTF-8 like any other; their
// accented letters must be drawn as themselves, not as two bytes of Latin-1.
TEST(EndToEnd, Latin1DocumentsDrawTheirAccentedLetters) {
    SettingsGuard settings;
    ScratchDir dir;
    const std::string latin1Data =
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
        "<root><dog name=\"Chlo\xE9\"/></root>";
    const std::string latin1Template =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
        "<XmlTemplateReport><Styles><Style name=\"default\"/></Styles><PageHeader/><PageFooter/><Block><Text>Caf\xE9 </Text>"
        "<Block xml-element-name=\"dog\"><Text xml-element-name=\"@name\"/></Block>"
        "</Block></XmlTemplateReport>";
    CqvReport report(dir.Write("data.xml", latin1Data), dir.Write("t.qvrp", latin1Template));
    ASSERT_TRUE(report.LoadAll());
    EXPECT_EQ(QvSettings::Instance().dataCodePage, 28591) << "the declared code page is kept";
    RecordingSurface surface;
    report.PreparePages(surface, report.PrintInfo());
    ASSERT_EQ(report.PageCount(), 1u);

    QvPrintInfo info = report.PrintInfo();
    info.currentPage = 1;
    RecordingSurface drawn;
    report.DrawPage(drawn, info);
    std::vector<std::u16string> lines;
    for (const RecordedCall& call : drawn.CallsOf(RecordedCall::Kind::TextOut)) lines.push_back(call.text);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"Caf\u00E9", u"Chlo\u00E9"}));
}

}  // namespace
