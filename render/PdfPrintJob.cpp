#include "render/PdfPrintJob.h"

#include "common/CqvEx.h"

namespace qv::render {

PdfPrintJob::PdfPrintJob(int32_t paperWidth, int32_t paperHeight, std::string name) {
    m_surface.emplace(CairoSurface::PdfStream(&PdfPrintJob::CairoWrite, this, name, paperWidth, paperHeight));
}

PdfPrintJob::~PdfPrintJob() {
    Abort();
    // Cairo completes a surface it destroys and writes the rest of the
    // document; the aborted job refuses those bytes.
    m_surface.reset();
}

cairo_status_t PdfPrintJob::CairoWrite(void* closure, const unsigned char* data, unsigned int length) {
    auto* job = static_cast<PdfPrintJob*>(closure);
    if (job->m_bAborted) return CAIRO_STATUS_WRITE_ERROR;
    if (!job->m_sink) {
        job->m_pending.insert(job->m_pending.end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    }
    PrintSink& sink = *job->m_sink;
    if (sink.Cancelled() || sink.Finished()) return CAIRO_STATUS_WRITE_ERROR;
    try {
        sink.Write(data, length);
    } catch (const CqvEx&) {
        // Cairo only passes a status on; the sink keeps the reason.
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

void PdfPrintJob::Rethrow(const CqvEx& error) {
    // The sink knows why its bytes did not arrive; Cairo only knows that they did not.
    const std::string message = m_sink && !m_sink->LastError().empty() ? m_sink->LastError() : error.Message();
    Abort();
    throw CqvEx(message);
}

void PdfPrintJob::Start(std::unique_ptr<PrintSink> sink) {
    if (m_bAborted || m_bFinished || !sink) throw CqvEx("The print job cannot be started again");
    m_sink = std::move(sink);
    try {
        if (!m_pending.empty()) m_sink->Write(m_pending.data(), m_pending.size());
    } catch (const CqvEx& error) {
        Rethrow(error);
    }
    m_pending.clear();
    m_pending.shrink_to_fit();
}

void PdfPrintJob::StartPage() {
    if (m_bAborted) throw CqvEx("The print job has been cancelled");
    try {
        m_surface->StartPage();
    } catch (const CqvEx& error) {
        Rethrow(error);
    }
}

void PdfPrintJob::EndPage() {
    if (m_bAborted) throw CqvEx("The print job has been cancelled");
    try {
        m_surface->EndPage();
    } catch (const CqvEx& error) {
        Rethrow(error);
    }
}

void PdfPrintJob::Finish() {
    if (m_bFinished) return;
    if (m_bAborted) throw CqvEx("The print job has been cancelled");
    if (!m_sink) throw CqvEx("The print job was never started");
    try {
        m_surface->Finish();
        m_sink->Finish();
    } catch (const CqvEx& error) {
        Rethrow(error);
    }
    m_bFinished = true;
}

void PdfPrintJob::Abort() noexcept {
    if (m_bFinished || m_bAborted) return;
    m_bAborted = true;
    if (m_sink) m_sink->Cancel();
    m_pending.clear();
}

}  // namespace qv::render
