#pragma once
// The printer side of the command line: the print dialog is the command's
// options (a CUPS queue, the default queue, or a file); the job is the shared
// print host's PDF, streamed page by page to the queue or the file.
#include <memory>
#include <optional>
#include <string>

#include "print/PdfPrintHost.h"

class CliPrintHost : public qv::print::PdfPrintHost {
public:
    // `printer`: a CUPS queue, or empty for the default one. `toFile`: when not
    // empty, the job's PDF goes to this file instead of a queue. The progress
    // line is drawn only when `showProgress` is set (stderr is a terminal).
    CliPrintHost(bool showProgress, std::string printer, std::string toFile);
    ~CliPrintHost() override;

    bool DefaultPrinter(QvPrintDialog& dialog) override;
    // The options already chose: nothing to ask.
    bool ShowPrintDialog(QvPrintDialog& dialog) override;
    Surface* AttachPrinter(const QvPrintDialog& dialog) override;
    // Ctrl+C on the command line cancels the whole job: a report cut short is
    // not what anyone asked to print.
    bool EndDoc() override;
    void AbortDoc() override;
    int RunPreviewDialog(CqvReport&) override { return kPreviewResultClose; }
    std::unique_ptr<Progress> CreateProgress() override;

    // True when Ctrl+C stopped the job.
    bool Interrupted() const { return m_bInterrupted; }
    // The queue the job went to, and its CUPS job number (0 for a file).
    const std::string& PrinterName() const { return m_strPrinterName; }
    int JobId() const { return m_nJobId; }

protected:
    std::unique_ptr<qv::print::PrintSink> OpenSink(const std::string& documentName) override;

private:
    bool m_bShowProgress;
    std::string m_strPrinter;
    std::string m_strToFile;
    std::string m_strPrinterName;
    bool m_bInterrupted = false;
    int m_nJobId = 0;
};
