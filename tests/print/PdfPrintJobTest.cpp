// The print job's PDF stream: pages reach the sink as they end, an aborted job
// sends nothing more, and a sink's failure is the job's error; the print host
// turns that error into the page loop's answers without letting it escape.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "PrintTestSupport.h"
#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "print/PdfPrintHost.h"
#include "print/PdfPrintJob.h"
#include "print/PrintFile.h"
#include "support/TestSettingsGuard.h"

namespace {

using qv::print::PdfPrintJob;
using qv::print::PrintSink;

// What a sink was given and told; outlives the sink, which the job owns.
struct SinkLog {
    std::string bytes;
    bool finished = false;
    bool cancelled = false;
};

// Keeps what it is given in a log; can be told to fail at a given write.
class MemorySink : public PrintSink {
public:
    explicit MemorySink(SinkLog& log, int failAtWrite = 0) : m_log(log), m_failAt(failAtWrite) {}
    void Write(const unsigned char* data, size_t length) override {
        if (m_log.cancelled) throw CqvEx("written after cancel");
        if (++m_writes == m_failAt) throw CqvEx("Can't print to 'Desk': the paper caught fire");
        m_log.bytes.append(reinterpret_cast<const char*>(data), length);
    }
    void Finish() override { m_log.finished = true; }
    void Cancel() noexcept override { m_log.cancelled = true; }
    bool Finished() const override { return m_log.finished; }
    bool Cancelled() const override { return m_log.cancelled; }

private:
    SinkLog& m_log;
    int m_failAt;
    int m_writes = 0;
};

void DrawPage(PdfPrintJob& job, const std::u16string& text) {
    job.StartPage();
    job.Surface().SelectFont(QvFontSpec{});
    std::vector<int32_t> advances(text.size(), 30);
    job.Surface().TextOut(200, -200, 0, QvRect{}, text, advances.data());
    job.EndPage();
}

TEST(PdfPrintJob, PagesReachTheSinkAsTheyEnd) {
    PdfPrintJob job(2100, 2970, "Desk");
    SinkLog sink;
    job.Start(std::make_unique<MemorySink>(sink));
    std::vector<size_t> sizes{sink.bytes.size()};
    for (const char16_t* text : {u"First", u"Second", u"Third"}) {
        DrawPage(job, text);
        sizes.push_back(sink.bytes.size());
    }
    // Each page's content went out when the page ended, before the document did.
    EXPECT_LT(sizes[0], sizes[1]);
    EXPECT_LT(sizes[1], sizes[2]);
    EXPECT_LT(sizes[2], sizes[3]);
    job.Finish();
    EXPECT_TRUE(sink.finished);
    EXPECT_TRUE(job.Finished());
    EXPECT_EQ(sink.bytes.rfind("%PDF-", 0), 0u);

    qv::test::ScratchDir dir;
    std::ofstream(dir / "sunk.pdf", std::ios::binary) << sink.bytes;
    ASSERT_EQ(qv::test::PdfPageCount(dir / "sunk.pdf"), 3);
    // The glyphs stand at the advances given, so a reader may see gaps between them.
    std::string text = qv::test::PdfPageText(dir / "sunk.pdf", 2);
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    EXPECT_EQ(text.find("Second"), 0u) << text;
}

TEST(PdfPrintJob, BytesWrittenBeforeTheJobStartsGoFirst) {
    // The report is laid out on the printer's surface before the job exists.
    PdfPrintJob job(2100, 2970, "Desk");
    job.Surface().SelectFont(QvFontSpec{});
    DrawPage(job, u"Early");
    SinkLog sink;
    job.Start(std::make_unique<MemorySink>(sink));
    EXPECT_EQ(sink.bytes.rfind("%PDF-", 0), 0u);
    job.Finish();
    qv::test::ScratchDir dir;
    std::ofstream(dir / "early.pdf", std::ios::binary) << sink.bytes;
    EXPECT_EQ(qv::test::PdfPageCount(dir / "early.pdf"), 1);
}

TEST(PdfPrintJob, AbortSendsNothingMoreAndCancelsTheSink) {
    SinkLog sink;
    size_t sent = 0;
    {
        PdfPrintJob job(2100, 2970, "Desk");
        job.Start(std::make_unique<MemorySink>(sink));
        DrawPage(job, u"Only");
        job.Abort();
        sent = sink.bytes.size();
        EXPECT_TRUE(job.Aborted());
        EXPECT_TRUE(sink.cancelled);
        EXPECT_THROW(job.StartPage(), CqvEx);
        EXPECT_THROW(job.Finish(), CqvEx);
        // Destroying the surface would complete the PDF: those bytes must not go.
    }
    EXPECT_EQ(sink.bytes.size(), sent);
    EXPECT_FALSE(sink.finished);
}

TEST(PdfPrintJob, SinkFailureIsTheJobsErrorAndAbortsIt) {
    // Write 1 is the first page, write 2 fails: the message is the sink's own.
    for (int failAt : {1, 2, 3}) {
        SCOPED_TRACE(failAt);
        PdfPrintJob job(2100, 2970, "Desk");
        SinkLog sink;
        std::string message;
        try {
            job.Start(std::make_unique<MemorySink>(sink, failAt));
            for (int page = 0; page < 3; ++page) DrawPage(job, u"Page");
            job.Finish();
        } catch (const CqvEx& error) {
            message = error.Message();
        }
        EXPECT_EQ(message, "Can't print to 'Desk': the paper caught fire");
        EXPECT_TRUE(job.Aborted());
        EXPECT_TRUE(sink.cancelled);
        EXPECT_FALSE(sink.finished);
    }
}

// A printer named "Desk" whose document goes into memory; it can refuse the
// job outright, or fail at a given write.
class MemoryPrintHost : public qv::print::PdfPrintHost {
public:
    MemoryPrintHost(SinkLog& log, int failAtWrite, bool refuse)
        : m_log(log), m_failAt(failAtWrite), m_bRefuse(refuse) {}
    bool DefaultPrinter(QvPrintDialog& dialog) override {
        dialog.deviceName = "Desk";
        return true;
    }
    bool ShowPrintDialog(QvPrintDialog&) override { return true; }
    int RunPreviewDialog(CqvReport&) override { return kPreviewResultClose; }

protected:
    std::unique_ptr<PrintSink> OpenSink(const std::string&) override {
        if (m_bRefuse) throw CqvEx("Can't print to 'Desk': the queue is paused");
        return std::make_unique<MemorySink>(m_log, m_failAt);
    }

private:
    SinkLog& m_log;
    int m_failAt;
    bool m_bRefuse;
};

TEST(PdfPrintHost, TheFirstFailureIsKeptInTheSinksWordsAndNothingEscapes) {
    struct Case {
        const char* what;
        int failAt;
        bool refuse;
        std::optional<std::string> error;
        int pages;  // the pages that reached the sink
    };
    const std::string fire = "Can't print to 'Desk': the paper caught fire";
    // The document's bytes go out page by page: write 1 is the first page.
    for (const Case& c :
         {Case{"printed", 0, false, std::nullopt, 3},
          Case{"refused", 0, true, "Can't print to 'Desk': the queue is paused", 0},
          Case{"fails at the first page", 1, false, fire, 0}, Case{"fails at the second page", 2, false, fire, 1}}) {
        SCOPED_TRACE(c.what);
        qv::test::SettingsGuard settings;
        SinkLog sink;
        MemoryPrintHost host(sink, c.failAt, c.refuse);
        CqvReport report(qv::test::PrintFixture("three_pages.xml"), qv::test::PrintFixture("three_pages.qvrp"), &host);
        EXPECT_NO_THROW(report.Print());
        EXPECT_EQ(host.Error(), c.error);
        EXPECT_EQ(host.Printed(), !c.error);
        EXPECT_EQ(sink.finished, !c.error);
        EXPECT_EQ(host.PagesPrinted(), c.pages);
        if (c.error && !c.refuse) {
            EXPECT_TRUE(sink.cancelled);
        }
        // Read once: the next job starts without it.
        EXPECT_EQ(host.TakeError(), c.error.value_or(""));
        EXPECT_FALSE(host.Error());
    }
}

TEST(PrintFile, CancelKeepsTheOlderFileAndLeavesNoTemporary) {
    qv::test::ScratchDir dir;
    const std::string path = dir / "out.pdf";
    { std::ofstream(path) << "older"; }
    {
        qv::print::PrintFile file(path);
        const std::string bytes = "%PDF-1.5 newer";
        file.Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        file.Cancel();
        EXPECT_TRUE(file.Cancelled());
        EXPECT_THROW(file.Finish(), CqvEx);
    }
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.pdf"});
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "older");
}

}  // namespace
