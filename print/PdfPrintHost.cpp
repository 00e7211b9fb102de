#include "print/PdfPrintHost.h"

#include "common/ForeignFailure.h"
#include "print/PdfPrintJob.h"
#include "print/PrintSink.h"

namespace qv::print {

PdfPrintHost::PdfPrintHost() = default;

PdfPrintHost::~PdfPrintHost() = default;

template <typename Step>
bool PdfPrintHost::Attempt(Step step) {
    try {
        // Any failure counts: one that escaped would leave the page loop
        // ending a document whose pages did not all arrive.
        ForeignFailuresAsCqvEx(step);
        return true;
    } catch (const CqvEx& error) {
        KeepError(error.Message());
        return false;
    }
}

Surface* PdfPrintHost::AttachPrinter(const QvPrintDialog& dialog) {
    const QvPaper paper = PaperOf(dialog.devMode);
    m_job = std::make_unique<PdfPrintJob>(paper.width, paper.height, dialog.deviceName);
    return &m_job->Surface();
}

bool PdfPrintHost::StartDoc(const std::string& documentName) {
    if (!m_job) return false;
    return Attempt([&] { m_job->Start(OpenSink(documentName)); });
}

bool PdfPrintHost::StartPage() {
    if (!JobStarted()) return false;
    return Attempt([&] { m_job->StartPage(); });
}

bool PdfPrintHost::EndPage() {
    if (!JobStarted()) return false;
    return Attempt([&] {
        m_job->EndPage();
        m_nPages = m_job->PagesDone();
    });
}

bool PdfPrintHost::EndDoc() {
    if (!JobStarted()) return false;
    m_bPrinted = Attempt([&] { m_job->Finish(); });
    return m_bPrinted;
}

void PdfPrintHost::AbortDoc() { AbortJob(); }

void PdfPrintHost::DetachPrinter() { m_job.reset(); }

std::string PdfPrintHost::TakeError() {
    std::string message = m_error.value_or(std::string());
    m_error.reset();
    return message;
}

void PdfPrintHost::KeepError(const std::string& message) {
    if (!m_error) m_error = message;
}

bool PdfPrintHost::JobStarted() const { return m_job && m_job->Started(); }

void PdfPrintHost::AbortJob() {
    if (m_job) m_job->Abort();
}

}  // namespace qv::print
