#include "print/PdfPrintJob.h"

#include "common/CqvEx.h"

namespace qv::print {

PdfPrintJob::PdfPrintJob(int32_t paperWidth, int32_t paperHeight, std::string name) {
    m_surface.emplace(
        PdfSurface::Stream([this](const unsigned char* data, size_t length) { return Write(data, length); }, name,
                           paperWidth, paperHeight));
}

PdfPrintJob::~PdfPrintJob() {
    Abort();
    m_surface.reset();
}

bool PdfPrintJob::Write(const unsigned char* data, size_t length) {
    if (m_bAborted) return false;
    if (!m_sink) {
        m_pending.insert(m_pending.end(), data, data + length);
        return true;
    }
    if (m_sink->Cancelled() || m_sink->Finished()) return false;
    try {
        m_sink->Write(data, length);
    } catch (...) {
        // The surface's writer takes only "the bytes did not go"; the sink's
        // own exception waits here and comes out of the step that wrote.
        if (!m_sinkFailure) m_sinkFailure = std::current_exception();
        return false;
    }
    return true;
}

template <typename Step>
void PdfPrintJob::Run(Step step) {
    try {
        step();
    } catch (...) {
        Abort();
        // The surface only knows that its bytes did not arrive; the sink
        // knows why, in the words the user reads.
        if (m_sinkFailure) std::rethrow_exception(m_sinkFailure);
        throw;
    }
}

void PdfPrintJob::Start(std::unique_ptr<PrintSink> sink) {
    if (m_bAborted || m_bFinished || !sink) throw CqvEx("The print job cannot be started again");
    m_sink = std::move(sink);
    Run([&] {
        if (!m_pending.empty()) m_sink->Write(m_pending.data(), m_pending.size());
    });
    m_pending.clear();
    m_pending.shrink_to_fit();
}

void PdfPrintJob::StartPage() {
    if (m_bAborted) throw CqvEx("The print job has been cancelled");
    Run([&] { m_surface->StartPage(); });
}

void PdfPrintJob::EndPage() {
    if (m_bAborted) throw CqvEx("The print job has been cancelled");
    Run([&] { m_surface->EndPage(); });
}

void PdfPrintJob::Finish() {
    if (m_bFinished) return;
    if (m_bAborted) throw CqvEx("The print job has been cancelled");
    if (!m_sink) throw CqvEx("The print job was never started");
    Run([&] {
        m_surface->Finish();
        m_sink->Finish();
    });
    m_bFinished = true;
}

void PdfPrintJob::Abort() noexcept {
    if (m_bFinished || m_bAborted) return;
    m_bAborted = true;
    if (m_sink) m_sink->Cancel();
    m_pending.clear();
}

}  // namespace qv::print
