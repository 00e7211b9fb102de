#pragma once
// The printer the preview and the print dialog start from: the CUPS default
// destination, with its device URI as the port, as the progress dialog shows.
#include <optional>
#include <string>

#include "engine/QvPrintInfo.h"

// None when no default is set or the scheduler cannot be reached.
std::optional<QvPrintDialog> DefaultPrinterSelection();
// The named queue; none when CUPS does not know it.
std::optional<QvPrintDialog> PrinterSelectionFor(const std::string& queue);
