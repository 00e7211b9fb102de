#pragma once
// What the command line offers the report for render and dump: a progress
// line on the terminal and no printer (print uses CliPrintHost).
#include "engine/PrintHost.h"

class CliHost : public PrintHost {
public:
    // The progress line is drawn only when `showProgress` is set (stderr is a
    // terminal); otherwise the progress only answers the abort check.
    explicit CliHost(bool showProgress) : m_bShowProgress(showProgress) {}

    bool DefaultPrinter(QvPrintDialog&) override { return false; }
    bool ShowPrintDialog(QvPrintDialog&) override { return false; }
    Surface* AttachPrinter(const QvPrintDialog&) override { return nullptr; }
    bool StartDoc(const std::string&) override { return false; }
    bool StartPage() override { return false; }
    bool EndPage() override { return false; }
    bool EndDoc() override { return false; }
    void AbortDoc() override {}
    void DetachPrinter() override {}
    int RunPreviewDialog(CqvReport&) override { return kPreviewResultClose; }

    std::unique_ptr<Progress> CreateProgress() override;

private:
    bool m_bShowProgress;
};
