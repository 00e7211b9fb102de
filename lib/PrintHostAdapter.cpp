#include "lib/PrintHostAdapter.h"

#include "engine/QvSettings.h"
#include "lib/RendererAccess.h"

namespace quorvane {

Progress::~Progress() = default;
PrintHost::~PrintHost() = default;
std::unique_ptr<Progress> PrintHost::CreateProgress() { return nullptr; }

namespace bridge {

namespace {

PrintDialog ToPublic(const QvPrintDialog& dialog) {
    const QvDevMode& mode = dialog.devMode;
    return {dialog.deviceName, dialog.portName,
            DevMode{mode.fields, mode.orientation, mode.paperSize, mode.paperLength, mode.paperWidth}};
}

void CopyBack(const PrintDialog& from, QvPrintDialog& to) {
    const DevMode& mode = from.devMode;
    to.deviceName = from.deviceName;
    to.portName = from.portName;
    to.devMode = QvDevMode{mode.fields, mode.orientation, mode.paperSize, mode.paperLength, mode.paperWidth};
}

}  // namespace

void ProgressAdapter::SetItemText(int item, const std::string& text) {
    m_progress.SetItemText(static_cast<ProgressItem>(item), text);
}

bool ProgressAdapter::AbortCheck() {
    if (m_progress.AbortCheck()) return !QvSettings::Instance().abort;
    QvSettings::Instance().abort = true;
    return false;
}

bool PrintHostAdapter::DefaultPrinter(QvPrintDialog& dialog) {
    PrintDialog chosen = ToPublic(dialog);
    if (!m_host.DefaultPrinter(chosen)) return false;
    CopyBack(chosen, dialog);
    return true;
}

bool PrintHostAdapter::ShowPrintDialog(QvPrintDialog& dialog) {
    PrintDialog chosen = ToPublic(dialog);
    if (!m_host.ShowPrintDialog(chosen)) return false;
    CopyBack(chosen, dialog);
    return true;
}

::Surface* PrintHostAdapter::AttachPrinter(const QvPrintDialog& dialog) {
    quorvane::Surface* surface = m_host.AttachPrinter(ToPublic(dialog));
    if (!surface) return nullptr;
    return &EngineSurfaceOf(*surface, m_printer);
}

void PrintHostAdapter::DetachPrinter() {
    m_host.DetachPrinter();
    m_printer.reset();
}

int PrintHostAdapter::RunPreviewDialog(CqvReport&) { return m_host.RunPreviewDialog(m_report); }

std::unique_ptr<::Progress> PrintHostAdapter::CreateProgress() {
    std::unique_ptr<quorvane::Progress> progress = m_host.CreateProgress();
    if (!progress) return nullptr;
    return std::make_unique<ProgressAdapter>(std::move(progress));
}

}  // namespace bridge
}  // namespace quorvane
