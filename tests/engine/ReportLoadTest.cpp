// Loading a report: page setup, the template's error messages, code pages and
// the element tree the template builds.
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"
#include "common/CqvEx.h"
#include "elements/CqvRow.h"
#include "elements/CqvTable.h"
#include "elements/CqvXmlBlock.h"
#include "render/RecordingSurface.h"

using namespace qvtest;

namespace {

const std::string kData = QV_TEST_DATA "/engine/";

std::string ErrorOf(CqvReport& report) {
    try {
        report.LoadAll();
    } catch (const CqvEx& e) {
        return e.Message();
    }
    return "(no error)";
}

TEST(ReportLoad, NoRootAttributesGiveA4PortraitWithoutMargins) {
    SettingsGuard settings;
    CqvReport report(kData + "data.xml", kData + "default.qvrp");
    ASSERT_TRUE(report.LoadAll());
    EXPECT_EQ(report.PageWidth(), 2100);
    EXPECT_EQ(report.PageHeight(), 2970);
    EXPECT_FALSE(report.Landscape());
    EXPECT_EQ(report.Margins(), (QvRect{0, 0, 0, 0}));
    EXPECT_EQ(report.MaxPages(), 100);
    EXPECT_EQ(report.Version(), "");
    EXPECT_EQ(QvSettings::Instance().defaultStyle, nullptr);  // no style named "default"

    Prepare(report);
    EXPECT_EQ(report.PageRect(), (QvRect{0, 0, 2100, 2970}));
    EXPECT_EQ(report.PrintableArea(), (QvRect{0, 0, 2100, 2970}));
    EXPECT_EQ(report.BodyArea(), (QvRect{0, 0, 2100, 2960}));  // footer height 10 by default
    EXPECT_EQ(report.PrintInfo().drawRect, report.PageRect());
    EXPECT_EQ(report.PageCount(), 1u);
    EXPECT_EQ(QvSettings::Instance().pageCount, 1u);
}

TEST(ReportLoad, RootAttributesAreCaseInsensitiveAndLengthsAbsolute) {
    SettingsGuard settings;
    CqvReport report(kData + "data.xml", kData + "tree.qvrp");
    ASSERT_TRUE(report.LoadAll());
    EXPECT_EQ(report.Version(), "1.0");
    EXPECT_EQ(report.PageWidth(), 1500);
    EXPECT_EQ(report.PageHeight(), 2000);
    EXPECT_EQ(report.Margins(), (QvRect{100, 200, 300, 400}));
    EXPECT_EQ(report.MaxPages(), 7);

    Prepare(report);
    EXPECT_EQ(report.PrintableArea(), (QvRect{100, 200, 1200, 1600}));
    EXPECT_EQ(report.BodyArea(), (QvRect{100, 200, 1200, 1450}));  // footer 15mm
}

TEST(ReportLoad, LandscapeSwapsThePaperAndKeepsTheMargins) {
    SettingsGuard settings;
    ScratchDir dir;
    auto report = LoadReport(dir,
                             "<?xml version=\"1.0\"?><XmlTemplateReport landscape=\" 1\" "
                             "margin-left=\"1cm\"><Styles><Style/></Styles><PageHeader/>"
                             "<PageFooter/></XmlTemplateReport>");
    Prepare(*report);
    EXPECT_TRUE(report->Landscape());
    EXPECT_EQ(report->PageRect(), (QvRect{0, 0, 2970, 2100}));
    EXPECT_EQ(report->PrintableArea().left, 100);
    EXPECT_EQ(report->PrintableArea().right, 2970);
}

struct TemplateError {
    const char* what;
    std::string templateText;
    std::string message;
};

std::string Wrap(const std::string& body) { return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + body; }

const std::string kStyles = "<Styles><Style name=\"s\"/></Styles>";
const std::string kHeaderFooter = "<PageHeader/><PageFooter/>";

TEST(ReportLoad, EveryTemplateErrorHasItsMessage) {
    const TemplateError cases[] = {
        {"wrong root", Wrap("<Report>" + kStyles + kHeaderFooter + "</Report>"),
         "Can't find root element 'XmlTemplateReport' in template "},
        {"lower-case styles",
         Wrap("<XmlTemplateReport><styles><Style/></styles>" + kHeaderFooter + "</XmlTemplateReport>"),
         "Can't find block 'Styles' in template "},
        {"no Style", Wrap("<XmlTemplateReport><Styles/>" + kHeaderFooter + "</XmlTemplateReport>"),
         "Can't find block 'Style' in block  'Styles'"},
        {"no header", Wrap("<XmlTemplateReport>" + kStyles + "<PageFooter/></XmlTemplateReport>"),
         "Can't find root block 'PageHeader'"},
        {"no footer", Wrap("<XmlTemplateReport>" + kStyles + "<PageHeader/></XmlTemplateReport>"),
         "Can't find root block 'PageFooter'"},
        {"unknown style-name",
         Wrap("<XmlTemplateReport>" + kStyles + kHeaderFooter +
              "<Block><Text style-name=\"S\"/></Block></XmlTemplateReport>"),
         "Can't find style-name 'S'"},
        {"unknown style-name on the header",
         Wrap("<XmlTemplateReport>" + kStyles + "<PageHeader style-name=\"nope\"/><PageFooter/></XmlTemplateReport>"),
         "Can't find style-name 'nope'"},
        {"second default style",
         Wrap("<XmlTemplateReport><Styles><Style name=\"default\"/><Style name=\"default\"/></Styles>" + kHeaderFooter +
              "</XmlTemplateReport>"),
         "Element 'default' already exists"},
        {"two children of one name",
         Wrap("<XmlTemplateReport>" + kStyles + kHeaderFooter +
              "<Block><Text name=\"t\"/><Block name=\"t\"/></Block></XmlTemplateReport>"),
         "Element 't' already exists"},
        {"two top-level blocks of one name",
         Wrap("<XmlTemplateReport>" + kStyles + kHeaderFooter +
              "<Block name=\"b\"/><Block name=\"b\"/></XmlTemplateReport>"),
         "Element 'b' already exists"},
        {"bad length on the root",
         Wrap("<XmlTemplateReport page-width=\"10px\">" + kStyles + kHeaderFooter + "</XmlTemplateReport>"),
         "Illegal unit of measure 'px' "},
        {"bad length on an item",
         Wrap("<XmlTemplateReport>" + kStyles + kHeaderFooter +
              "<Block><Block height=\"-5mm\"/></Block></XmlTemplateReport>"),
         "Illegal unit of measure '-5mm' "},
    };
    for (const TemplateError& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard settings;
        ScratchDir dir;
        CqvReport report(dir.Write("data.xml", Wrap("<root/>")), dir.Write("t.qvrp", c.templateText));
        EXPECT_EQ(ErrorOf(report), c.message);
        report.Reset();  // a partly loaded report cleans up
        EXPECT_EQ(report.Blocks().Size(), 0u);
        EXPECT_EQ(QvSettings::Instance().defaultStyle, nullptr);
    }
}

TEST(ReportLoad, LoaderErrorsPassThrough) {
    SettingsGuard settings;
    CqvReport report(kData + "data.xml", kData + "missing.qvrp");
    EXPECT_NE(ErrorOf(report).find("missing.qvrp"), std::string::npos);
}

TEST(ReportLoad, CodePageFamiliesMustAgree) {
    SettingsGuard settings;
    {
        // windows-1251 is read through the converter and ends as UTF-8 text.
        CqvReport report(kData + "data-1251.xml", kData + "default.qvrp");
        ASSERT_TRUE(report.LoadAll());
        EXPECT_EQ(QvSettings::Instance().dataCodePage, 65001);
        EXPECT_EQ(QvSettings::Instance().templateCodePage, 65001);
        EXPECT_EQ(QvSettings::Instance().fontCharset, 1);
        EXPECT_TRUE(QvSettings::Instance().wideText);
    }
    {
        CqvReport report(kData + "data-latin1.xml", kData + "default.qvrp");
        EXPECT_EQ(ErrorOf(report), "Incompatible code pages  '28591' and '65001'");
        EXPECT_EQ(QvSettings::Instance().dataCodePage, 28591);
    }
}

TEST(ReportLoad, TheTemplateBuildsTheElementTree) {
    SettingsGuard settings;
    CqvReport report(kData + "data.xml", kData + "tree.qvrp");
    ASSERT_TRUE(report.LoadAll());

    // Only Block children of the root are top-level blocks, spelled exactly.
    ASSERT_EQ(report.Blocks().Size(), 2u);
    CqvBlock& main = *report.Blocks().At(0);
    EXPECT_EQ(main.Name(), "main");
    EXPECT_EQ(main.TypeCode(), 1);
    EXPECT_EQ(report.Blocks().At(1)->TypeCode(), 2);
    EXPECT_NE(dynamic_cast<CqvXmlBlock*>(report.Blocks().At(1)), nullptr);

    // The child factory, in document order; unknown and lower-case names make nothing.
    const std::vector<std::pair<std::string, int>> expected = {{"plainText", 3},    {"boundText", 4}, {"picture", 5},
                                                               {"boundPicture", 6}, {"rule", 15},     {"table", 10},
                                                               {"nested", 1},       {"bound", 2}};
    ASSERT_EQ(main.Children().Size(), expected.size() + 1);  // and one unnamed Text
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(main.Children().At(i)->Name(), expected[i].first);
        EXPECT_EQ(main.Children().At(i)->TypeCode(), expected[i].second) << expected[i].first;
        EXPECT_EQ(main.Children().At(i)->Parent(), &main);
    }
    const std::string generated = main.Children().At(expected.size())->Name();
    EXPECT_EQ(generated.size(), 6u);
    EXPECT_EQ(generated[0], 'n');

    // Common attributes: defaults, absolute lengths, flags by atoi, any case.
    EXPECT_EQ(main.Children().At(0)->Width(), 500);
    EXPECT_EQ(main.Children().At(0)->Height(), 10);
    CqvItem& nested = *main.Children().Find("nested");
    EXPECT_EQ(nested.Left(), 400);
    EXPECT_EQ(main.StartPage(), 1);
    EXPECT_EQ(main.StartPagePending(), 1);
    EXPECT_EQ(main.NotLastItem(), 1);
    // The block grew to cover the child at 400 + 300.
    EXPECT_EQ(main.Width(), 700);
}

TEST(ReportLoad, StylesAreInheritedNamedAndOverridden) {
    SettingsGuard settings;
    CqvReport report(kData + "data.xml", kData + "tree.qvrp");
    ASSERT_TRUE(report.LoadAll());
    ASSERT_NE(QvSettings::Instance().defaultStyle, nullptr);
    EXPECT_EQ(QvSettings::Instance().defaultStyle, report.FindStyle("default"));

    CqvBlock& main = *report.Blocks().At(0);
    // A top-level block without style-name starts from the default style.
    EXPECT_EQ(main.Style().m_nFontSize, 10);
    EXPECT_EQ(main.Style().m_nPaddingLeft, 5);
    // A child copies its block's style ...
    EXPECT_EQ(main.Children().Find("boundText")->Style().m_nFontSize, 10);
    EXPECT_EQ(main.Children().Find("boundText")->Style().m_nPaddingTop, 5);
    // ... style-name replaces it, and the element's own attributes win.
    CqvItem& plain = *main.Children().Find("plainText");
    EXPECT_EQ(plain.StyleName(), "big");
    EXPECT_EQ(plain.Style().m_nFontSize, 8);
    EXPECT_EQ(plain.Style().m_nPaddingTop, 10);
    // A named style is not filled up from the default one.
    EXPECT_EQ(report.Blocks().At(1)->Style().m_nFontSize, 20);
    EXPECT_EQ(report.Blocks().At(1)->Style().m_nPaddingTop, 10);
    // The header and footer without style-name start from the default style too.
    EXPECT_EQ(report.PageHeader().Style().m_nFontSize, 10);
}

TEST(ReportLoad, HeaderAndFooterItemsAreAbsoluteAndFooterItemsReachThePrintableBottom) {
    SettingsGuard settings;
    CqvReport report(kData + "data.xml", kData + "tree.qvrp");
    ASSERT_TRUE(report.LoadAll());
    Prepare(report);

    CqvBlock& header = report.PageHeader();
    EXPECT_EQ(header.Height(), 200);
    ASSERT_EQ(header.Children().Size(), 2u);  // the Block under PageHeader is not top-level
    auto& headerBlock = dynamic_cast<CqvBlock&>(*header.Children().Find("headerBlock"));
    EXPECT_TRUE(headerBlock.IsAbsolute());
    CqvItem& headerText = *headerBlock.Children().Find("headerText");
    EXPECT_TRUE(headerText.IsAbsolute());
    EXPECT_FALSE(headerText.InFooter());
    // top is an offset below the position the container gives.
    EXPECT_EQ(headerText.ItemRect(250).top, -260);
    EXPECT_EQ(headerText.BottomLimit(), 1450);

    CqvItem& footerText = *report.PageFooter().Children().Find("footerText");
    EXPECT_TRUE(footerText.IsAbsolute());
    EXPECT_TRUE(footerText.InFooter());
    EXPECT_EQ(footerText.BottomLimit(), 1600);
    EXPECT_EQ(report.PageFooter().AsBlank(), 1);

    // A body item is not absolute: top is not added.
    CqvItem& plain = *report.Blocks().At(0)->Children().Find("plainText");
    EXPECT_FALSE(plain.IsAbsolute());
    EXPECT_EQ(plain.ItemRect(250).top, -250);
    const QvRect content = plain.ContentRectangle();
    EXPECT_EQ(content, (QvRect{110, -260, 590, -250}));  // the box less 10 on every side
}

TEST(ReportLoad, TablesPlaceTheirCellsSideBySide) {
    SettingsGuard settings;
    ScratchDir dir;
    auto report = LoadReport(dir, SimpleTemplate("<Block><Table name=\"t\" left=\"10mm\" border-left=\"1\">"
                                                 "<Row name=\"r\" header=\"1\"><Text width=\"30mm\" left=\"500mm\"/>"
                                                 "<Text width=\"50mm\"/></Row><Text name=\"notARow\"/>"
                                                 "</Table><Table name=\"plain\"><Row/></Table></Block>"));
    auto& table = dynamic_cast<CqvTable&>(BlockNamed(*report, "t"));
    ASSERT_EQ(table.Children().Size(), 1u);
    auto& row = dynamic_cast<CqvRow&>(*table.Children().At(0));
    EXPECT_EQ(row.Children().At(0)->Left(), 100);
    EXPECT_EQ(row.Children().At(1)->Left(), 401);
    EXPECT_EQ(row.Width(), 902);
    EXPECT_EQ(table.Width(), 902);
    EXPECT_TRUE(row.IsHeader());
    EXPECT_EQ(row.NotLastItem(), 1);
    EXPECT_EQ(row.StartPage(), 0);
    // Only the borders written stay on; a table without any gets all four.
    EXPECT_EQ(table.Style().m_nBorderLeft, 1);
    EXPECT_EQ(table.Style().m_nBorderTop, -1);
    EXPECT_EQ(table.Style().m_nSpaceAfter, 0);
    CqvBlock& plain = BlockNamed(*report, "plain");
    EXPECT_EQ(plain.Style().m_nBorderTop, 1);
    EXPECT_EQ(plain.Children().At(0)->Style().m_nBorderBottom, 1);
}

TEST(ReportLoad, ApplyPageSetupWritesTheDeviceMode) {
    SettingsGuard settings;
    ScratchDir dir;
    auto report = LoadReport(dir, SimpleTemplate("", "landscape=\"1\""));
    QvDevMode mode;
    mode.fields = 0x100;
    EXPECT_TRUE(report->ApplyPageSetup(&mode));
    EXPECT_EQ(mode.fields, 0x10Du);
    EXPECT_EQ(mode.paperSize, 256);
    EXPECT_EQ(mode.orientation, 2);
    EXPECT_EQ(mode.paperLength, 1000);
    EXPECT_EQ(mode.paperWidth, 1000);
    EXPECT_FALSE(report->ApplyPageSetup(nullptr));

    // 70000 does not fit in 16 bits: its low 16 bits are kept.
    ScratchDir dir2;
    auto wide = LoadReport(dir2,
                           "<?xml version=\"1.0\"?><XmlTemplateReport page-width=\"7000mm\">"
                           "<Styles><Style/></Styles><PageHeader/><PageFooter/></XmlTemplateReport>");
    wide->ApplyPageSetup(&mode);
    EXPECT_EQ(static_cast<uint16_t>(mode.paperWidth), 70000 & 0xFFFF);
    EXPECT_EQ(mode.paperLength, 2970);
    EXPECT_EQ(mode.orientation, 1);
}

TEST(ReportLoad, PrinterPaperIsThePaperTheReportIsLaidOutOn) {
    // The report lays its pages out on its own paper; the printer learns the
    // paper through the 16-bit device mode. Both must name the same sheet.
    SettingsGuard settings;
    struct Case {
        const char* attributes;
        QvPaper paper;
    };
    for (const Case& c : {Case{"page-width=\"210mm\" page-height=\"148mm\"", {2100, 1480}},
                          Case{"page-width=\"210mm\" page-height=\"148mm\" landscape=\"1\"", {1480, 2100}},
                          // Above 32767: the record's bits read unsigned.
                          Case{"page-width=\"4000mm\" page-height=\"100mm\" landscape=\"1\"", {1000, 40000}}}) {
        SCOPED_TRACE(c.attributes);
        ScratchDir dir;
        auto report = LoadReport(dir, std::string("<?xml version=\"1.0\"?><XmlTemplateReport ") + c.attributes +
                                          "><Styles><Style/></Styles><PageHeader/><PageFooter/></XmlTemplateReport>");
        EXPECT_EQ(report->Paper(), c.paper);
        QvDevMode mode;
        report->ApplyPageSetup(&mode);
        EXPECT_EQ(PaperOf(mode), c.paper);
    }
    // A mode that carries no paper is A4, upright unless it says otherwise.
    QvDevMode bare;
    bare.orientation = kDmOrientLandscape;
    EXPECT_EQ(PaperOf(bare), (QvPaper{2100, 2970}));
    bare.fields = kDmOrientation;
    EXPECT_EQ(PaperOf(bare), (QvPaper{2970, 2100}));
}

TEST(ReportLoad, ResetReturnsToTheDefaults) {
    SettingsGuard settings;
    CqvReport report(kData + "data.xml", kData + "tree.qvrp");
    ASSERT_TRUE(report.LoadAll());
    Prepare(report);
    report.Reset();
    EXPECT_EQ(report.PageWidth(), 2100);
    EXPECT_EQ(report.MaxPages(), 100);
    EXPECT_EQ(report.Margins(), QvRect{});
    EXPECT_EQ(report.BodyArea(), QvRect{});
    EXPECT_EQ(report.PageCount(), 0u);
    EXPECT_EQ(report.Styles().Size(), 0u);
    EXPECT_EQ(report.PageHeader().Children().Size(), 0u);
    EXPECT_EQ(report.PageHeader().Height(), 10);  // nothing of the old header stays
    EXPECT_TRUE(report.PageHeader().IsAbsolute());
    EXPECT_EQ(QvSettings::Instance().defaultStyle, nullptr);
}

}  // namespace
