#pragma once
/// @file
/// What a report needs from the outside world to print and to preview: the
/// printer, its dialog, the print job, the preview dialog and a progress
/// display. A program implements PrintHost and hands it to Report::Print or
/// Report::Preview.
#include <cstdint>
#include <memory>
#include <string>

#include "quorvane/Export.h"
#include "quorvane/Progress.h"
#include "quorvane/Surface.h"

namespace quorvane {

class Report;

/// The page setup as a printer takes it. Lengths are tenths of a millimetre.
struct DevMode {
    /// Which fields are set: kDmOrientation, kDmPaperSize, kDmPaperLength, kDmPaperWidth.
    std::uint32_t fields = 0;
    std::int16_t orientation = 1;  ///< 1 portrait, 2 landscape.
    std::int16_t paperSize = 9;    ///< 9 is A4; 256 a size of its own given by length and width.
    std::int16_t paperLength = 0;  ///< Paper length when paperSize is 256.
    std::int16_t paperWidth = 0;   ///< Paper width when paperSize is 256.
    /// Device modes with the same fields are equal.
    friend bool operator==(const DevMode&, const DevMode&) = default;
};

/// DevMode::fields: the orientation is set.
inline constexpr std::uint32_t kDmOrientation = 0x0001;
/// DevMode::fields: the paper size is set.
inline constexpr std::uint32_t kDmPaperSize = 0x0002;
/// DevMode::fields: the paper length is set.
inline constexpr std::uint32_t kDmPaperLength = 0x0004;
/// DevMode::fields: the paper width is set.
inline constexpr std::uint32_t kDmPaperWidth = 0x0008;

/// A printer as the print dialog chooses it.
struct PrintDialog {
    std::string deviceName;  ///< The printer's name.
    std::string portName;    ///< Its port.
    DevMode devMode;         ///< Its page setup.
};

/// RunPreviewDialog's result when the user asks to print.
inline constexpr int kPreviewResultPrint = 2006;
/// RunPreviewDialog's result when the user closes the preview.
inline constexpr int kPreviewResultClose = 2010;

/// The printer, print dialog, print job and preview dialog of a program.
/// Report::Print calls, in order: DefaultPrinter, ShowPrintDialog,
/// AttachPrinter, StartDoc, then StartPage and EndPage around each page,
/// EndDoc (or AbortDoc when a page failed or the user cancelled), DetachPrinter.
class QUORVANE_API PrintHost {
public:
    virtual ~PrintHost();

    /// Fills `dialog` with the default printer's names and page setup; false
    /// when there is no printer, which ends printing quietly.
    virtual bool DefaultPrinter(PrintDialog& dialog) = 0;

    /// Shows the print dialog opened on dialog.devMode, which already holds
    /// the report's page setup; true when the user confirms, with the chosen
    /// printer and page setup written back. False ends printing quietly.
    virtual bool ShowPrintDialog(PrintDialog& dialog) = 0;

    /// Opens the chosen printer with the dialog's page setup and returns the
    /// surface the report lays out and draws on. The host owns the surface,
    /// which stays valid until DetachPrinter. Null when the printer cannot be
    /// opened: printing then fails with a CqvEx naming it.
    virtual Surface* AttachPrinter(const PrintDialog& dialog) = 0;

    /// Starts the print job, named "Quorvane"; false when it cannot start.
    virtual bool StartDoc(const std::string& documentName) = 0;
    /// Starts a printer page.
    virtual bool StartPage() = 0;
    /// Ends a printer page; false stops the job.
    virtual bool EndPage() = 0;
    /// Ends the job after its last page.
    virtual bool EndDoc() = 0;
    /// Abandons the job.
    virtual void AbortDoc() = 0;

    /// Releases the surface AttachPrinter returned.
    virtual void DetachPrinter() = 0;

    /// Runs the preview dialog on the loaded report, modally: it may lay the
    /// report out with Report::Prepare and draw its pages with Report::DrawPage.
    /// Returns kPreviewResultPrint to print the report, anything else to stop.
    virtual int RunPreviewDialog(Report& report) = 0;

    /// A new progress display for one long loop; null (the default) for none.
    virtual std::unique_ptr<Progress> CreateProgress();
};

}  // namespace quorvane
