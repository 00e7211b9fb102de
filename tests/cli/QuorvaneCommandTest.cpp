// The quorvane command as scripts see it: the program is started as a process
// and judged by its exit status, its standard streams and the files it leaves.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliTestFiles.h"
#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

using qv::test::CliFixture;

namespace fs = std::filesystem;

using qv::test::Capture;
using qv::test::ReadFile;
using qv::test::RunResult;
using qv::test::ScratchDir;

// Runs quorvane with stdout and stderr in files (so stderr is not a terminal).
RunResult RunQuorvane(const std::vector<std::string>& args) { return qv::test::RunProgram(QV_QUORVANE_EXE, args); }

// The message the report itself raises for these files, for comparison.
std::string ReportError(const std::string& templatePath, const std::string& dataPath) {
    try {
        CqvReport report(dataPath, templatePath);
        report.LoadAll();
    } catch (const CqvEx& error) {
        return error.Message();
    }
    ADD_FAILURE() << "the report loads";
    return {};
}

TEST(QuorvaneDump, TwoBoundDogsGiveTwoTextPiecesOneBelowTheOther) {
    const RunResult run = RunQuorvane({"dump", CliFixture("two_dogs.qvrp"), CliFixture("two_dogs.xml")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto json = nlohmann::ordered_json::parse(run.out);

    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"pageCount", "paper", "bodyArea", "pages"}));
    EXPECT_EQ(json["pageCount"], 1);
    EXPECT_EQ(json["paper"], nlohmann::ordered_json::parse("[2100, 2970]"));
    EXPECT_EQ(json["bodyArea"], nlohmann::ordered_json::parse("[0, 0, 2100, 2970]"));
    ASSERT_EQ(json["pages"].size(), 1u);
    EXPECT_EQ(json["pages"][0]["number"], 1);

    const auto& pieces = json["pages"][0]["pieces"];
    ASSERT_EQ(pieces.size(), 2u);
    keys.clear();
    for (const auto& item : pieces[0].items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"kind", "outer", "content", "frameOnly", "text", "hasPageCount"}));
    // A page's text is its words, each followed by one space.
    EXPECT_EQ(pieces[0]["text"], "one ");
    EXPECT_EQ(pieces[1]["text"], "two ");
    for (const auto& piece : pieces) {
        EXPECT_EQ(piece["kind"], "text");
        EXPECT_EQ(piece["frameOnly"], false);
        EXPECT_EQ(piece["hasPageCount"], false);
        EXPECT_EQ(piece["outer"][1].get<int>() - piece["outer"][3].get<int>(), 70);  // 10 + one line 50 + 10
    }
    EXPECT_EQ(pieces[0]["outer"], nlohmann::ordered_json::parse("[0, 0, 500, -70]"));
    EXPECT_EQ(pieces[0]["content"], nlohmann::ordered_json::parse("[10, -10, 490, -60]"));
    // The second starts below the first's space-after of 10.
    EXPECT_EQ(pieces[1]["outer"][1].get<int>(), pieces[0]["outer"][3].get<int>() - 10);
}

// Data files in the two code pages whose converter holds a letter back until
// it knows whether a combining mark follows. Each byte is one character, so
// the points and tone marks arrive as the combining characters they are.
TEST(QuorvaneDump, HebrewAndVietnameseCodePagesGiveTheirCharacters) {
    struct Case {
        const char* data;
        const char* first;
        const char* second;
    } cases[] = {
        {"dogs_1255.xml", "\u05E9\u05C1\u05B8\u05DC\u05D5\u05B9\u05DD ", "\u05DB\u05DC\u05D1 "},
        {"dogs_1258.xml", "H\u00E0 N\u00F4\u0323i ", "\u0110\u00E0 N\u0103\u0303ng "},
    };
    for (const Case& c : cases) {
        const RunResult run = RunQuorvane({"dump", CliFixture("two_dogs.qvrp"), CliFixture(c.data)});
        ASSERT_EQ(run.status, 0) << c.data << ": " << run.err;
        const auto json = nlohmann::ordered_json::parse(run.out);
        const auto& pieces = json["pages"][0]["pieces"];
        ASSERT_EQ(pieces.size(), 2u) << c.data;
        EXPECT_EQ(pieces[0]["text"], c.first) << c.data;
        EXPECT_EQ(pieces[1]["text"], c.second) << c.data;
    }
}

TEST(QuorvaneRender, AThreePageReportIsAThreePageA4PdfWithItsText) {
    ScratchDir dir;
    const std::string pdf = dir / "report.pdf";
    const RunResult run =
        RunQuorvane({"render", CliFixture("three_pages.qvrp"), CliFixture("three_pages.xml"), "-o", pdf});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no progress line when stderr is not a terminal
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"report.pdf"}));

    const std::string info = Capture("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           3\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       595.276 x 841.89 pts (A4)"), std::string::npos) << info;

    const std::string text = Capture("pdftotext -layout '" + pdf + "' -");
    std::istringstream pages(text);
    std::vector<std::string> pageTexts;
    for (std::string page; std::getline(pages, page, '\f');) pageTexts.push_back(page);
    ASSERT_GE(pageTexts.size(), 3u) << text;
    const char* sections[] = {"Alpha kennel opened in spring.", "Beta feeding plan changed twice.",
                              "Gamma walks start at seven."};
    for (int page = 1; page <= 3; ++page) {
        const std::string& onPage = pageTexts[page - 1];
        EXPECT_NE(onPage.find("Quarterly kennel report"), std::string::npos) << onPage;
        EXPECT_NE(onPage.find(sections[page - 1]), std::string::npos) << onPage;
        EXPECT_NE(onPage.find("Page " + std::to_string(page) + " of 3"), std::string::npos) << onPage;
        EXPECT_EQ(onPage.find("qv_pages"), std::string::npos) << onPage;
    }

    // Pages deflated on one thread only: the same file, byte for byte.
    const std::string single = dir / "single.pdf";
    ASSERT_EQ(RunQuorvane({"render", "--threads", "1", CliFixture("three_pages.qvrp"), CliFixture("three_pages.xml"),
                           "-o", single})
                  .status,
              0);
    EXPECT_TRUE(ReadFile(single) == ReadFile(pdf));
}

// A report naming Windows families that fontconfig alone resolves to a Type 1
// file, a dingbat font or an italic script, and one that does not exist,
// prints every text back with TrueType or OpenType faces only, the
// metric-compatible ones where they exist; ideographs come from a CJK face.
TEST(QuorvaneRender, EveryFontFamilyPrintsWithAnOutlineFaceAndEveryCharacterComesBack) {
    ScratchDir dir;
    const std::string pdf = dir / "families.pdf";
    const RunResult run =
        RunQuorvane({"render", CliFixture("font_families.qvrp"), CliFixture("font_families.xml"), "-o", pdf});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string text = Capture("pdftotext '" + pdf + "' -");
    std::istringstream textLines(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(textLines, line);)
        if (!line.empty() && line != "\f") lines.push_back(line);
    const std::vector<std::string> expected = {
        "Arial: A漢B字C",         "Arial Narrow: narrow columns", "Impact: a headline",   "Calibri: body text",
        "Comic Sans MS: upright", "No such family: 漢字 ★ ✓",     "Cambria bold: A漢B字C"};
    EXPECT_EQ(lines, expected) << text;

    const std::string fonts = Capture("pdffonts '" + pdf + "'");
    std::istringstream fontLines(fonts);
    std::vector<std::string> faces;
    for (std::string line; std::getline(fontLines, line);) {
        if (line.find('+') != 6) continue;
        faces.push_back(line.substr(7, line.find(' ') - 7));
        EXPECT_NE(line.find("CID TrueType"), std::string::npos) << line;
    }
    std::sort(faces.begin(), faces.end());
    const std::vector<std::string> expectedFaces = {
        "Caladea-Bold", "Carlito", "DejaVuSans", "LiberationSans", "LiberationSansNarrow", "WenQuanYiMicroHei"};
    EXPECT_EQ(faces, expectedFaces) << fonts;
}

TEST(QuorvaneRender, PerPageFormatsNameOneFilePerPage) {
    ScratchDir dir;
    ASSERT_EQ(RunQuorvane({"render", CliFixture("three_pages.qvrp"), CliFixture("three_pages.xml"), "-o", dir / "p.png",
                           "--dpi", "30"})
                  .status,
              0);
    ASSERT_EQ(
        RunQuorvane({"render", CliFixture("two_dogs.qvrp"), CliFixture("two_dogs.xml"), "-o", dir / "one.SVG"}).status,
        0);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"one.SVG", "p-1.png", "p-2.png", "p-3.png"}));
    const std::string png = ReadFile(dir.Path() / "p-2.png");
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    // 210 mm at 30 dpi is 248 pixels wide.
    EXPECT_EQ(static_cast<unsigned char>(png[18]) * 256 + static_cast<unsigned char>(png[19]), 248);
}

TEST(QuorvaneRender, TimingsGiveOneLineWithEachPhaseAndThePages) {
    ScratchDir dir;
    const RunResult run = RunQuorvane(
        {"render", "--timings", CliFixture("three_pages.qvrp"), CliFixture("three_pages.xml"), "-o", dir / "t.pdf"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"t.pdf"}));
    double loading = -1, layout = -1, drawing = -1;
    size_t pages = 0;
    ASSERT_EQ(std::sscanf(run.err.c_str(), "timings: loading %lf s, layout %lf s, drawing %lf s, %zu pages", &loading,
                          &layout, &drawing, &pages),
              4)
        << run.err;
    EXPECT_EQ(pages, 3u);
    EXPECT_GE(loading, 0.0);
    EXPECT_GE(layout, 0.0);
    EXPECT_GT(drawing, 0.0);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
}

TEST(QuorvaneRender, AReportErrorIsItsMessageAloneAndLeavesNoFile) {
    struct Case {
        std::string templatePath;
        std::string dataPath;
        std::string message;  // empty: the message the report raises when loading
    };
    ScratchDir dir;
    const Case cases[] = {
        {CliFixture("two_dogs.qvrp"), dir / "missing.xml", ""},
        {CliFixture("two_dogs.xml"), CliFixture("two_dogs.xml"), ""},  // not a template
        {CliFixture("too_many_pages.qvrp"), CliFixture("three_pages.xml"), "Pages > 'max-pages' 2"},
    };
    for (const Case& c : cases) {
        const std::string expected = c.message.empty() ? ReportError(c.templatePath, c.dataPath) : c.message;
        for (const std::string out : {"out.pdf", "out.png"}) {
            const RunResult run = RunQuorvane({"render", c.templatePath, c.dataPath, "-o", dir / out});
            EXPECT_EQ(run.status, 1) << expected;
            EXPECT_EQ(run.err, expected + "\n");
            EXPECT_EQ(run.out, "");
            EXPECT_TRUE(dir.Files().empty()) << out << ": " << dir.Files().front();
        }
        const RunResult dump = RunQuorvane({"dump", c.templatePath, c.dataPath});
        EXPECT_EQ(dump.status, 1);
        EXPECT_EQ(dump.err, expected + "\n");
        EXPECT_EQ(dump.out, "");
    }
}

TEST(QuorvaneCommand, UsageErrorsExitWithTwoAndWriteNothing) {
    ScratchDir dir;
    const std::string t = CliFixture("two_dogs.qvrp"), d = CliFixture("two_dogs.xml");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"paint", t, d},
        {"render", t, d},
        {"render", t, "-o", dir / "x.pdf"},
        {"render", t, d, "-o", dir / "x.txt"},
        {"render", t, d, "-o", dir / "x"},
        {"render", t, d, "-o", dir / "x.png", "--dpi", "0"},
        {"render", t, d, "-o", dir / "x.png", "--dpi", "many"},
        {"render", t, d, "-o", dir / "x.pdf", "--threads", "0"},
        {"dump", t},
        {"dump", t, d, "extra"},
        {"dump", t, d, "--untrusted", "--trusted-data"},
        {"--colour"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& arg : args) line += arg + " ";
        const RunResult run = RunQuorvane(args);
        EXPECT_EQ(run.status, 2) << line;
        EXPECT_FALSE(run.err.empty()) << line;
        EXPECT_EQ(run.out, "") << line;
    }
    EXPECT_TRUE(dir.Files().empty());
}

TEST(QuorvaneCommand, HelpAndVersionSucceed) {
    const RunResult help = RunQuorvane({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"render", "dump", "print", "--version"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    const RunResult renderHelp = RunQuorvane({"render", "--help"});
    EXPECT_EQ(renderHelp.status, 0);
    EXPECT_NE(renderHelp.out.find("--dpi"), std::string::npos);

    const RunResult version = RunQuorvane({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("quorvane ") + QV_PROJECT_VERSION + "\n");
}

// On a terminal the phases and pages show on one line that is cleared at the end.
TEST(QuorvaneCommand, ATerminalSeesTheProgressLine) {
    ScratchDir dir;
    const std::string pdf = dir / "report.pdf";
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const std::string t = CliFixture("three_pages.qvrp"), d = CliFixture("three_pages.xml");
        execl(QV_QUORVANE_EXE, QV_QUORVANE_EXE, "render", t.c_str(), d.c_str(), "-o", pdf.c_str(), nullptr);
        _exit(127);
    }
    std::string seen;
    char buffer[1024];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) seen.append(buffer, static_cast<size_t>(n));
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << seen;
    // Layout names each page as it breaks it.
    EXPECT_NE(seen.find("Prepare print three_pages.xml: page 2"), std::string::npos) << seen;
    EXPECT_NE(seen.find("Render report.pdf: page 3 of 3"), std::string::npos) << seen;
    // The last thing written clears the line.
    EXPECT_TRUE(seen.ends_with("\r\033[K")) << seen;
    EXPECT_TRUE(fs::exists(pdf));
}

// The data file reaches a secret outside its folder through an entity, and
// names a picture outside the template's folder. Only --trusted-data lets it.
TEST(QuorvaneCommand, DataTrustDecidesWhatTheDataMayReach) {
    ScratchDir outside, dir;
    const std::string secret = outside.Write("secret.txt", "SECRET of the machine");
    const std::string report = dir.Write(
        "report.qvrp",
        "<XmlTemplateReport><Styles><Style name=\"default\" font-family=\"Arial\" font-size=\"10\"/></Styles><PageHeader height=\"0\"/><PageFooter height=\"0\"/><Block>"
        "<Text width=\"100mm\">[%s%]</Text></Block></XmlTemplateReport>");
    const std::string data =
        dir.Write("data.xml", "<!DOCTYPE root [<!ENTITY e SYSTEM \"" + secret + "\">]><root><s>&e;</s></root>");
    const std::string refused = "The external DTD or entity '" + secret + "' of the file 'data.xml' is refused: ";
    const struct {
        std::vector<std::string> options;
        int status;
        std::string err;
    } cases[] = {
        {{}, 1, refused + "it lies outside the data file's folder\n"},
        {{"--untrusted"}, 1, refused + "this data may not refer to other files\n"},
        {{"--trusted-data"}, 0, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"dump", report, data};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunResult run = RunQuorvane(args);
        const std::string mode = c.options.empty() ? "default" : c.options[0];
        EXPECT_EQ(run.status, c.status) << mode;
        EXPECT_EQ(run.err, c.err) << mode;
        EXPECT_EQ(run.out.find("SECRET") != std::string::npos, c.status == 0) << mode;
    }
}

// SIGTERM in the middle of a long layout ends the command within a second,
// with exit 130 and nothing at OUT.
TEST(QuorvaneCommand, SigtermIsObeyedWithinASecond) {
    ScratchDir dir;
    const std::string report =
        dir.Write("rows.qvrp",
                  "<XmlTemplateReport max-pages=\"1000000\"><Styles><Style name=\"default\" font-family=\"Arial\" "
                  "font-size=\"10\"/></Styles><PageHeader height=\"0\"/><PageFooter height=\"0\"/>"
                  "<Block xml-element-name=\"row\"><Text xml-element-name=\"@n\" width=\"20mm\"/>"
                  "<Text xml-element-name=\".\" left=\"20mm\" width=\"150mm\"/></Block></XmlTemplateReport>");
    std::string rows = "<root>";
    // Enough rows that an idle machine is still laying them out when the
    // signal comes: 400,000 took 1.5 s, as long as the wait, and the command
    // sometimes finished first.
    for (int i = 0; i < 1600000; ++i) rows += "<row n='" + std::to_string(i) + "'>Row of the data</row>";
    const std::string data = dir.Write("rows.xml", rows + "</root>");
    const std::string out = dir / "out.pdf";

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDERR_FILENO);
        execl(QV_QUORVANE_EXE, QV_QUORVANE_EXE, "render", report.c_str(), data.c_str(), "-o", out.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    usleep(1500 * 1000);  // well into the layout of 1,600,000 rows
    kill(child, SIGTERM);
    const auto sent = std::chrono::steady_clock::now();
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() - sent < std::chrono::seconds(10))
        usleep(10 * 1000);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    ASSERT_EQ(done, child) << "SIGTERM ignored for 10 s";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_LT(seconds, 1.0);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"rows.qvrp", "rows.xml"}));
}

// A shorter PNG series replaces a longer one whole; a failing run leaves the
// earlier series as it was.
TEST(QuorvaneRender, APngSeriesRemovesStalePagesOnlyWhenComplete) {
    ScratchDir dir;
    ASSERT_EQ(RunQuorvane({"render", CliFixture("three_pages.qvrp"), CliFixture("three_pages.xml"), "-o", dir / "p.png",
                           "--dpi", "20"})
                  .status,
              0);
    const std::string before = ReadFile(dir.Path() / "p-3.png");
    EXPECT_EQ(RunQuorvane({"render", CliFixture("too_many_pages.qvrp"), CliFixture("three_pages.xml"), "-o",
                           dir / "p.png", "--dpi", "20"})
                  .status,
              1);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"p-1.png", "p-2.png", "p-3.png"}));
    EXPECT_EQ(ReadFile(dir.Path() / "p-3.png"), before);
    ASSERT_EQ(RunQuorvane({"render", CliFixture("two_dogs.qvrp"), CliFixture("two_dogs.xml"), "-o", dir / "p.png",
                           "--dpi", "20"})
                  .status,
              0);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"p.png"}));
}

}  // namespace
