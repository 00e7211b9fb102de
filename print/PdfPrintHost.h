#pragma once
// The print job side of a printer, written once for the command line and the
// application: the report is drawn on a PdfPrintJob whose document streams,
// page by page, into the sink the host chooses (a CUPS queue or a file).
//
// The report's page loop only learns whether each step went well. This is the
// one place where the job's failures stop being exceptions: the first one is
// kept, in the words the user reads, for the program to show once Print
// returns; every later step of the failed job then answers false.
#include <memory>
#include <optional>
#include <string>

#include "engine/PrintHost.h"

namespace qv::print {

class PdfPrintJob;
class PrintSink;

class PdfPrintHost : public PrintHost {
public:
    PdfPrintHost();
    ~PdfPrintHost() override;
    PdfPrintHost(const PdfPrintHost&) = delete;
    PdfPrintHost& operator=(const PdfPrintHost&) = delete;

    // A job on the paper of the dialog's device mode, named after its printer.
    // Raises CqvEx when that paper cannot be drawn.
    Surface* AttachPrinter(const QvPrintDialog& dialog) override;
    bool StartDoc(const std::string& documentName) override;
    bool StartPage() override;
    bool EndPage() override;
    // Called while the report's print job closes, possibly during unwinding:
    // nothing escapes from here.
    bool EndDoc() override;
    void AbortDoc() override;
    void DetachPrinter() override;

    // The first failure of the job, as the user should read it; none when
    // everything went well.
    const std::optional<std::string>& Error() const { return m_error; }
    // The same, read once: empty when there was none.
    std::string TakeError();
    // True once the job was handed to the queue or the file was written.
    bool Printed() const { return m_bPrinted; }
    // The pages the job has sent so far.
    int PagesPrinted() const { return m_nPages; }

protected:
    // The printer choice: where the document named `documentName` goes.
    // Raises CqvEx, naming the printer or the file, when it cannot be opened.
    virtual std::unique_ptr<PrintSink> OpenSink(const std::string& documentName) = 0;

    // Keeps `message` as the job's error unless one is kept already: the
    // first failure is the one that explains the rest.
    void KeepError(const std::string& message);
    // Whether a job is attached and its sink open.
    bool JobStarted() const;
    // Stops the attached job, if any: nothing more reaches its sink.
    void AbortJob();

private:
    // Runs a step of the job; false, with the failure kept, when it raised.
    template <typename Step>
    bool Attempt(Step step);

    std::unique_ptr<PdfPrintJob> m_job;
    std::optional<std::string> m_error;
    bool m_bPrinted = false;
    int m_nPages = 0;
};

}  // namespace qv::print
