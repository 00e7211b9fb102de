#include "print/CupsJob.h"

#include <cups/cups.h>

#include <algorithm>

#include "common/CqvEx.h"

namespace qv::render {

namespace {

// CUPS's own objects, freed by their own functions.
struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct HttpDeleter {
    void operator()(http_t* http) const { httpClose(http); }
};
struct DestInfoDeleter {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using DestPtr = std::unique_ptr<cups_dest_t, DestDeleter>;
using HttpPtr = std::unique_ptr<http_t, HttpDeleter>;
using DestInfoPtr = std::unique_ptr<cups_dinfo_t, DestInfoDeleter>;

// A job option list built for one request.
class OptionList {
public:
    explicit OptionList(const CupsJob::Options& options) {
        for (const auto& [name, value] : options) m_count = cupsAddOption(name.c_str(), value.c_str(), m_count, &m_options);
    }
    ~OptionList() { cupsFreeOptions(m_count, m_options); }
    OptionList(const OptionList&) = delete;
    OptionList& operator=(const OptionList&) = delete;

    int Count() const { return m_count; }
    cups_option_t* Options() const { return m_options; }

private:
    int m_count = 0;
    cups_option_t* m_options = nullptr;
};

// How long connecting to the scheduler may take before the job fails.
constexpr int kConnectTimeoutMs = 30000;
// How long the probe for a scheduler waits. It runs only after a look-up has
// already failed, so it only decides which message the user reads.
constexpr int kProbeTimeoutMs = 5000;
// cupsWriteRequestData takes an int length.
constexpr size_t kWriteChunk = 64 * 1024;

bool IppSucceeded(ipp_status_t status) { return status < IPP_STATUS_REDIRECTION_OTHER_SITE; }

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

// "NAME/INSTANCE" as CUPS names a destination: the instance is optional.
DestPtr GetNamedDest(const std::string& name) {
    if (name.empty()) return DestPtr(cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    const size_t slash = name.find('/');
    const std::string queue = name.substr(0, slash);
    const std::string instance = slash == std::string::npos ? std::string() : name.substr(slash + 1);
    return DestPtr(cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), instance.empty() ? nullptr : instance.c_str()));
}

// A connection of the job's own to the scheduler that holds the queues. Not
// cupsConnectDest: that goes to the address in the queue's printer URI
// (localhost:631), which misses a scheduler reached through CUPS_SERVER.
HttpPtr ConnectToScheduler() {
    return HttpPtr(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectTimeoutMs,
                                nullptr));
}

std::string FullName(const cups_dest_t& dest) {
    std::string name = dest.name ? dest.name : "";
    if (dest.instance && *dest.instance) name += std::string("/") + dest.instance;
    return name;
}

}  // namespace

std::string CupsServerAddress() {
    const std::string server = cupsServer() ? cupsServer() : "";
    // A domain socket has no port.
    if (server.empty() || server.front() == '/') return server;
    return server + ":" + std::to_string(ippPort());
}

bool CupsSchedulerAnswers() {
    const HttpPtr http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                    kProbeTimeoutMs, nullptr));
    return http != nullptr;
}

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
    DestPtr dest = GetNamedDest({});
    if (!dest) return std::nullopt;
    return DestinationOf(*dest);
}

std::optional<CupsDestination> FindCupsDestination(const std::string& name) {
    if (name.empty()) return std::nullopt;
    DestPtr dest = GetNamedDest(name);
    if (!dest) return std::nullopt;
    return DestinationOf(*dest);
}

// ---- the job ---------------------------------------------------------------------

struct CupsJob::Connection {
    DestPtr dest;
    HttpPtr http;
    DestInfoPtr info;
};

CupsJob::CupsJob(const std::string& printer, const std::string& title, const Options& options)
    : m_strPrinter(printer), m_connection(std::make_unique<Connection>()) {
    Connection& c = *m_connection;
    c.dest = GetNamedDest(printer);
    if (!c.dest) {
        const ipp_status_t status = cupsLastError();
        const std::string lookupError = LastCupsError();
        // The client library's words for a scheduler that is not there are
        // those of a failed socket call ("Bad file descriptor"); say what it is.
        const std::string noServer = NoPrintServerReason();
        if (!printer.empty()) Fail(noServer.empty() ? lookupError : noServer);
        // No default is not the same as a scheduler that cannot be reached.
        const bool unreachable = status != IPP_STATUS_OK && status != IPP_STATUS_ERROR_NOT_FOUND;
        const std::string message = !noServer.empty() ? "There is no default printer: " + noServer
                                    : unreachable     ? "There is no default printer: " + lookupError
                                                      : std::string("There is no default printer");
        SetLastError(message);
        m_state = State::Cancelled;
        throw CqvEx(message);
    }
    m_strPrinter = FullName(*c.dest);

    c.http = ConnectToScheduler();
    if (!c.http) Fail(LastCupsError());
    c.info.reset(cupsCopyDestInfo(c.http.get(), c.dest.get()));
    if (!c.info) Fail(LastCupsError());

    const OptionList jobOptions(options);
    int jobId = 0;
    const ipp_status_t created = cupsCreateDestJob(c.http.get(), c.dest.get(), c.info.get(), &jobId, title.c_str(),
                                                   jobOptions.Count(), jobOptions.Options());
    if (!IppSucceeded(created) || jobId <= 0) Fail(LastCupsError());
    m_nJobId = jobId;

    const http_status_t started = cupsStartDestDocument(c.http.get(), c.dest.get(), c.info.get(), m_nJobId,
                                                        title.c_str(), CUPS_FORMAT_PDF, 0, nullptr, 1);
    // From here until Finish the connection carries the document's body and
    // no other request.
    if (started != HTTP_STATUS_CONTINUE) Fail(LastCupsError());
}

CupsJob::~CupsJob() { Cancel(); }

void CupsJob::Fail(const std::string& reason) {
    const std::string message =
        "Can't print to '" + m_strPrinter + "': " + (reason.empty() ? "the print system gave no reason" : reason);
    Cancel();
    SetLastError(message);
    throw CqvEx(message);
}

void CupsJob::Write(const unsigned char* data, size_t length) {
    if (m_state != State::Open)
        throw CqvEx("Can't print to '" + m_strPrinter + "': the job has " +
                    (m_state == State::Finished ? "already ended" : "been cancelled"));
    Connection& c = *m_connection;
    while (length > 0) {
        const size_t chunk = std::min(length, kWriteChunk);
        const http_status_t status =
            cupsWriteRequestData(c.http.get(), reinterpret_cast<const char*>(data), static_cast<int>(chunk));
        if (status != HTTP_STATUS_CONTINUE) {
            // The scheduler answered early (it refused the document) or the
            // connection broke; its own words say more than the HTTP status.
            const ipp_status_t ipp = cupsLastError();
            Fail(ipp != IPP_STATUS_OK ? LastCupsError() : std::string(httpStatus(status)));
        }
        data += chunk;
        length -= chunk;
    }
}

void CupsJob::Finish() {
    if (m_state == State::Finished) return;
    if (m_state == State::Cancelled)
        throw CqvEx("Can't print to '" + m_strPrinter + "': the job has been cancelled");
    Connection& c = *m_connection;
    const ipp_status_t status = cupsFinishDestDocument(c.http.get(), c.dest.get(), c.info.get());
    if (!IppSucceeded(status)) Fail(LastCupsError());
    m_state = State::Finished;
    m_connection.reset();
}

void CupsJob::Cancel() noexcept {
    if (m_state != State::Open) return;
    m_state = State::Cancelled;
    if (!m_connection) return;
    Connection& c = *m_connection;
    if (m_nJobId > 0 && c.dest) {
        // Closing the connection mid-document makes the scheduler drop the
        // partial document. The job needs a request of its own, on a fresh
        // connection: the old one is mid-request or came out of a failure.
        c.http.reset();
        c.http = ConnectToScheduler();
        const ipp_status_t status =
            c.http ? cupsCancelDestJob(c.http.get(), c.dest.get(), m_nJobId) : IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
        // A job the scheduler has already finished or dropped is as good as cancelled.
        if (!IppSucceeded(status) && status != IPP_STATUS_ERROR_NOT_POSSIBLE && status != IPP_STATUS_ERROR_NOT_FOUND)
            SetLastError("Can't cancel job " + std::to_string(m_nJobId) + " on '" + m_strPrinter +
                         "': " + LastCupsError());
    }
    m_connection.reset();
}

}  // namespace qv::render
