#include "cli/CliPrintHost.h"

#include "cli/TerminalProgress.h"
#include "engine/QvSettings.h"
#include "print/CupsJob.h"
#include "print/PrintFile.h"
#include "print/PrinterDiscovery.h"

namespace print = qv::print;

namespace {

// The port the progress dialog shows for print to file.
constexpr const char* kFilePort = "FILE:";

// How to print anyway, for every message that says printing cannot happen.
constexpr const char* kToFileHint = "print to a file with --to-file FILE.pdf";

// The sentence for a scheduler that is not there; empty when one answers.
std::string NoPrintServerMessage() {
    const std::string noServer = print::NoPrintServerReason();
    if (noServer.empty()) return {};
    return "No print server answers at " + print::CupsServerAddress() +
           ": start CUPS, or name the server with CUPS_SERVER, or " + kToFileHint;
}

std::string NoDefaultPrinterMessage() {
    const std::vector<print::CupsDestination> all = print::ListCupsDestinations();
    if (all.empty()) {
        const std::string reason = print::LastCupsError();
        const std::string noServer = NoPrintServerMessage();
        if (!noServer.empty()) return noServer;
        return "There is no printer to print to" + (reason.empty() ? std::string() : ": " + reason) + "; " +
               kToFileHint;
    }
    std::string names;
    for (const auto& destination : all) {
        names += names.empty() ? "" : ", ";
        names += destination.FullName();
    }
    return "There is no default printer; choose one with --printer (" + names + ")";
}

std::string UnknownPrinterMessage(const std::string& printer) {
    const std::string reason = print::LastCupsError();
    const std::string noServer = NoPrintServerMessage();
    if (!noServer.empty()) return "Can't print to '" + printer + "'. " + noServer;
    return "Can't print to '" + printer + "': " + (reason.empty() ? "there is no such printer" : reason);
}

}  // namespace

CliPrintHost::CliPrintHost(bool showProgress, std::string printer, std::string toFile)
    : m_bShowProgress(showProgress), m_strPrinter(std::move(printer)), m_strToFile(std::move(toFile)) {}

CliPrintHost::~CliPrintHost() = default;

std::unique_ptr<Progress> CliPrintHost::CreateProgress() { return std::make_unique<TerminalProgress>(m_bShowProgress); }

bool CliPrintHost::DefaultPrinter(QvPrintDialog& dialog) {
    if (!m_strToFile.empty()) {
        dialog.deviceName = m_strToFile;
        dialog.portName = kFilePort;
        return true;
    }
    const std::optional<print::CupsDestination> destination =
        m_strPrinter.empty() ? print::DefaultCupsDestination() : print::FindCupsDestination(m_strPrinter);
    if (!destination) {
        KeepError(m_strPrinter.empty() ? NoDefaultPrinterMessage() : UnknownPrinterMessage(m_strPrinter));
        return false;
    }
    dialog.deviceName = destination->FullName();
    dialog.portName = destination->deviceUri;
    return true;
}

bool CliPrintHost::ShowPrintDialog(QvPrintDialog&) { return true; }

Surface* CliPrintHost::AttachPrinter(const QvPrintDialog& dialog) {
    m_strPrinterName = dialog.deviceName;
    return PdfPrintHost::AttachPrinter(dialog);
}

std::unique_ptr<print::PrintSink> CliPrintHost::OpenSink(const std::string& documentName) {
    if (!m_strToFile.empty()) return std::make_unique<print::PrintFile>(m_strToFile);
    auto job = std::make_unique<print::CupsJob>(m_strPrinterName, documentName);
    m_nJobId = job->JobId();
    m_strPrinterName = job->Printer();
    return job;
}

bool CliPrintHost::EndDoc() {
    if (JobStarted() && QvSettings::Instance().abort) {
        m_bInterrupted = true;
        AbortJob();
        return false;
    }
    return PdfPrintHost::EndDoc();
}

void CliPrintHost::AbortDoc() {
    // Aborting is the page loop's answer to a failure or a cancel; which it
    // was is told by the error kept, or by the cancel flag.
    if (QvSettings::Instance().abort) m_bInterrupted = true;
    PdfPrintHost::AbortDoc();
}
