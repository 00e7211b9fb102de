#pragma once
// A print job as the report's page loop drives it: a PDF surface on which the
// report is laid out and drawn, whose bytes stream into a sink (a CUPS queue or
// a file) page by page, so a long report starts printing before it is drawn
// to the end.
//
// The surface exists before the sink: the report is laid out on the printer's
// surface before its job starts, and whatever the surface writes in the
// meantime is kept and sent first.
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "print/PrintSink.h"
#include "render/PdfSurface.h"

namespace qv::print {

class PdfPrintJob {
public:
    // Paper size in logical units (tenths of a millimetre); `name` names the
    // output in messages until a sink takes over (the printer's name).
    PdfPrintJob(int32_t paperWidth, int32_t paperHeight, std::string name);
    // Aborts a job that was not finished.
    ~PdfPrintJob();
    PdfPrintJob(const PdfPrintJob&) = delete;
    PdfPrintJob& operator=(const PdfPrintJob&) = delete;

    // What the report lays out and draws on.
    PdfSurface& Surface() { return *m_surface; }

    // Hands the document to its destination; the bytes held so far go first.
    // Raises CqvEx (and cancels the sink) when they cannot be sent.
    void Start(std::unique_ptr<PrintSink> sink);
    bool Started() const { return m_sink != nullptr; }

    // Page control. EndPage sends the page's bytes on; Finish completes the
    // document and the sink. When the bytes cannot go, the sink's own
    // exception comes out (CUPS's or the file's reason); any failure aborts
    // the job.
    void StartPage();
    void EndPage();
    void Finish();
    // Stops the job at once: not one more byte reaches the sink, whose job is
    // cancelled (the queue drops it, the file is not created). Does nothing
    // once the job has finished.
    void Abort() noexcept;

    bool Finished() const { return m_bFinished; }
    bool Aborted() const { return m_bAborted; }
    int PagesDone() const { return m_surface ? m_surface->PageCount() : 0; }
    PrintSink* Sink() const { return m_sink.get(); }

private:
    // The surface's bytes: held until the sink arrives, then passed on.
    bool Write(const unsigned char* data, size_t length);
    // Runs a step of the job; a failure aborts the job and comes out as the
    // sink's exception when the sink refused bytes, else as it was raised.
    template <typename Step>
    void Run(Step step);

    std::unique_ptr<PrintSink> m_sink;
    std::vector<unsigned char> m_pending;  // bytes written before the sink arrived
    std::exception_ptr m_sinkFailure;      // the sink's first refusal of bytes
    std::optional<PdfSurface> m_surface;
    bool m_bFinished = false;
    bool m_bAborted = false;
};

}  // namespace qv::print
