#pragma once
// Everything the report needs from the outside world to print or preview: the
// printer, its dialog, the print job and the preview dialog. The application
// implements it with Qt and CUPS, the command line from its options.
#include <memory>
#include <string>

#include "engine/Progress.h"
#include "engine/QvPrintInfo.h"

class CqvReport;
class Surface;

// Result of the preview dialog when the user pressed "&Print...".
constexpr int kPreviewResultPrint = 2006;
constexpr int kPreviewResultClose = 2010;

class PrintHost {
public:
    virtual ~PrintHost() = default;

    // Fills the dialog with the default printer's names and device mode; false
    // when there is no printer.
    virtual bool DefaultPrinter(QvPrintDialog& dialog) = 0;

    // Shows the print dialog opened on dialog.devMode; true when the user
    // confirms, with the chosen printer and device mode written back.
    virtual bool ShowPrintDialog(QvPrintDialog& dialog) = 0;

    // Resets the chosen printer with the dialog's device mode and attaches its
    // surface, on which the report lays out and draws. The host owns the
    // surface; null when the printer cannot be opened.
    virtual Surface* AttachPrinter(const QvPrintDialog& dialog) = 0;

    // The print job on the attached printer.
    virtual bool StartDoc(const std::string& documentName) = 0;
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDoc() = 0;
    virtual void AbortDoc() = 0;

    // Detaches (and forgets) the printer surface.
    virtual void DetachPrinter() = 0;

    // Runs the preview dialog on the loaded report, modally; returns its result
    // (kPreviewResultPrint when the user asks to print).
    virtual int RunPreviewDialog(CqvReport& report) = 0;

    // A new progress dialog; null for none.
    virtual std::unique_ptr<Progress> CreateProgress() { return nullptr; }
};
