// The application's rules that need no window: which demos are listed, in
// which code page their files are shown, where the files are, the locale's
// code page, the recent-file list, the document string and command routing.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "demo/QvAppPaths.h"
#include "demo/QvDemoTable.h"
#include "demo/QvDocTemplate.h"
#include "demo/QvRecentFileList.h"
#include "demo/editor/QvCommandTarget.h"

namespace {

std::vector<std::string> Names(const std::vector<DemoEntry>& demos) {
    std::vector<std::string> names;
    for (const DemoEntry& demo : demos) names.push_back(demo.name);
    return names;
}

TEST(DemoTable, WesternCodePageListsTheSixDemosInTableOrder) {
    EXPECT_EQ(Names(ListedDemos(1252)),
              (std::vector<std::string>{"Blocks", "Table", "Table in Table", "UTF8", "Image from Base64", "Blank"}));
    EXPECT_EQ(ListedDemos(65001).size(), 6u);
}

TEST(DemoTable, CyrillicCodePageAddsTheThreeRussianDemosLast) {
    const std::vector<DemoEntry> demos = ListedDemos(1251);
    ASSERT_EQ(demos.size(), 9u);
    EXPECT_EQ(demos[6].name, "Накладная");
    EXPECT_EQ(demos[7].name, "Счёт фактура");
    EXPECT_EQ(demos[8].name, "Книга (в формате fb2)");
    EXPECT_EQ(demos[8].dataFile, "DemoFiles/sample_book.fb2");
    EXPECT_EQ(demos[8].templateFile, "DemoFiles/fb2.qvrp");
}

TEST(DemoTable, TheThreeDogDemosShareOneDataFile) {
    const std::vector<DemoEntry> demos = ListedDemos(1252);
    EXPECT_EQ(demos[0].dataFile, "DemoFiles/dogs.xml");
    EXPECT_EQ(demos[1].dataFile, demos[0].dataFile);
    EXPECT_EQ(demos[2].dataFile, demos[0].dataFile);
    EXPECT_NE(demos[1].templateFile, demos[2].templateFile);
}

TEST(DemoTable, EditorCodePageIsUtf8OnlyForTheUtf8DemoAndTheFb2Book) {
    struct Case {
        DemoEntry demo;
        int codePage;
    } cases[] = {
        {{"UTF8", "DemoFiles/utf8.xml", "DemoFiles/utf8.qvrp"}, 65001},
        {{"Книга (в формате fb2)", "DemoFiles/sample_book.fb2", "DemoFiles/fb2.qvrp"}, 65001},
        {{"Blocks", "DemoFiles/dogs.xml", "DemoFiles/dogs.qvrp"}, 0},
        {{"Накладная", "DemoFiles/nakladn.xml", "DemoFiles/nakladn.qvrp"}, 0},
        // Both comparisons are exact and case-sensitive.
        {{"utf8", "DemoFiles/utf8.xml", "DemoFiles/utf8.qvrp"}, 0},
        {{"Book", "x.xml", "DemoFiles/FB2.qvrp"}, 0},
        {{"Book", "x.xml", "DemoFiles/fb2.qvrp"}, 65001},
    };
    for (const Case& c : cases) EXPECT_EQ(EditorCodePage(c.demo), c.codePage) << c.demo.name;
}

TEST(DemoTable, UnicodeBytesUnderTheSingleByteDefaultAreShownAsUtf8) {
    const struct {
        int rule;
        const char* bytes;
        int shown;
    } cases[] = {
        {0, "<dog owner=\"Kemal \xC3\x96zt\xC3\xBCrk\"/>", 65001},  // UTF-8 beyond ASCII
        {0, "<dog owner=\"Jonas\"/>", 0},                           // plain ASCII: the rule
        {0, "<\xD2\xEE\xE2\xE0\xF0/>", 0},                          // windows-1251 bytes
        {0, "\xC3", 0},                                             // cut sequence
        {0, "\xE2\x82", 0},
        {0, "\xC0\x80", 0},  // overlong form
        {65001, "plain", 65001},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownCodePage(c.rule, c.bytes), c.shown) << c.bytes;
}

TEST(DemoTable, LocaleLanguageDecidesTheAnsiCodePage) {
    const std::pair<const char*, int> cases[] = {
        {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251},  {"be_BY.CP1251", 1251}, {"bg_BG@euro", 1251},
        {"sr_RS", 1251},       {"mk", 1251},     {"en_US.UTF-8", 1252},  {"C.UTF-8", 1252},
        {"POSIX", 1252},       {"rue_UA", 1252}, {"de_DE", 1252},        {"", 1252},
    };
    for (const auto& [locale, codePage] : cases) EXPECT_EQ(AnsiCodePageOfLocale(locale), codePage) << locale;
}

TEST(DemoTable, FirstSetLocaleVariableWins) {
    const QByteArray all = qgetenv("LC_ALL"), ctype = qgetenv("LC_CTYPE"), lang = qgetenv("LANG");
    qputenv("LC_ALL", "");
    qputenv("LC_CTYPE", "ru_RU.UTF-8");
    qputenv("LANG", "en_GB.UTF-8");
    EXPECT_EQ(SystemAnsiCodePage(), 1251);
    qputenv("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(SystemAnsiCodePage(), 1252);
    qputenv("LC_ALL", all);
    qputenv("LC_CTYPE", ctype);
    qputenv("LANG", lang);
}

TEST(AppPaths, SourceTabsGiveDataTemplateAndTheCommonDtd) {
    const DemoEntry table{"Table", "DemoFiles/dogs.xml", "DemoFiles/dogs_table.qvrp"};
    EXPECT_EQ(SourcePathForTab("/opt/q", table, 0), QString("/opt/q/DemoFiles/dogs.xml"));
    EXPECT_EQ(SourcePathForTab("/opt/q", table, 1), QString("/opt/q/DemoFiles/dogs_table.qvrp"));
    EXPECT_EQ(SourcePathForTab("/opt/q", table, 2), QString("/opt/q/DemoFiles/quorvane_v1.0.dtd"));
    EXPECT_FALSE(SourcePathForTab("/opt/q", table, 3));
    EXPECT_FALSE(SourcePathForTab("/opt/q", table, -1));
}

TEST(AppPaths, BackslashesOfADemoFileNameBecomeSlashes) {
    EXPECT_EQ(DemoPath("/opt/q", "DemoFiles\\dogs.xml"), QString("/opt/q/DemoFiles/dogs.xml"));
    EXPECT_EQ(ApplicationDirectoryOf("/opt/q/bin/quorvane-demo"), QString("/opt/q/bin"));
}

TEST(RecentFileList, NewestFirstNoRepeatsAtMostFour) {
    QvRecentFileList list(4);
    for (const char* path : {"/d/a.xml", "/d/b.xml", "/d/c.xml", "/d/b.xml", "/d/e.xml", "/d/f.xml"}) list.Add(path);
    EXPECT_EQ(list.Files(), (QStringList{"/d/f.xml", "/d/e.xml", "/d/b.xml", "/d/c.xml"}));
    list.Remove(1);
    EXPECT_EQ(list.Files(), (QStringList{"/d/f.xml", "/d/b.xml", "/d/c.xml"}));
    list.Remove(7);
    EXPECT_EQ(list.Files().size(), 3);
}

TEST(RecentFileList, SurvivesTheSettingsAndDropsStaleEntries) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
    QvRecentFileList list(4);
    for (const char* path : {"/d/1", "/d/2", "/d/3", "/d/4"}) list.Add(path);
    list.WriteTo(settings);
    QvRecentFileList shorter(4);
    shorter.Add("/d/9");
    shorter.WriteTo(settings);
    settings.sync();
    QvRecentFileList read(4);
    read.ReadFrom(settings);
    EXPECT_EQ(read.Files(), QStringList{"/d/9"});
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), QString("/d/9"));
    EXPECT_FALSE(settings.contains("Recent File List/File2"));
}

TEST(RecentFileList, MenuTextNumbersAndEscapesAndShortens) {
    EXPECT_EQ(QvRecentFileList::MenuText(0, "/d/R&D.xml"), QString("&1 /d/R&&D.xml"));
    const QString longPath = "/" + QString(100, 'x') + "/end.xml";
    const QString text = QvRecentFileList::MenuText(3, longPath);
    EXPECT_TRUE(text.startsWith("&4 /xxx"));
    EXPECT_TRUE(text.endsWith("/end.xml"));
    EXPECT_TRUE(text.contains("..."));
    EXPECT_LE(text.size(), 3 + 60);
}

TEST(DocTemplate, DocumentStringFields) {
    const QvDocTemplate type(kQvDocString);
    EXPECT_EQ(type.GetDocString(QvDocTemplate::windowTitle), QString());
    EXPECT_EQ(type.GetDocString(QvDocTemplate::docName), QString("QuorvaneDemo"));
    EXPECT_EQ(type.GetDocString(QvDocTemplate::regFileTypeName), QString("QuorvaneDemo.Document"));
    // No filter of its own: the file dialogs offer every file.
    EXPECT_EQ(type.FileDialogFilter(), QString("All Files (*)"));
    EXPECT_EQ(QvDocTemplate("\nX\nX\nReports (*.qvrp)\n.qvrp\n\n").FileDialogFilter(),
              QString("Reports (*.qvrp) (*.qvrp);;All Files (*)"));
}

// A target with a fixed set of handlers, for routing.
class FakeTarget : public QvCommandTarget {
public:
    FakeTarget(std::vector<int> handles, std::vector<std::pair<int, bool>> updates = {})
        : m_handles(std::move(handles)), m_updates(std::move(updates)) {}
    bool HasCommandHandler(int id) const override {
        return std::find(m_handles.begin(), m_handles.end(), id) != m_handles.end();
    }
    std::optional<bool> CommandUpdate(int id) const override {
        for (const auto& [i, enabled] : m_updates)
            if (i == id) return enabled;
        return std::nullopt;
    }
    bool OnCommand(int id) override {
        if (!HasCommandHandler(id)) return false;
        ran.push_back(id);
        return true;
    }
    std::vector<int> ran;

private:
    std::vector<int> m_handles;
    std::vector<std::pair<int, bool>> m_updates;
};

TEST(CommandRouting, FirstUpdateHandlerDecidesElseAnyCommandHandlerEnables) {
    FakeTarget view({1}, {{2, false}});  // Save-like: updated by the view, run by the document
    FakeTarget doc({2, 3});
    FakeTarget app({4});
    std::vector<QvCommandTarget*> route{&view, nullptr, &doc, &app};
    EXPECT_TRUE(RouteCommandEnabled(route, 1));
    EXPECT_FALSE(RouteCommandEnabled(route, 2));
    EXPECT_TRUE(RouteCommandEnabled(route, 3));
    EXPECT_TRUE(RouteCommandEnabled(route, 4));
    EXPECT_FALSE(RouteCommandEnabled(route, 5));  // nobody handles it: disabled, like New

    EXPECT_TRUE(RouteCommand(route, 3));
    EXPECT_FALSE(RouteCommand(route, 5));
    EXPECT_EQ(doc.ran, std::vector<int>{3});
    EXPECT_TRUE(app.ran.empty());

    // Without a view the view's commands are gone.
    std::vector<QvCommandTarget*> noView{nullptr, nullptr, &app};
    EXPECT_FALSE(RouteCommandEnabled(noView, 1));
}

}  // namespace
