#include "print/PdfPrintJob.h"

#include "common/CqvEx.h"

namespace qv::render {

PdfPrintJob::PdfPrintJob(int32_t paperWidth, int32_t paperHeight, std::string name) {
    m_surface.emplace(PdfSurface::Stream([this](const unsigned char* data, size_t length) { return Write(data, length); },
                                         name, paperWidth, paperHeight));
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
    } catch (const CqvEx&) {
        // The surface only learns that the bytes did not go; the sink keeps the reason.
        return false;
    }
    return true;
}

void PdfPrintJob::Rethrow(const CqvEx& error) {
    // The sink knows why its bytes did not arrive; the surface only knows that they did not.
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
