#pragma once
// Printing through CUPS: the queues the print dialog offers, and one print job
// whose single PDF document is streamed to a queue while its pages are drawn.
//
// The scheduler is the one the CUPS client library is configured for (the
// CUPS_SERVER variable, client.conf, else the local one).
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "print/PrintSink.h"

namespace qv::render {

// One queue (or an instance of one) as CUPS lists it.
struct CupsDestination {
    std::string name;      // the queue name, as given to --printer or lp -d
    std::string instance;  // empty for the queue itself
    bool isDefault = false;
    std::string info;       // the queue's description ("printer-info"), may be empty
    std::string location;   // "printer-location", may be empty
    std::string deviceUri;  // "device-uri": where the queue sends its jobs; the port
    std::string makeAndModel;
};

// Every destination the scheduler knows, in CUPS's order. Empty when there is
// none or the scheduler cannot be reached.
std::vector<CupsDestination> ListCupsDestinations();
// The default destination (the lpoptions default, $PRINTER or $LPDEST, else the
// scheduler's); none when no default is set.
std::optional<CupsDestination> DefaultCupsDestination();
// The named destination ("NAME" or "NAME/INSTANCE"); none when it is unknown.
std::optional<CupsDestination> FindCupsDestination(const std::string& name);

// CUPS's own words for why the last look-up above found nothing (the
// scheduler cannot be reached, the queue does not exist); empty when it gave none.
std::string LastCupsError();

// Where the client library looks for the scheduler: its socket path, or
// host:port.
std::string CupsServerAddress();
// Whether a scheduler answers at that address. The look-ups above say only
// that they found nothing; this tells "no such queue" from "no print server".
bool CupsSchedulerAnswers();
// "no print server answers at ADDRESS" when none answers; empty when one does.
std::string NoPrintServerReason();

// The title every job of the report carries.
inline constexpr const char* kCupsJobTitle = "Quorvane";

// One CUPS job holding one application/pdf document. Construction creates the
// job and starts its document, so bytes can be written at once; Finish closes
// the document and hands the job to the queue. A job that is destroyed
// unfinished, or that fails half-way, is cancelled: the queue never prints a
// truncated PDF.
class CupsJob : public PrintSink {
public:
    using Options = std::vector<std::pair<std::string, std::string>>;

    // `printer` is a queue name ("NAME" or "NAME/INSTANCE"); empty means the
    // default destination. `options` are CUPS job options ("copies", "media",
    // …). Raises CqvEx "Can't print to 'NAME': REASON", or "There is no
    // default printer" when `printer` is empty and no default is set.
    explicit CupsJob(const std::string& printer, const std::string& title = kCupsJobTitle,
                     const Options& options = {});
    ~CupsJob() override;
    CupsJob(const CupsJob&) = delete;
    CupsJob& operator=(const CupsJob&) = delete;

    // Sends bytes of the document. Raises CqvEx naming the printer; the job is
    // then cancelled.
    void Write(const unsigned char* data, size_t length) override;
    // Ends the document; the job is then the queue's. Raises CqvEx naming the
    // printer when CUPS refuses it; the job is then cancelled.
    void Finish() override;
    // Abandons the document and cancels the job on the scheduler.
    void Cancel() noexcept override;

    bool Finished() const override { return m_state == State::Finished; }
    bool Cancelled() const override { return m_state == State::Cancelled; }

    // The queue the job went to (the default's name when none was asked for),
    // and the scheduler's number for the job.
    const std::string& Printer() const { return m_strPrinter; }
    int JobId() const { return m_nJobId; }

private:
    struct Connection;  // the CUPS objects of the job, freed in reverse order

    enum class State { Open, Finished, Cancelled };

    [[noreturn]] void Fail(const std::string& reason);

    std::string m_strPrinter;
    std::unique_ptr<Connection> m_connection;
    int m_nJobId = 0;
    State m_state = State::Open;
};

}  // namespace qv::render
