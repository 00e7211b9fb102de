#include "preview/PrinterSelection.h"

#include "print/PrinterDiscovery.h"

namespace {

QvPrintDialog FromDestination(const qv::print::CupsDestination& destination) {
    QvPrintDialog dialog;
    dialog.deviceName = destination.FullName();
    dialog.portName = destination.deviceUri;
    return dialog;
}

}  // namespace

std::optional<QvPrintDialog> DefaultPrinterSelection() {
    if (std::optional<qv::print::CupsDestination> d = qv::print::DefaultCupsDestination()) return FromDestination(*d);
    return std::nullopt;
}

std::optional<QvPrintDialog> PrinterSelectionFor(const std::string& queue) {
    if (queue.empty()) return std::nullopt;
    if (std::optional<qv::print::CupsDestination> d = qv::print::FindCupsDestination(queue)) return FromDestination(*d);
    return std::nullopt;
}
