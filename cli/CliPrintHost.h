#pragma once
// The printer side of the command line: the print dialog is the command's
// options (a CUPS queue, the default queue, or a file), and the job is a PDF
// streamed page by page to the queue or the file.
//
// The report's print flow only learns whether each step went well; the reason
// of a failure is kept here, so the command can report it once Print returns.
#include <memory>
#include <optional>
#include <string>

#include "cli/CliHost.h"
#include "print/PdfPrintJob.h"

class CliPrintHost : public CliHost {
public:
    // `printer`: a CUPS queue, or empty for the default one. `toFile`: when not
    // empty, the job's PDF goes to this file instead of a queue.
    CliPrintHost(bool showProgress, std::string printer, std::string toFile);
    ~CliPrintHost() override;

    bool DefaultPrinter(QvPrintDialog& dialog) override;
    // The options already chose: nothing to ask.
    bool ShowPrintDialog(QvPrintDialog& dialog) override;
    // Raises CqvEx when the paper cannot be drawn.
    Surface* AttachPrinter(const QvPrintDialog& dialog) override;
    bool StartDoc(const std::string& documentName) override;
    bool StartPage() override;
    bool EndPage() override;
    // Ctrl+C on the command line cancels the whole job: a report cut short is
    // not what anyone asked to print.
    bool EndDoc() override;
    void AbortDoc() override;
    void DetachPrinter() override;

    // The first failure of the job, as the user should read it; none when
    // everything went well (or the user interrupted).
    const std::optional<std::string>& Error() const { return m_error; }
    // True once the job was handed to the queue or the file was written.
    bool Printed() const { return m_bPrinted; }
    // True when Ctrl+C stopped the job.
    bool Interrupted() const { return m_bInterrupted; }
    // The queue the job went to, its CUPS job number (0 for a file) and its pages.
    const std::string& PrinterName() const { return m_strPrinterName; }
    int JobId() const { return m_nJobId; }
    int PagesPrinted() const { return m_nPages; }

private:
    void Remember(const std::string& message);

    std::string m_strPrinter;
    std::string m_strToFile;
    std::unique_ptr<qv::render::PdfPrintJob> m_job;
    std::optional<std::string> m_error;
    std::string m_strPrinterName;
    bool m_bPrinted = false;
    bool m_bInterrupted = false;
    int m_nJobId = 0;
    int m_nPages = 0;
};
