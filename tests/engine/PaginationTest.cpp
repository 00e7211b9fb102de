// The page loop, page drawing and the print and preview flows through the host.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "common/CqvEx.h"
#include "render/RecordingSurface.h"

using namespace qvtest;

namespace {

// Body: y from 50 to 950. Three items of 600 need three pages.
class Pagination : public ::testing::Test {
protected:
    CqvReport& Load(const std::string& rootAttributes = "", PrintHost* host = nullptr, const std::string& header = "") {
        std::string text = SimpleTemplate("<Block name=\"body\"/>", rootAttributes);
        if (!header.empty()) text.replace(text.find("<PageHeader height=\"5mm\"/>"), 26, header);
        m_report = LoadReport(m_dir, text, "<root/>", host);
        return *m_report;
    }
    void AddThreePages() {
        CqvBlock& body = BlockNamed(*m_report, "body");
        for (const char* name : {"b1", "b2", "b3"}) AddFixed(body, name, 0, 1000, 600);
    }
    void AddHeaderAndFooterItems() {
        AddFixed(m_report->PageHeader(), "h", 0, 1000, 30);
        AddFixed(m_report->PageFooter(), "f", 0, 1000, 40);
    }

    SettingsGuard m_settings;
    ScratchDir m_dir;
    std::unique_ptr<CqvReport> m_report;
};

TEST_F(Pagination, HeaderAndFooterAreLaidOutOnEveryPage) {
    CqvReport& report = Load();
    AddThreePages();
    AddHeaderAndFooterItems();
    Prepare(report);

    ASSERT_EQ(report.PageCount(), 3u);
    EXPECT_EQ(QvSettings::Instance().pageCount, 3u);
    EXPECT_EQ(report.PrintInfo().maxPage, 3u);
    EXPECT_EQ(report.PrintInfo().currentPage, 1u);
    for (size_t page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        const std::string body = "b" + std::to_string(page);
        EXPECT_EQ(LabelsOnPage(report, page), (std::vector<std::string>{"h", body, "f"}));
    }
    for (const Placed& p : PlacedPieces(report)) {
        if (p.label == "h") {
            EXPECT_EQ(p.outer.top, 0);
        } else if (p.label == "f") {
            // At the body's bottom; the footer's items may use the footer's height.
            EXPECT_EQ(p.outer.top, -950);
            EXPECT_EQ(p.outer.bottom, -990);
        } else {
            EXPECT_EQ(p.outer.top, -50);
        }
    }
}

TEST_F(Pagination, TheHeadersDeclaredHeightDecidesWhereTheBodyStarts) {
    CqvReport& report = Load("", nullptr, "<PageHeader height=\"12mm\"/>");
    AddFixed(report.PageHeader(), "tall", 0, 1000, 300);  // taller than declared
    AddFixed(BlockNamed(report, "body"), "first", 0, 1000, 100);
    Prepare(report);
    EXPECT_EQ(Find(report, "first").outer.top, -120);
}

TEST_F(Pagination, ABodyItemStopsAtTheBodyWhereAFooterItemMayGoOn) {
    CqvReport& report = Load();
    AddFixed(report.PageFooter(), "f", 0, 1000, 50);  // 950 + 50 = the printable bottom
    AddFixed(BlockNamed(report, "body"), "fits", 0, 1000, 900);
    AddFixed(BlockNamed(report, "body"), "nextPage", 0, 1000, 1);
    Prepare(report);
    EXPECT_EQ(LabelsOnPage(report, 1), (std::vector<std::string>{"fits", "f"}));
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"nextPage", "f"}));
}

TEST_F(Pagination, TopLevelBlocksFollowEachOther) {
    m_report = LoadReport(m_dir, SimpleTemplate("<Block name=\"one\"/><Block name=\"empty\"/>"
                                                "<Block name=\"two\"/>"));
    AddFixed(BlockNamed(*m_report, "one"), "a", 0, 1000, 100).Style().m_nSpaceAfter = 20;
    AddFixed(BlockNamed(*m_report, "two"), "b", 0, 1000, 100);
    Prepare(*m_report);
    EXPECT_EQ(Find(*m_report, "b").outer.top, -170);
}

TEST_F(Pagination, MaxPagesLimitsThePageCount) {
    struct Case {
        const char* maxPages;
        const char* message;
    };
    for (const Case& c : {Case{"1", "Pages > 'max-pages' 1"}, Case{"-5", "Pages > 'max-pages' -5"},
                          Case{" 2", "Pages > 'max-pages' 2"}}) {
        SCOPED_TRACE(c.maxPages);
        CqvReport& report = Load(std::string("max-pages=\"") + c.maxPages + "\"");
        AddThreePages();
        try {
            Prepare(report);
            ADD_FAILURE() << "no error";
        } catch (const CqvEx& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    // Exactly as many pages as allowed is fine.
    CqvReport& report = Load("max-pages=\"3\"");
    AddThreePages();
    Prepare(report);
    EXPECT_EQ(report.PageCount(), 3u);
}

TEST_F(Pagination, AnItemThatNeverFitsRunsIntoTheLimit) {
    CqvReport& report = Load();
    AddFixed(BlockNamed(report, "body"), "huge", 0, 1000, 5000);
    EXPECT_THROW(Prepare(report), CqvEx);
    EXPECT_EQ(report.CurrentPage(), 101u);
}

bool SameCalls(const std::vector<RecordedCall>& a, const std::vector<RecordedCall>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].x != b[i].x || a[i].y != b[i].y || !(a[i].rect == b[i].rect) ||
            a[i].color != b[i].color)
            return false;
    }
    return true;
}

TEST_F(Pagination, DrawingAPageTwiceGivesTheSameOutputAndLaysNothingOut) {
    CqvReport& report = Load();
    AddThreePages();
    AddHeaderAndFooterItems();
    Prepare(report);
    const int layoutCalls = FixedItem::s_layoutCalls;

    QvPrintInfo info = report.PrintInfo();
    for (uint32_t page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        info.currentPage = page;
        RecordingSurface first, second;
        report.DrawPage(first, info);
        report.DrawPage(second, info);
        EXPECT_EQ(report.CurrentPage(), page);
        EXPECT_EQ(report.PrintInfo().currentPage, page);  // copied into the report's own
        // Three pieces, each a fill and a line.
        EXPECT_EQ(first.CallsOf(RecordedCall::Kind::FillSolidRect).size(), 3u);
        EXPECT_TRUE(SameCalls(first.Calls(), second.Calls()));
    }
    EXPECT_EQ(FixedItem::s_layoutCalls, layoutCalls);

    for (uint32_t page : {0u, 4u}) {
        info.currentPage = page;
        RecordingSurface surface;
        report.DrawPage(surface, info);
        EXPECT_TRUE(surface.Calls().empty()) << page;
    }
}

TEST_F(Pagination, PreparingAgainGivesTheSamePages) {
    CqvReport& report = Load();
    AddThreePages();
    Prepare(report);
    const auto first = PlacedPieces(report);
    Prepare(report);
    const auto second = PlacedPieces(report);
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].page, second[i].page);
        EXPECT_EQ(first[i].label, second[i].label);
        EXPECT_EQ(first[i].outer, second[i].outer);
    }
}

// ---- the host ------------------------------------------------------------------

struct HostLog {
    std::vector<std::string> events;
    void Add(std::string e) { events.push_back(std::move(e)); }
    bool Has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
    size_t Count(const std::string& e) const {
        return static_cast<size_t>(std::count(events.begin(), events.end(), e));
    }
};

class LoggingProgress : public Progress {
public:
    LoggingProgress(HostLog& log, int abortAfter) : m_log(log), m_nAbortAfter(abortAfter) {}
    void SetItemText(int item, const std::string& text) override { m_log.Add(std::to_string(item) + "=" + text); }
    void Show() override { m_log.Add("show"); }
    bool AbortCheck() override {
        if (m_nAbortAfter >= 0 && m_nChecks++ >= m_nAbortAfter) {
            QvSettings::Instance().abort = true;
            return false;
        }
        return true;
    }

private:
    HostLog& m_log;
    int m_nAbortAfter;
    int m_nChecks = 0;
};

class FakeHost : public PrintHost {
public:
    bool hasPrinter = true;
    bool confirm = true;
    bool startOk = true;
    int failEndPage = 0;         // page whose end fails (0: none)
    int abortPrepareAfter = -1;  // abort checks that pass during PreparePages
    int previewResult = kPreviewResultClose;
    QvDevMode shownMode;
    HostLog log;
    RecordingSurface printer;
    CqvReport* previewed = nullptr;

    bool DefaultPrinter(QvPrintDialog& dialog) override {
        log.Add("default");
        if (!hasPrinter) return false;
        dialog.deviceName = "Office";
        dialog.portName = "ipp://office";
        return true;
    }
    bool ShowPrintDialog(QvPrintDialog& dialog) override {
        log.Add("dialog");
        shownMode = dialog.devMode;
        dialog.deviceName = "Chosen";
        return confirm;
    }
    Surface* AttachPrinter(const QvPrintDialog& dialog) override {
        log.Add("attach " + dialog.deviceName);
        return &printer;
    }
    bool StartDoc(const std::string& name) override {
        log.Add("startdoc " + name);
        return startOk;
    }
    bool StartPage() override {
        log.Add("startpage");
        return true;
    }
    bool EndPage() override {
        ++m_nPages;
        log.Add("endpage");
        return m_nPages != failEndPage;
    }
    bool EndDoc() override {
        log.Add("enddoc");
        return true;
    }
    void AbortDoc() override { log.Add("abortdoc"); }
    void DetachPrinter() override { log.Add("detach"); }
    int RunPreviewDialog(CqvReport& report) override {
        log.Add("preview");
        previewed = &report;
        // The preview window lays the report out with its own record.
        QvPrintInfo info;
        info.dialog.deviceName = "PreviewPrinter";
        report.PreparePages(printer, info);
        return previewResult;
    }
    std::unique_ptr<Progress> CreateProgress() override {
        const int abortAfter = m_nProgresses++ == 0 ? abortPrepareAfter : -1;
        return std::make_unique<LoggingProgress>(log, abortAfter);
    }

private:
    int m_nPages = 0;
    int m_nProgresses = 0;
};

// The print tests load their reports inside Print, so the pages must come from
// the template alone: every Text finishes as a leaf (the page is then used) and
// the two marked with start-page each open a new page: three pages.
class PrintFlow : public ::testing::Test {
protected:
    PrintFlow() {
        m_templatePath =
            m_dir.Write("report.qvrp", SimpleTemplate("<Block name=\"body\"><Text/><Text start-page=\"1\"/>"
                                                      "<Text start-page=\"1\"/></Block>"));
        m_emptyPath = m_dir.Write("empty.qvrp", SimpleTemplate("<Block name=\"body\"/>"));
        m_dataPath = m_dir.Write("data.xml", "<?xml version=\"1.0\"?><root/>");
    }

    SettingsGuard m_settings;
    ScratchDir m_dir;
    std::string m_templatePath;
    std::string m_emptyPath;
    std::string m_dataPath;
};

TEST_F(PrintFlow, ProgressShowsPhaseDocumentPrinterAndPage) {
    FakeHost host;
    CqvReport report(m_dataPath, m_emptyPath, &host);
    report.LoadAll();
    AddFixed(BlockNamed(report, "body"), "a", 0, 1000, 600);
    AddFixed(BlockNamed(report, "body"), "b", 0, 1000, 600);
    QvPrintInfo info;
    info.dialog.deviceName = "Own";
    QvPrintDialog confirmed{"Confirmed", "lp0", {}};
    info.userData = &confirmed;
    RecordingSurface surface;
    report.PreparePages(surface, info);

    const std::vector<std::string> expected = {
        "2005=Prepare print", "2013=data.xml", "2015=Confirmed", "2016=lp0", "show", "2014=1", "2014=1"};
    ASSERT_GE(host.log.events.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(host.log.events.begin(), host.log.events.begin() + expected.size()), expected);
    EXPECT_EQ(info.maxPage, 2u);
}

TEST_F(PrintFlow, CancelWhilePreparingKeepsThePagesLaidOutSoFar) {
    FakeHost host;
    host.abortPrepareAfter = 0;
    CqvReport report(m_dataPath, m_emptyPath, &host);
    report.LoadAll();
    for (const char* name : {"a", "b", "c"}) AddFixed(BlockNamed(report, "body"), name, 0, 1000, 600);
    AddFixed(report.PageFooter(), "f", 0, 1000, 10);
    Prepare(report);
    EXPECT_EQ(report.PageCount(), 2u);
    EXPECT_EQ(QvSettings::Instance().pageCount, 2u);
    EXPECT_EQ(LabelsOnPage(report, 2), (std::vector<std::string>{"b", "f"}));
}

TEST_F(PrintFlow, PrintRunsThePageLoopInAJobNamedQuorvane) {
    const std::string templ = m_dir.Write(
        "landscape.qvrp", SimpleTemplate("<Block><Text/><Text start-page=\"1\"/></Block>", "landscape=\"1\""));
    FakeHost host;
    CqvReport report(m_dataPath, templ, &host);
    report.Print();

    EXPECT_EQ(QvSettings::Instance().pageCount, 2u);
    EXPECT_EQ(host.shownMode.paperSize, 256);
    EXPECT_EQ(host.shownMode.orientation, 2);
    EXPECT_TRUE(host.log.Has("attach Chosen"));
    EXPECT_TRUE(host.log.Has("startdoc Quorvane"));
    EXPECT_TRUE(host.log.Has("2005=Print"));
    EXPECT_TRUE(host.log.Has("2015=Chosen"));
    EXPECT_EQ(host.log.Count("startpage"), QvSettings::Instance().pageCount);
    EXPECT_TRUE(host.log.Has("enddoc"));
    EXPECT_FALSE(host.log.Has("abortdoc"));
    EXPECT_EQ(host.log.events.back(), "detach");
    EXPECT_EQ(report.PrintInfo().userData, nullptr);
}

TEST_F(PrintFlow, NoPrinterOrACancelledDialogPrintsNothing) {
    for (bool hasPrinter : {false, true}) {
        FakeHost host;
        host.hasPrinter = hasPrinter;
        host.confirm = false;
        CqvReport report(m_dataPath, m_templatePath, &host);
        report.Print();
        EXPECT_FALSE(host.log.Has("startdoc Quorvane"));
        EXPECT_EQ(host.log.Has("dialog"), hasPrinter);
    }
    // Without a host at all Print only loads.
    CqvReport report(m_dataPath, m_templatePath);
    EXPECT_NO_THROW(report.Print());
    EXPECT_EQ(report.Blocks().Size(), 1u);
}

TEST_F(PrintFlow, AFailedPageOrAFailedStartAbortsTheJob) {
    {
        FakeHost host;
        host.failEndPage = 1;
        CqvReport report(m_dataPath, m_templatePath, &host);
        report.Print();
        EXPECT_EQ(host.log.Count("startpage"), 1u);
        EXPECT_TRUE(host.log.Has("abortdoc"));
        EXPECT_FALSE(host.log.Has("enddoc"));
    }
    {
        FakeHost host;
        host.startOk = false;
        CqvReport report(m_dataPath, m_templatePath, &host);
        report.Print();
        EXPECT_EQ(host.log.Count("startpage"), 0u);
        EXPECT_TRUE(host.log.Has("abortdoc"));
    }
    {
        FakeHost host;
        CqvReport report(m_dataPath, m_templatePath, &host);
        report.Print();
        EXPECT_EQ(host.log.Count("startpage"), 3u);
        // Preparing shows 1, then each page it closes (1, 2); printing shows 1, 2, 3.
        EXPECT_EQ(host.log.Count("2014=1"), 3u);
        EXPECT_EQ(host.log.Count("2014=3"), 1u);
    }
}

TEST_F(PrintFlow, CancelWhilePreparingPrintsNoPage) {
    FakeHost host;
    host.abortPrepareAfter = 0;
    CqvReport report(m_dataPath, m_templatePath, &host);
    report.Print();
    EXPECT_TRUE(host.log.Has("startdoc Quorvane"));
    EXPECT_EQ(host.log.Count("startpage"), 0u);
    EXPECT_TRUE(host.log.Has("abortdoc"));
    EXPECT_TRUE(host.log.Has("detach"));
}

// Keeps what the printer drew between the start and the end of each page: in
// a job drawn as it is laid out, layout's measuring falls between pages.
class PageCapturingHost : public FakeHost {
public:
    std::vector<std::vector<RecordedCall>> pages;
    bool StartPage() override {
        printer.Clear();
        return FakeHost::StartPage();
    }
    bool EndPage() override {
        pages.push_back(printer.Calls());
        return FakeHost::EndPage();
    }
};

TEST_F(PrintFlow, AJobTooLargeToHoldIsLaidOutAgainAndPrintsTheSamePages) {
    std::string text = SimpleTemplate(
        "<Block name=\"body\"><Text>one</Text><Text start-page=\"1\">two</Text>"
        "<Text start-page=\"1\">three</Text></Block>");
    text.replace(text.find("<PageFooter height=\"5mm\"/>"), 26,
                 "<PageFooter height=\"5mm\"><Text width=\"90mm\">[%qv_curpage%] of [%qv_pages%]</Text></PageFooter>");
    const std::string templ = m_dir.Write("counted.qvrp", text);
    struct Run {
        std::vector<std::vector<RecordedCall>> pages;
        HostLog log;
    };
    const auto print = [&](size_t heldPieces, int failEndPage) {
        PageCapturingHost host;
        host.failEndPage = failEndPage;
        CqvReport report(m_dataPath, templ, &host);
        report.SetHeldPieceLimit(heldPieces);
        report.Print();
        EXPECT_EQ(report.PagesHeld(), heldPieces > 0);
        return Run{host.pages, host.log};
    };
    // A page that fails to print ends the job there, streamed or not.
    for (int failEndPage : {0, 2}) {
        SCOPED_TRACE(failEndPage);
        const Run held = print(kHeldPiecesForPageOrder, failEndPage);
        const Run streamed = print(0, failEndPage);
        ASSERT_EQ(held.pages.size(), failEndPage ? 2u : 3u);
        ASSERT_EQ(streamed.pages.size(), held.pages.size());
        for (size_t page = 0; page < held.pages.size(); ++page) {
            EXPECT_TRUE(SameCalls(held.pages[page], streamed.pages[page])) << page + 1;
            std::vector<std::string> heldText, streamedText;
            for (const RecordedCall& call : held.pages[page]) heldText.push_back(call.utf8);
            for (const RecordedCall& call : streamed.pages[page]) streamedText.push_back(call.utf8);
            EXPECT_EQ(heldText, streamedText);
            // The count of the first layout, on a page drawn before the second reached the end.
            EXPECT_NE(std::find(streamedText.begin(), streamedText.end(), std::to_string(page + 1) + " of 3"),
                      streamedText.end());
        }
        for (const char* event : {"enddoc", "abortdoc", "detach", "startpage", "2005=Print"})
            EXPECT_EQ(held.log.Count(event), streamed.log.Count(event)) << event;
    }
}

TEST_F(PrintFlow, PreviewPrintsOnlyWhenTheDialogAsksForIt) {
    {
        FakeHost host;
        CqvReport report(m_dataPath, m_templatePath, &host);
        report.Preview();
        EXPECT_EQ(host.previewed, &report);
        EXPECT_TRUE(report.InPreview());
        // In preview the printer names come from the preview's own record.
        EXPECT_TRUE(host.log.Has("2015=PreviewPrinter"));
        EXPECT_FALSE(host.log.Has("startdoc Quorvane"));
    }
    {
        FakeHost host;
        host.previewResult = kPreviewResultPrint;
        CqvReport report(m_dataPath, m_templatePath, &host);
        report.Preview();
        EXPECT_TRUE(host.log.Has("startdoc Quorvane"));
        EXPECT_TRUE(host.log.Has("enddoc"));
        EXPECT_FALSE(report.InPreview());  // Print began with a reset
    }
}

}  // namespace
