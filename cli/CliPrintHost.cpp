#include "cli/CliPrintHost.h"

#include <cstdint>

#include "common/CqvEx.h"
#include "engine/QvSettings.h"
#include "print/CupsJob.h"
#include "print/PrintFile.h"

using qv::render::CupsJob;
using qv::render::PdfPrintJob;
using qv::render::PrintFile;

namespace {

// The port the progress dialog shows for print to file.
constexpr const char* kFilePort = "FILE:";

// The paper as the device mode describes it, in logical units. The record
// holds 16 bits: sizes above 32767 come back through the unsigned reading.
void PaperOf(const QvDevMode& devMode, int32_t& width, int32_t& height) {
    width = 2100;
    height = 2970;
    if ((devMode.fields & kDmPaperWidth) && devMode.paperWidth != 0)
        width = static_cast<uint16_t>(devMode.paperWidth);
    if ((devMode.fields & kDmPaperLength) && devMode.paperLength != 0)
        height = static_cast<uint16_t>(devMode.paperLength);
    if ((devMode.fields & kDmOrientation) && devMode.orientation == kDmOrientLandscape) std::swap(width, height);
}

// How to print anyway, for every message that says printing cannot happen.
constexpr const char* kToFileHint = "print to a file with --to-file FILE.pdf";

// The sentence for a scheduler that is not there; empty when one answers.
std::string NoPrintServerMessage() {
    const std::string noServer = qv::render::NoPrintServerReason();
    if (noServer.empty()) return {};
    return "No print server answers at " + qv::render::CupsServerAddress() +
           ": start CUPS, or name the server with CUPS_SERVER, or " + kToFileHint;
}

std::string NoDefaultPrinterMessage() {
    const std::vector<qv::render::CupsDestination> all = qv::render::ListCupsDestinations();
    if (all.empty()) {
        const std::string reason = qv::render::LastCupsError();
        const std::string noServer = NoPrintServerMessage();
        if (!noServer.empty()) return noServer;
        return "There is no printer to print to" + (reason.empty() ? std::string() : ": " + reason) + "; " +
               kToFileHint;
    }
    std::string names;
    for (const auto& destination : all) {
        names += names.empty() ? "" : ", ";
        names += destination.instance.empty() ? destination.name : destination.name + "/" + destination.instance;
    }
    return "There is no default printer; choose one with --printer (" + names + ")";
}

}  // namespace

CliPrintHost::CliPrintHost(bool showProgress, std::string printer, std::string toFile)
    : CliHost(showProgress), m_strPrinter(std::move(printer)), m_strToFile(std::move(toFile)) {}

CliPrintHost::~CliPrintHost() = default;

void CliPrintHost::Remember(const std::string& message) {
    if (!m_error) m_error = message;
}

bool CliPrintHost::DefaultPrinter(QvPrintDialog& dialog) {
    if (!m_strToFile.empty()) {
        dialog.deviceName = m_strToFile;
        dialog.portName = kFilePort;
        return true;
    }
    std::optional<qv::render::CupsDestination> destination =
        m_strPrinter.empty() ? qv::render::DefaultCupsDestination() : qv::render::FindCupsDestination(m_strPrinter);
    if (!destination) {
        if (m_strPrinter.empty()) {
            Remember(NoDefaultPrinterMessage());
        } else {
            const std::string reason = qv::render::LastCupsError();
            const std::string noServer = NoPrintServerMessage();
            Remember(!noServer.empty() ? "Can't print to '" + m_strPrinter + "'. " + noServer
                                       : "Can't print to '" + m_strPrinter +
                                             "': " + (reason.empty() ? "there is no such printer" : reason));
        }
        return false;
    }
    dialog.deviceName = destination->instance.empty() ? destination->name
                                                      : destination->name + "/" + destination->instance;
    dialog.portName = destination->deviceUri;
    return true;
}

bool CliPrintHost::ShowPrintDialog(QvPrintDialog&) { return true; }

Surface* CliPrintHost::AttachPrinter(const QvPrintDialog& dialog) {
    int32_t width = 0;
    int32_t height = 0;
    PaperOf(dialog.devMode, width, height);
    m_strPrinterName = dialog.deviceName;
    m_job = std::make_unique<PdfPrintJob>(width, height, dialog.deviceName);
    return &m_job->Surface();
}

bool CliPrintHost::StartDoc(const std::string& documentName) {
    if (!m_job) return false;
    try {
        if (!m_strToFile.empty()) {
            m_job->Start(std::make_unique<PrintFile>(m_strToFile));
        } else {
            auto job = std::make_unique<CupsJob>(m_strPrinterName, documentName);
            m_nJobId = job->JobId();
            m_strPrinterName = job->Printer();
            m_job->Start(std::move(job));
        }
        return true;
    } catch (const CqvEx& e) {
        Remember(e.Message());
        return false;
    }
}

bool CliPrintHost::StartPage() {
    if (!m_job || !m_job->Started()) return false;
    try {
        m_job->StartPage();
        return true;
    } catch (const CqvEx& e) {
        Remember(e.Message());
        return false;
    }
}

bool CliPrintHost::EndPage() {
    if (!m_job || !m_job->Started()) return false;
    try {
        m_job->EndPage();
        m_nPages = m_job->PagesDone();
        return true;
    } catch (const CqvEx& e) {
        Remember(e.Message());
        return false;
    }
}

bool CliPrintHost::EndDoc() {
    if (!m_job || !m_job->Started()) return false;
    if (QvSettings::Instance().abort) {
        m_bInterrupted = true;
        m_job->Abort();
        return false;
    }
    try {
        m_job->Finish();
        m_bPrinted = true;
        return true;
    } catch (const CqvEx& e) {
        Remember(e.Message());
        return false;
    }
}

void CliPrintHost::AbortDoc() {
    if (!m_job) return;
    // Aborting is the page loop's answer to a failure or a cancel; which it
    // was is told by the error kept, or by the cancel flag.
    if (QvSettings::Instance().abort) m_bInterrupted = true;
    m_job->Abort();
}

void CliPrintHost::DetachPrinter() { m_job.reset(); }
