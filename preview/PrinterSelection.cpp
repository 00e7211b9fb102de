#include "preview/PrinterSelection.h"

#include "print/CupsJob.h"

namespace {

QvPrintDialog FromDestination(const qv::render::CupsDestination& destination) {
    QvPrintDialog dialog;
    dialog.deviceName = destination.instance.empty() ? destination.name
                                                     : destination.name + "/" + destination.instance;
    dialog.portName = destination.deviceUri;
    return dialog;
}

}  // namespace

std::optional<QvPrintDialog> DefaultPrinterSelection() {
    if (std::optional<qv::render::CupsDestination> d = qv::render::DefaultCupsDestination())
        return FromDestination(*d);
    return std::nullopt;
}

std::optional<QvPrintDialog> PrinterSelectionFor(const std::string& queue) {
    if (queue.empty()) return std::nullopt;
    if (std::optional<qv::render::CupsDestination> d = qv::render::FindCupsDestination(queue))
        return FromDestination(*d);
    return std::nullopt;
}
