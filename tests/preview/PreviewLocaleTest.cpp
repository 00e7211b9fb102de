// The print preview as a user in Germany, Russia or Turkey sees it: the
// preview program, a Qt program that takes its locale from the environment,
// must draw exactly the pixels it draws in the "C" locale, at every zoom state
// and with two pages.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestCommand.h"
#include "support/TestLocales.h"
#include "support/TestScratchDir.h"

namespace {

namespace fs = std::filesystem;

const char* const kShots[] = {"preview-zoom-out.png", "preview-zoom-middle.png", "preview-zoom-in.png",
                              "preview-two-pages.png"};

struct Report {
    std::string name;
    std::string templateFile;
    std::string dataFile;
};

// The template of upper-case names and units, decimal points, commas and
// colours, and the invoice whose cells have 0.8mm paddings.
std::vector<Report> Reports() {
    const std::string cli = std::string(QV_TEST_DATA) + "/cli/";
    const std::string demos = std::string(QV_SOURCE_DIR) + "/DemoFiles/";
    return {{"locale", cli + "locale.qvrp", cli + "locale.xml"},
            {"sfactura", demos + "sfactura.qvrp", demos + "sfactura.xml"}};
}

// The preview's screenshots of one report in one locale, into `folder`.
void Shoot(const std::string& locale, const qv::test::TestLocales& locales, const Report& report,
           const fs::path& folder) {
    fs::create_directories(folder);
    auto environment = qv::test::LocaleEnvironment(locale, locales);
    environment["QT_QPA_PLATFORM"] = "offscreen";
    // Under the leak checker, what glibc keeps of a named locale is not ours.
    environment["LSAN_OPTIONS"] = "suppressions=" + std::string(QV_SOURCE_DIR) + "/tests/support/lsan-locale.supp";
    // A report that fails in the program shows its message in a box that
    // waits for the user: a time limit turns that into a failure now.
    const qv::test::RunResult run = qv::test::RunProgram(
        "/usr/bin/timeout",
        {"60", QV_PREVIEW_EXE, "--screenshots", folder.string(), report.templateFile, report.dataFile}, environment);
    ASSERT_NE(run.status, 124) << locale << " " << report.name
                               << ": the preview did not finish in 60 s (a message box of a failed report?)";
    ASSERT_EQ(run.status, 0) << locale << " " << report.name << ": " << run.err;
}

QImage Shot(const fs::path& file) {
    return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
}

bool HasColor(const QImage& image, QRgb color) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (color & 0xffffff)) return true;
    return false;
}

TEST(PreviewLocale, ThePreviewDrawsTheSamePixelsInEveryLocale) {
    const qv::test::TestLocales locales = qv::test::MakeTestLocales();
    if (!locales.missing.empty()) GTEST_SKIP() << locales.missing << "; the locale tests are skipped";
    ASSERT_FALSE(::testing::Test::HasFailure()) << "the user locales could not be built";
    qv::test::ScratchDir dir;
    for (const Report& report : Reports()) {
        SCOPED_TRACE(report.name);
        const fs::path reference = dir.Path() / report.name / "C";
        Shoot("C", locales, report, reference);
        if (report.name == "locale") {
            // The page is drawn, with the boxed text's background colour.
            EXPECT_TRUE(HasColor(Shot(reference / "preview-zoom-in.png"), qRgb(0xff, 0xee, 0xdd)));
        }
        for (const std::string& locale : qv::test::UserLocales()) {
            // The environment the program gets does switch the C library
            // to the locale's rules, so that equal pixels prove something.
            ASSERT_EQ(qv::test::RunInLocale(locale, locales, [] {}), "");
            const fs::path folder = dir.Path() / report.name / locale;
            Shoot(locale, locales, report, folder);
            for (const char* shot : kShots) {
                const QImage expected = Shot(reference / shot), actual = Shot(folder / shot);
                ASSERT_FALSE(expected.isNull()) << shot;
                EXPECT_TRUE(expected == actual) << locale << ": " << shot << " differs from the C locale's";
            }
        }
    }
}

}  // namespace
