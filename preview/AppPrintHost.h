#pragma once
// The desktop application's printer: the platform print dialog, then the
// shared print host's PDF job streamed to the chosen CUPS queue (or written to
// a file when the user prints to a file), the "Process" progress dialog, and
// the preview dialog.
#include <memory>
#include <string>

#include "print/PdfPrintHost.h"

class QPrinter;
class QWidget;

class AppPrintHost : public qv::print::PdfPrintHost {
public:
    // `parent` owns the print and preview dialogs while they run.
    explicit AppPrintHost(QWidget* parent = nullptr);
    ~AppPrintHost() override;
    AppPrintHost(const AppPrintHost&) = delete;
    AppPrintHost& operator=(const AppPrintHost&) = delete;

    // The printer chosen in File > Print Setup: the print dialog starts on it
    // while the print system still knows it, else on the default printer.
    void SetPreferredPrinter(std::string queue) { m_strPreferredPrinter = std::move(queue); }
    const std::string& PreferredPrinter() const { return m_strPreferredPrinter; }

    bool DefaultPrinter(QvPrintDialog& dialog) override;
    bool ShowPrintDialog(QvPrintDialog& dialog) override;
    int RunPreviewDialog(CqvReport& report) override;
    std::unique_ptr<Progress> CreateProgress() override;

    // Where "print to file" writes; empty when printing to a queue.
    const std::string& OutputFile() const { return m_strOutputFile; }
    // The scheduler's number of the last job sent to a queue; 0 when none.
    int JobId() const { return m_nJobId; }

protected:
    // Shows the platform's print dialog on `printer`; true when the user
    // confirms. The printer then names the chosen queue, or an output file.
    virtual bool ExecPrintDialog(QPrinter& printer);
    std::unique_ptr<qv::print::PrintSink> OpenSink(const std::string& documentName) override;

    QWidget* Parent() const { return m_pParent; }

private:
    QWidget* m_pParent;
    std::string m_strPreferredPrinter;
    std::string m_strQueue;
    std::string m_strOutputFile;
    int m_nCopies = 1;
    int m_nJobId = 0;
};
