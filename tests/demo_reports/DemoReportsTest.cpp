// The demonstration reports of DemoFiles/ as a user meets them: each one is
// rendered by the quorvane command to a PDF, which must have the expected
// pages, texts and pictures; and the template DTD must catch what a template
// gets wrong while letting through everything the elements read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDemoDir = fs::path(QV_SOURCE_DIR) / "DemoFiles";
constexpr const char* kDtdName = "quorvane_v1.0.dtd";

using qv::test::ReadFile;
using qv::test::RunResult;
using qv::test::ScratchDir;

// Runs the quorvane command with its streams in files, as a script would.
RunResult RunQuorvane(const std::vector<std::string>& args) { return qv::test::RunProgram(QV_QUORVANE_EXE, args); }

// The output of a poppler tool on a file; `after` follows the file name.
std::string ToolOutput(const std::string& tool, const fs::path& file, const std::string& after = "") {
    return qv::test::Capture(tool + " " + qv::test::ShellQuoted(file.string()) + " " + after + " 2>/dev/null");
}

int PdfPageCount(const fs::path& pdf) {
    const std::string info = ToolOutput("pdfinfo", pdf);
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// The PDF's text with every run of white space (no-break spaces included)
// made one space, so that a phrase is found wherever its lines were broken.
// Side-by-side items may come out in any order, so tests look for phrases that
// one text item holds.
std::string PdfText(const fs::path& pdf) {
    const std::string raw = ToolOutput("pdftotext -enc UTF-8", pdf, "-");
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i) {
        const bool nbsp = raw.compare(i, 2, "\xC2\xA0") == 0;
        if (nbsp || raw[i] == ' ' || raw[i] == '\n' || raw[i] == '\t' || raw[i] == '\f') {
            if (!text.empty() && text.back() != ' ') text += ' ';
            if (nbsp) ++i;
        } else {
            text += raw[i];
        }
    }
    return text;
}

// Pictures placed in the PDF: one line per image drawn on a page.
int PdfImageCount(const fs::path& pdf) {
    const std::string list = ToolOutput("pdfimages -list", pdf);
    const int lines = static_cast<int>(std::count(list.begin(), list.end(), '\n'));
    return std::max(0, lines - 2);  // two heading lines
}

struct Demo {
    const char* display;
    const char* templateFile;
    const char* dataFile;
    int pages;
    int pictures;
    std::vector<std::string> texts;  // each must appear in the PDF's text
};

// The nine demonstrations in the order of the application's list.
const std::vector<Demo>& Demos() {
    static const std::vector<Demo> demos = {
        {"Blocks",
         "dogs.qvrp",
         "dogs.xml",
         12,
         56 + 12,
         {"Dog register", "Harwick Kennel Club · 2024", "Bella HK-1001 Labrador Retriever",
          "Owner: Kemal Öztürk, Millbrook", "VACCINATIONS", "14 Jul 2021 · Leptospirosis", "Heidi HK-1056",
          "Page 1 of 12", "Page 12 of 12"}},
        {"Table",
         "dogs_table.qvrp",
         "dogs.xml",
         3,
         0,
         {"No. Name Breed Sex Born Owner Note", "HK-1001 Bella Labrador Retriever female 13 Mar 2017", "HK-1056 Heidi",
          "Page 3 of 3"}},
        {"Table in Table",
         "dogs_table_in_table.qvrp",
         "dogs.xml",
         4,
         0,
         {"Vaccination record", "DATE VACCINE VET", "14 Jul 2021 Leptospirosis Dr. A. Novak", "Heidi", "Page 4 of 4"}},
        {"UTF8",
         "utf8.qvrp",
         "utf8.xml",
         4,
         0,
         {"Καλημέρα! Доброе утро! Dzień dobry! Grüß Gott!", "Ελληνικά · Greek", "Καλό σκυλί!", "Хороший пёс!",
          "Гарний пес!", "Gdzie jest najbliższy weterynarz?", "Köpeğimle içeri girebilir miyim?", "€", "Ω",
          "Page 4 of 4"}},
        {"Image from Base64",
         "base64.qvrp",
         "base64.xml",
         3,
         3 + 4 + 2,
         {"Lighthouses of the Amber Coast", "Vessel Point", "Fl(2) W 10s", "Saltmarsh",
          "North Mole light, from the lantern to the sea", "Page 3 of 3"}},
        {"Blank",
         "blank.qvrp",
         "blank.xml",
         3,
         3,
         {"Dog Licence", "LICENCE No.", "DL-2024-0147", "Hanna Kowalski", "Elif Şahin", "DL-2024-0153",
          "Licence 3 of 3"}},
        {"Накладная",
         "nakladn.qvrp",
         "nakladn.xml",
         2,
         0,
         {"ТОВАРНАЯ НАКЛАДНАЯ № 1184", "от 12 марта 2024 г.", "ООО «Зоосфера»", "Корм сухой для собак «Лесная тропа»",
          "Итого", "258 997,80", "Двести пятьдесят восемь тысяч девятьсот девяносто семь рублей 80 копеек",
          "Страница 2 из 2"}},
        {"Счёт фактура",
         "sfactura.qvrp",
         "sfactura.xml",
         3,
         0,
         {"Счёт-фактура № 318 от 12 марта 2024 г.", "ИНН/КПП продавца:", "Всего к оплате (9)", "161 566,20",
          "Миронова Т. С.", "Страница 3 из 3"}},
        {"Книга (в формате fb2)",
         "fb2.qvrp",
         "sample_book.fb2",
         9,
         1,
         {"Анна Северина", "Пёс смотрителя маяка", "Глава первая Туман", "Имя — Штиль", "Глава четвёртая Проблеск",
          "Конец"}},
    };
    return demos;
}

void PrintTo(const Demo& demo, std::ostream* out) { *out << demo.display; }

class DemoReport : public testing::TestWithParam<Demo> {};

TEST_P(DemoReport, RendersToPdfWithItsPagesTextsAndPictures) {
    const Demo& demo = GetParam();
    ScratchDir scratch;
    const fs::path pdf = scratch / "demo.pdf";
    const RunResult run = RunQuorvane(
        {"render", (kDemoDir / demo.templateFile).string(), (kDemoDir / demo.dataFile).string(), "-o", pdf.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(PdfPageCount(pdf), demo.pages);
    const std::string text = PdfText(pdf);
    for (const std::string& wanted : demo.texts) EXPECT_NE(text.find(wanted), std::string::npos) << wanted;
    EXPECT_EQ(text.find("???"), std::string::npos) << "a data path found nothing";
    EXPECT_EQ(text.find("[%"), std::string::npos) << "a placeholder was left unexpanded";
    EXPECT_EQ(PdfImageCount(pdf), demo.pictures);
    // Two more readers than poppler: qpdf's structure check and MuPDF drawing
    // every page. (Ghostscript reads a page of every kind of content in the PDF
    // consumer test; every demo through it would cost a second each.)
    const std::string check = qv::test::Capture("qpdf --check " + qv::test::ShellQuoted(pdf.string()) + " 2>&1");
    EXPECT_NE(check.find("No syntax or stream encoding errors found"), std::string::npos) << check;
    EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
    if (qv::test::ExitStatus("command -v mutool >/dev/null 2>&1") == 0) {
        std::string mupdf = qv::test::Capture("mutool draw -q -r 36 -F pgm -o /dev/null " +
                                              qv::test::ShellQuoted(pdf.string()) + " 2>&1");
        // Debian's build has no colour management and says so for every file.
        const std::string noise = "warning: ICC support is not available\n";
        for (size_t at; (at = mupdf.find(noise)) != std::string::npos;) mupdf.erase(at, noise.size());
        EXPECT_EQ(mupdf, "") << "mutool draw";
    }
}

INSTANTIATE_TEST_SUITE_P(Demos, DemoReport, testing::ValuesIn(Demos()), [](const testing::TestParamInfo<Demo>& info) {
    std::string name = fs::path(info.param.templateFile).stem().string();
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

// A copy of a demo template beside a copy of the DTD, changed by `edit`, so
// that the loader reads the DTD from the copy's own folder.
fs::path EditedCopy(const ScratchDir& scratch, const Demo& demo, std::string (*edit)(std::string)) {
    fs::copy_file(kDemoDir / kDtdName, scratch / kDtdName);
    return scratch.Write(demo.templateFile, edit(ReadFile(kDemoDir / demo.templateFile)));
}

// Gives the first Text element of a template an attribute that no element reads.
std::string AddUndeclaredAttribute(std::string text) {
    const size_t at = text.find("<Text ");
    if (at != std::string::npos) text.insert(at + 6, "colour=\"red\" ");
    return text;
}

// Puts an element that no template element makes at the start of the first block.
std::string AddUndeclaredElement(std::string text) {
    const size_t open = text.find("<Block");
    const size_t at = open == std::string::npos ? open : text.find('>', open);
    if (at != std::string::npos) text.insert(at + 1, "<Paragraph/>");
    return text;
}

// Templates written with capitals still work without a DTD (the engine
// compares lower-cased names), but the DTD names the lower-case spellings only.
std::string CapitaliseAnAttribute(std::string text) {
    const size_t at = text.find(" width=\"", text.find("<Text "));
    if (at != std::string::npos) text.replace(at + 1, 5, "Width");
    return text;
}

TEST(DemoTemplateDtd, EveryDemoTemplateFailsLoudlyOnAnUndeclaredAttribute) {
    for (const Demo& demo : Demos()) {
        SCOPED_TRACE(demo.templateFile);
        ScratchDir scratch;
        const fs::path copy = EditedCopy(scratch, demo, AddUndeclaredAttribute);
        const RunResult run = RunQuorvane({"dump", copy.string(), (kDemoDir / demo.dataFile).string()});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "Attribute 'colour' on element 'Text' is not define in DTD\nError in file '" +
                               copy.string() + "'\n\n");
    }
}

TEST(DemoTemplateDtd, AnUndeclaredElementOrAnAttributeInCapitalsIsRejected) {
    const Demo& blocks = Demos().front();
    {
        ScratchDir scratch;
        const fs::path copy = EditedCopy(scratch, blocks, AddUndeclaredElement);
        const RunResult run = RunQuorvane({"dump", copy.string(), (kDemoDir / blocks.dataFile).string()});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "Element 'Paragraph' is not define in DTD\nError in file '" + copy.string() + "'\n\n");
    }
    {
        ScratchDir scratch;
        const fs::path copy = EditedCopy(scratch, blocks, CapitaliseAnAttribute);
        const RunResult run = RunQuorvane({"dump", copy.string(), (kDemoDir / blocks.dataFile).string()});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("Attribute 'Width' on element 'Text' is not define in DTD"), std::string::npos)
            << run.err;
    }
}

TEST(DemoTemplateDtd, IsReadFromTheTemplatesOwnFolder) {
    const Demo& blocks = Demos().front();
    ScratchDir scratch;
    const fs::path copy = scratch / blocks.templateFile;
    fs::copy_file(kDemoDir / blocks.templateFile, copy);
    const RunResult run = RunQuorvane({"dump", copy.string(), (kDemoDir / blocks.dataFile).string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("The file '" + scratch / kDtdName + "' was not opened", 0), 0u) << run.err;
}

// Every element a template may hold, each with every attribute its element
// reads, all in lower case: the DTD must let all of it through.
constexpr const char* kEveryAttribute = R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE XmlTemplateReport SYSTEM "quorvane_v1.0.dtd">
<XmlTemplateReport qvr-version="1.0" page-height="297mm" page-width="210mm" landscape="0" margin-left="1cm"
    margin-right="1cm" margin-top="1cm" margin-bottom="1cm" max-pages="10">
  <Styles>
    <Style name="default" font-family="Arial" font-size="10" font-bold="0" font-italic="0" font-strikeout="0"
        font-underline="0" color-text="#000000" color-bg="#ffffff" border="0" border-left="0" border-top="0"
        border-right="0" border-bottom="0" padding="5" padding-left="1mm" padding-right="1mm" padding-top="1mm"
        padding-bottom="1mm" text-align="left" space-before="0" space-after="1mm"/>
  </Styles>
  <PageHeader name="h" style-name="default" xml-element-name="" xml-property-name="" left="0" top="0"
      width="10cm" height="1cm" not-last-item="0" start-page="0" asblank="1" nowrap="0" font-size="9">
    <Text top="0" width="10cm" height="5mm">[%qv_curpage%]</Text>
  </PageHeader>
  <PageFooter height="1cm" asblank="1" nowrap="0" color-bg="#ffffff">
    <Line top="0" width="10cm"/>
  </PageFooter>
  <Block name="b" style-name="default" left="0" top="0" width="19cm" height="1cm" not-last-item="0"
      start-page="0" asblank="0" nowrap="0" space-after="2mm">
    <Text name="t" style-name="default" xml-element-name="@name" xml-property-name="name" left="0" top="0"
        width="5cm" height="1cm" not-last-item="0" start-page="0" font-italic="1"/>
    <Image name="i" left="6cm" width="2cm" height="2cm" data-from="base64" stretch="0" nowrap="1"
        border="1">iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGOQ96sEAAF2AOe2j1NWAAAAAElFTkSuQmCC</Image>
    <Line name="l" style-name="default" left="0" top="0" width="19cm" height="1mm" space-before="1mm"/>
    <Table name="tb" style-name="default" left="0" top="0" width="19cm" height="1cm" border="1">
      <Row name="r" header="1" asblank="0" nowrap="1" font-bold="1">
        <Text width="5cm">Name</Text>
      </Row>
      <Row xml-element-name="dog" nowrap="1">
        <Text xml-element-name="@name" width="5cm"/>
      </Row>
    </Table>
  </Block>
</XmlTemplateReport>
)";

TEST(DemoTemplateDtd, DeclaresEveryElementAndAttributeTheElementsRead) {
    ScratchDir scratch;
    fs::copy_file(kDemoDir / kDtdName, scratch / kDtdName);
    scratch.Write("every_attribute.qvrp", kEveryAttribute);
    scratch.Write("data.xml", "<dogs name=\"register\"><dog name=\"Rex\"/><dog name=\"Bella\"/></dogs>");
    const fs::path pdf = scratch / "out.pdf";
    const RunResult run =
        RunQuorvane({"render", scratch / "every_attribute.qvrp", scratch / "data.xml", "-o", pdf.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Name Rex Bella"), std::string::npos) << text;
    EXPECT_EQ(PdfImageCount(pdf), 1);
}

// The Russian demos are stored as their declarations say: windows-1251 bytes,
// which are not UTF-8 (their Cyrillic comes out right in the PDFs above).
TEST(DemoFiles, RussianDemosAreStoredInWindows1251) {
    for (const char* name : {"nakladn.qvrp", "nakladn.xml", "sfactura.qvrp", "sfactura.xml"}) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadFile(kDemoDir / name);
        EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"windows-1251\"?>", 0), 0u);
        // "№" is 0xB9 in windows-1251; in UTF-8 it would be E2 84 96.
        EXPECT_NE(bytes.find('\xB9'), std::string::npos);
        EXPECT_EQ(bytes.find("\xE2\x84\x96"), std::string::npos);
    }
}

}  // namespace
