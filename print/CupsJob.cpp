#include "print/CupsJob.h"

#include <algorithm>

#include "common/CqvEx.h"
#include "print/CupsHandles.h"
#include "print/PrinterDiscovery.h"

namespace qv::print {

namespace {

// A job option list built for one request.
class OptionList {
public:
    explicit OptionList(const CupsJob::Options& options) {
        for (const auto& [name, value] : options)
            m_count = cupsAddOption(name.c_str(), value.c_str(), m_count, &m_options);
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
// cupsWriteRequestData takes an int length.
constexpr size_t kWriteChunk = 64 * 1024;

bool IppSucceeded(ipp_status_t status) { return status < IPP_STATUS_REDIRECTION_OTHER_SITE; }

}  // namespace

// ---- the job ---------------------------------------------------------------------

struct CupsJob::Connection {
    CupsDestPtr dest;
    CupsHttpPtr http;
    CupsDestInfoPtr info;
};

CupsJob::CupsJob(const std::string& printer, const std::string& title, const Options& options)
    : m_strPrinter(printer), m_connection(std::make_unique<Connection>()) {
    Connection& c = *m_connection;
    c.dest = GetNamedCupsDest(printer);
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
        m_state = State::Cancelled;
        throw CqvEx(message);
    }
    m_strPrinter = FullCupsName(*c.dest);

    c.http = ConnectToCupsScheduler(kConnectTimeoutMs);
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
    if (m_state == State::Cancelled) throw CqvEx("Can't print to '" + m_strPrinter + "': the job has been cancelled");
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
        c.http = ConnectToCupsScheduler(kConnectTimeoutMs);
        // A refusal has no one to tell: cancelling runs while a failure is
        // already on its way, or from the destructor. A job the scheduler has
        // already finished or dropped is as good as cancelled anyway.
        if (c.http) cupsCancelDestJob(c.http.get(), c.dest.get(), m_nJobId);
    }
    m_connection.reset();
}

}  // namespace qv::print
