// A Qt program takes the user's locale from the environment, and with it the C
// library's rules for numbers and letters. The engine must read every template
// and write every page byte for byte the same under de_DE, ru_RU and tr_TR as
// under "C": the dump of every demonstration report, and the drawings (PDF,
// SVG, PNG, PostScript) of a template that spells lengths with decimal points
// and commas, units and attribute names in upper case, and colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/QuorvaneCommand.h"
#include "support/TestLocales.h"
#include "support/TestScratchDir.h"

namespace {

namespace fs = std::filesystem;

using qv::test::ReadFile;

const fs::path kDemoDir = fs::path(QV_SOURCE_DIR) / "DemoFiles";
const fs::path kLocaleTemplate = fs::path(QV_TEST_DATA) / "cli" / "locale.qvrp";
const fs::path kLocaleData = fs::path(QV_TEST_DATA) / "cli" / "locale.xml";

struct Report {
    std::string name;
    fs::path templateFile;
    fs::path dataFile;
};

// Every demonstration report, and the template written for these tests.
std::vector<Report> Reports() {
    auto demo = [](const char* name, const char* templateFile, const char* dataFile) {
        return Report{name, kDemoDir / templateFile, kDemoDir / dataFile};
    };
    return {demo("dogs", "dogs.qvrp", "dogs.xml"),
            demo("dogs_table", "dogs_table.qvrp", "dogs.xml"),
            demo("dogs_table_in_table", "dogs_table_in_table.qvrp", "dogs.xml"),
            demo("utf8", "utf8.qvrp", "utf8.xml"),
            demo("base64", "base64.qvrp", "base64.xml"),
            demo("blank", "blank.qvrp", "blank.xml"),
            demo("nakladn", "nakladn.qvrp", "nakladn.xml"),
            demo("sfactura", "sfactura.qvrp", "sfactura.xml"),
            demo("fb2", "fb2.qvrp", "sample_book.fb2"),
            {"locale", kLocaleTemplate, kLocaleData}};
}

// The quorvane command run inside this process, so that it sees the locale
// the test has set; its standard output, or an exception with its messages.
std::string Quorvane(std::vector<std::string> args) {
    args.insert(args.begin(), "quorvane");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    const int status = RunQuorvane(static_cast<int>(args.size()), argv.data(), out, err);
    if (status != kExitOk)
        throw std::runtime_error("quorvane " + args[1] + " " + args[2] + " failed with " + std::to_string(status) +
                                 ": " + err.str());
    return out.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

// What one locale makes of the reports, as files in `folder`: the dump of
// each, and the locale template and the invoice (whose paddings are 0.8mm)
// drawn in every output format.
void MakeEverything(const fs::path& folder) {
    fs::create_directories(folder);
    for (const Report& report : Reports())
        WriteText(folder / (report.name + ".json"),
                  Quorvane({"dump", report.templateFile.string(), report.dataFile.string()}));
    for (const Report& report : Reports()) {
        if (report.name != "locale" && report.name != "sfactura") continue;
        for (const char* extension : {".pdf", ".svg", ".ps"})
            Quorvane({"render", report.templateFile.string(), report.dataFile.string(), "-o",
                      (folder / (report.name + extension)).string()});
        Quorvane({"render", report.templateFile.string(), report.dataFile.string(), "-o",
                  (folder / (report.name + ".png")).string(), "--dpi", "72"});
    }
}

// The file as it must agree between locales: PostScript carries the time it
// was made, which is left out.
std::string Comparable(const fs::path& file) {
    std::string text = ReadFile(file);
    if (file.extension() != ".ps") return text;
    const size_t date = text.find("%%CreationDate:");
    if (date != std::string::npos) text.erase(date, text.find('\n', date) - date);
    return text;
}

std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Where two texts first differ, with a little of each around it.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    const auto differ = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
    const size_t at = static_cast<size_t>(differ - expected.begin());
    const size_t from = at > 60 ? at - 60 : 0;
    auto around = [from](const std::string& text) { return from < text.size() ? text.substr(from, 120) : ""; };
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at byte " + std::to_string(at) + ":\n  C:      " + around(expected) +
           "\n  locale: " + around(actual);
}

// The first text piece whose text starts with `start`, or null.
const nlohmann::json* TextPiece(const nlohmann::json& dump, const std::string& start) {
    for (const auto& page : dump["pages"])
        for (const auto& piece : page["pieces"])
            if (piece["kind"] == "text" && piece["text"].get<std::string>().rfind(start, 0) == 0) return &piece;
    return nullptr;
}

class LocaleIndependence : public ::testing::Test {
protected:
    void SetUp() override {
        m_locales = qv::test::MakeTestLocales();
        if (!m_locales.missing.empty()) GTEST_SKIP() << m_locales.missing << "; the locale tests are skipped";
        ASSERT_FALSE(HasFailure()) << "the user locales could not be built";
    }

    qv::test::TestLocales m_locales;
    qv::test::ScratchDir m_dir;
};

TEST_F(LocaleIndependence, TheCLocaleReadsTheTemplatesLengthsUnitsAndNames) {
    // The reference the other locales are compared with must itself be right.
    const fs::path file = m_dir.Path() / "locale.json";
    const std::string problem = qv::test::RunInLocale("C", m_locales, [&] {
        WriteText(file, Quorvane({"dump", kLocaleTemplate.string(), kLocaleData.string()}));
    });
    ASSERT_EQ(problem, "");
    const nlohmann::json dump = nlohmann::json::parse(ReadFile(file));
    // 21cm by 14.8CM; the margins 1.5cm, 0.5IN, 12,5mm and 1In.
    EXPECT_EQ(dump["paper"], nlohmann::json::array({2100, 1480}));
    EXPECT_EQ(dump["bodyArea"], nlohmann::json::array({150, 127, 2100 - 125, 1480 - 254}));
    struct Expected {
        const char* text;
        std::vector<int> outer, content;
    };
    const Expected expected[] = {
        // LEFT="2IN" WIDTH="7.5cm" right of the margin, SPACE-BEFORE="10PT"
        // below the 1.5cm header, PADDING-LEFT="0.25IN" (and a named
        // style's own 1mm elsewhere).
        {"Right-aligned", {658, -307, 1408, -427}, {658 + 63, -317, 1408 - 10, -417}},
        // WIDTH="1.5cm", not one centimetre; 0.8mm paddings, not none.
        {"narrow", {300, -277, 450, -461}, {308, -285, 442, -453}},
        // LEFT="1.2pc", Padding-Top="1.2mm", PADDING-BOTTOM="2,4mm".
        {"K\xC3\xB6ln", {200, -573, 650, -643}, {210, -585, 640, -619}},
    };
    for (const Expected& e : expected) {
        const nlohmann::json* piece = TextPiece(dump, e.text);
        ASSERT_NE(piece, nullptr) << e.text;
        EXPECT_EQ((*piece)["outer"].get<std::vector<int>>(), e.outer) << e.text;
        EXPECT_EQ((*piece)["content"].get<std::vector<int>>(), e.content) << e.text;
    }
}

TEST_F(LocaleIndependence, DumpsAndDrawingsAreTheSameInEveryLocale) {
    const fs::path reference = m_dir.Path() / "C";
    ASSERT_EQ(qv::test::RunInLocale("C", m_locales, [&] { MakeEverything(reference); }), "");
    const std::vector<std::string> names = FileNames(reference);
    ASSERT_GE(names.size(), Reports().size() + 8);
    for (const std::string& locale : qv::test::UserLocales()) {
        SCOPED_TRACE(locale);
        const fs::path folder = m_dir.Path() / locale;
        ASSERT_EQ(qv::test::RunInLocale(locale, m_locales, [&] { MakeEverything(folder); }), "");
        ASSERT_EQ(FileNames(folder), names);
        for (const std::string& name : names) {
            const std::string expected = Comparable(reference / name), actual = Comparable(folder / name);
            ASSERT_FALSE(expected.empty()) << name;
            EXPECT_TRUE(expected == actual)
                << name << " differs from the C locale's: " << FirstDifference(expected, actual);
        }
    }
}

}  // namespace
