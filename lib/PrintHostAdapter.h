#pragma once
// The engine's PrintHost and Progress over a program's: the report prints
// and previews through the program's printer, dialogs and progress display.
#include <memory>
#include <optional>
#include <string>

#include "engine/PrintHost.h"
#include "engine/Progress.h"
#include "lib/SurfaceAdapter.h"
#include "quorvane/PrintHost.h"
#include "quorvane/Progress.h"

namespace quorvane::bridge {

// The engine's Progress over a program's, owned or not. A cancel the program
// answers is the engine's cancel flag, which the layout loops read.
class ProgressAdapter final : public ::Progress {
public:
    explicit ProgressAdapter(quorvane::Progress& progress) : m_progress(progress) {}
    explicit ProgressAdapter(std::unique_ptr<quorvane::Progress> owned)
        : m_owned(std::move(owned)), m_progress(*m_owned) {}

    void SetItemText(int item, const std::string& text) override;
    void Show() override { m_progress.Show(); }
    bool AbortCheck() override;

private:
    std::unique_ptr<quorvane::Progress> m_owned;
    quorvane::Progress& m_progress;
};

// A host with no printer and no preview that only gives the layout a
// progress display: Report::Prepare with a Progress.
class ProgressOnlyHost final : public ::PrintHost {
public:
    explicit ProgressOnlyHost(quorvane::Progress& progress) : m_progress(progress) {}
    bool DefaultPrinter(QvPrintDialog&) override { return false; }
    bool ShowPrintDialog(QvPrintDialog&) override { return false; }
    ::Surface* AttachPrinter(const QvPrintDialog&) override { return nullptr; }
    bool StartDoc(const std::string&) override { return false; }
    bool StartPage() override { return false; }
    bool EndPage() override { return false; }
    bool EndDoc() override { return false; }
    void AbortDoc() override {}
    void DetachPrinter() override {}
    int RunPreviewDialog(CqvReport&) override { return kPreviewResultClose; }
    std::unique_ptr<::Progress> CreateProgress() override { return std::make_unique<ProgressAdapter>(m_progress); }

private:
    quorvane::Progress& m_progress;
};

// The engine's PrintHost over a program's.
class PrintHostAdapter final : public ::PrintHost {
public:
    PrintHostAdapter(quorvane::PrintHost& host, quorvane::Report& report) : m_host(host), m_report(report) {}

    bool DefaultPrinter(QvPrintDialog& dialog) override;
    bool ShowPrintDialog(QvPrintDialog& dialog) override;
    ::Surface* AttachPrinter(const QvPrintDialog& dialog) override;
    bool StartDoc(const std::string& documentName) override { return m_host.StartDoc(documentName); }
    bool StartPage() override { return m_host.StartPage(); }
    bool EndPage() override { return m_host.EndPage(); }
    bool EndDoc() override { return m_host.EndDoc(); }
    void AbortDoc() override { m_host.AbortDoc(); }
    void DetachPrinter() override;
    int RunPreviewDialog(CqvReport& report) override;
    std::unique_ptr<::Progress> CreateProgress() override;

private:
    quorvane::PrintHost& m_host;
    quorvane::Report& m_report;
    std::optional<SurfaceAdapter> m_printer;  // when the program's printer is a surface of its own
};

}  // namespace quorvane::bridge
