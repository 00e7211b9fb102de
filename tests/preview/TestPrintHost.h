#pragma once
// The application's print host with the print dialog answered by the test:
// "print to file" into a chosen path, or a cancel.
#include <QPageLayout>
#include <QPrinter>
#include <functional>
#include <memory>
#include <string>

#include "preview/AppPrintHost.h"
#include "preview/CqvPrintingDialog.h"

namespace qvtest {

class FilePrintHost : public AppPrintHost {
public:
    // An empty path cancels the print dialog.
    explicit FilePrintHost(std::string path) : m_strPath(std::move(path)) {}

    int PrintDialogs() const { return m_nDialogs; }
    // The page layout the print dialog opened with.
    const QPageLayout& OfferedLayout() const { return m_offered; }

    // Makes the progress dialogs; by default the application's own.
    std::function<std::unique_ptr<Progress>()> makeProgress;
    std::unique_ptr<Progress> CreateProgress() override {
        return makeProgress ? makeProgress() : AppPrintHost::CreateProgress();
    }

protected:
    bool ExecPrintDialog(QPrinter& printer) override {
        ++m_nDialogs;
        m_offered = printer.pageLayout();
        if (m_strPath.empty()) return false;
        printer.setOutputFileName(QString::fromStdString(m_strPath));
        return true;
    }

private:
    std::string m_strPath;
    int m_nDialogs = 0;
    QPageLayout m_offered;
};

// A progress dialog that presses its own Cancel button at the first abort
// check of the phase it is told ("Prepare print" or "Print"), and remembers
// what it was shown.
class CancellingProgress : public CqvPrintingDialog {
public:
    CancellingProgress(QString phase, std::function<void(const CancellingProgress&)> seen = {})
        : m_phase(std::move(phase)), m_seen(std::move(seen)) {}
    ~CancellingProgress() override {
        if (m_seen) m_seen(*this);
    }

    bool AbortCheck() override;

private:
    QString m_phase;
    std::function<void(const CancellingProgress&)> m_seen;
};

}  // namespace qvtest
