#pragma once
// Command-line print hosts whose cancel button is pressed by the test: the
// progress says "stop" at the first abort check of the printing loop, that is
// right after page 1 has been sent.
#include <memory>
#include <string>

#include "cli/CliPrintHost.h"
#include "engine/Progress.h"
#include "engine/QvSettings.h"

namespace qv::test {

class CancelAfterFirstPage : public Progress {
public:
    void SetItemText(int item, const std::string& text) override {
        if (item == kProgressStatus) m_status = text;
    }
    void Show() override {}
    bool AbortCheck() override {
        if (m_status != "Print") return true;
        QvSettings::Instance().abort = true;
        return false;
    }

private:
    std::string m_status;
};

// Ctrl+C after page 1, as the command line handles it: the job is cancelled.
class InterruptedPrintHost : public CliPrintHost {
public:
    using CliPrintHost::CliPrintHost;
    std::unique_ptr<Progress> CreateProgress() override { return std::make_unique<CancelAfterFirstPage>(); }
};

// Cancel after page 1 as the print progress dialog handles it: the loop stops
// and the job ends with the pages sent so far.
class CancelledDialogPrintHost : public InterruptedPrintHost {
public:
    using InterruptedPrintHost::InterruptedPrintHost;
    bool EndDoc() override {
        QvSettings::Instance().abort = false;
        return CliPrintHost::EndDoc();
    }
};

}  // namespace qv::test
