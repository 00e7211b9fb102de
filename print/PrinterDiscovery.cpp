#include "print/PrinterDiscovery.h"

#include "print/CupsHandles.h"

namespace qv::print {

namespace {

// How long the probe for a scheduler waits. It runs only after a look-up has
// already failed, so it only decides which message the user reads.
constexpr int kProbeTimeoutMs = 5000;

std::string OptionOf(const cups_dest_t& dest, const char* name) {
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : "";
}

CupsDestination DestinationOf(const cups_dest_t& dest) {
    CupsDestination result;
    result.name = dest.name ? dest.name : "";
    result.instance = dest.instance ? dest.instance : "";
    result.isDefault = dest.is_default != 0;
    result.info = OptionOf(dest, "printer-info");
    result.location = OptionOf(dest, "printer-location");
    result.deviceUri = OptionOf(dest, "device-uri");
    result.makeAndModel = OptionOf(dest, "printer-make-and-model");
    return result;
}

}  // namespace

CupsDestPtr GetNamedCupsDest(const std::string& name) {
    if (name.empty()) return CupsDestPtr(cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    const size_t slash = name.find('/');
    const std::string queue = name.substr(0, slash);
    const std::string instance = slash == std::string::npos ? std::string() : name.substr(slash + 1);
    return CupsDestPtr(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), instance.empty() ? nullptr : instance.c_str()));
}

std::string FullCupsName(const cups_dest_t& dest) {
    std::string name = dest.name ? dest.name : "";
    if (dest.instance && *dest.instance) name += std::string("/") + dest.instance;
    return name;
}

CupsHttpPtr ConnectToCupsScheduler(int timeoutMs) {
    return CupsHttpPtr(
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs, nullptr));
}

std::string CupsServerAddress() {
    const std::string server = cupsServer() ? cupsServer() : "";
    // A domain socket has no port.
    if (server.empty() || server.front() == '/') return server;
    return server + ":" + std::to_string(ippPort());
}

bool CupsSchedulerAnswers() { return ConnectToCupsScheduler(kProbeTimeoutMs) != nullptr; }

std::string NoPrintServerReason() {
    if (CupsSchedulerAnswers()) return {};
    return "no print server answers at " + CupsServerAddress();
}

std::string LastCupsError() {
    if (cupsLastError() == IPP_STATUS_OK) return {};
    const char* text = cupsLastErrorString();
    if (text && *text) return text;
    return ippErrorString(cupsLastError());
}

std::vector<CupsDestination> ListCupsDestinations() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<CupsDestination> result;
    result.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (int i = 0; i < count; ++i) result.push_back(DestinationOf(dests[i]));
    cupsFreeDests(count, dests);
    return result;
}

std::optional<CupsDestination> DefaultCupsDestination() {
    CupsDestPtr dest = GetNamedCupsDest({});
    if (!dest) return std::nullopt;
    return DestinationOf(*dest);
}

std::optional<CupsDestination> FindCupsDestination(const std::string& name) {
    if (name.empty()) return std::nullopt;
    CupsDestPtr dest = GetNamedCupsDest(name);
    if (!dest) return std::nullopt;
    return DestinationOf(*dest);
}

}  // namespace qv::print
