#include "preview/AppPrintHost.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>

#include "preview/CdlgPrintPrev.h"
#include "preview/CqvPrintingDialog.h"
#include "preview/PrinterSelection.h"
#include "print/CupsJob.h"
#include "print/PrintFile.h"

namespace {

// Windows names the destination of "print to file" so; the progress dialog
// shows it as the port.
constexpr const char* kFilePort = "FILE:";

// The paper of a device mode in tenths of a millimetre, portrait sides first;
// 16 bits, read unsigned.
int PaperWidth(const QvDevMode& devMode) { return static_cast<uint16_t>(devMode.paperWidth); }
int PaperLength(const QvDevMode& devMode) { return static_cast<uint16_t>(devMode.paperLength); }

}  // namespace

AppPrintHost::AppPrintHost(QWidget* parent) : m_pParent(parent) {}

AppPrintHost::~AppPrintHost() = default;

bool AppPrintHost::DefaultPrinter(QvPrintDialog& dialog) {
    std::optional<QvPrintDialog> printer = PrinterSelectionFor(m_strPreferredPrinter);
    if (!printer) printer = DefaultPrinterSelection();
    if (printer) dialog = *printer;
    else dialog = QvPrintDialog{};
    // Without any queue the dialog still opens: printing to a PDF file needs
    // no printer.
    return true;
}

bool AppPrintHost::ShowPrintDialog(QvPrintDialog& dialog) {
    QPrinter printer(QPrinter::HighResolution);
    if (!dialog.deviceName.empty()) printer.setPrinterName(QString::fromStdString(dialog.deviceName));
    // The dialog opens with the report's paper and orientation.
    const QvDevMode& mode = dialog.devMode;
    if (PaperWidth(mode) > 0 && PaperLength(mode) > 0)
        printer.setPageSize(QPageSize(QSizeF(PaperWidth(mode) / 10.0, PaperLength(mode) / 10.0), QPageSize::Millimeter,
                                      QString(), QPageSize::ExactMatch));
    printer.setPageOrientation(mode.orientation == kDmOrientLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (!ExecPrintDialog(printer)) return false;

    m_nCopies = std::max(1, printer.copyCount());
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        m_strOutputFile = printer.outputFileName().toStdString();
        m_strQueue.clear();
        dialog.deviceName = m_strOutputFile;
        dialog.portName = kFilePort;
    } else {
        m_strOutputFile.clear();
        m_strQueue = printer.printerName().toStdString();
        dialog.deviceName = m_strQueue;
        const std::optional<QvPrintDialog> chosen = PrinterSelectionFor(m_strQueue);
        dialog.portName = chosen ? chosen->portName : std::string();
    }
    const QPageLayout layout = printer.pageLayout();
    const QSizeF paper = layout.pageSize().size(QPageSize::Millimeter);
    dialog.devMode.fields |= kDmOrientation | kDmPaperSize | kDmPaperLength | kDmPaperWidth;
    dialog.devMode.paperWidth = static_cast<int16_t>(static_cast<uint16_t>(std::lround(paper.width() * 10)));
    dialog.devMode.paperLength = static_cast<int16_t>(static_cast<uint16_t>(std::lround(paper.height() * 10)));
    dialog.devMode.orientation =
        layout.orientation() == QPageLayout::Landscape ? kDmOrientLandscape : kDmOrientPortrait;
    return true;
}

bool AppPrintHost::ExecPrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer, m_pParent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<qv::print::PrintSink> AppPrintHost::OpenSink(const std::string& documentName) {
    if (!m_strOutputFile.empty()) return std::make_unique<qv::print::PrintFile>(m_strOutputFile);
    qv::print::CupsJob::Options options;
    if (m_nCopies > 1) options.emplace_back("copies", std::to_string(m_nCopies));
    auto job = std::make_unique<qv::print::CupsJob>(m_strQueue, documentName, options);
    m_nJobId = job->JobId();
    return job;
}

int AppPrintHost::RunPreviewDialog(CqvReport& report) {
    CdlgPrintPrev dialog(&report, m_pParent);
    return dialog.exec();
}

std::unique_ptr<Progress> AppPrintHost::CreateProgress() { return std::make_unique<CqvPrintingDialog>(); }
