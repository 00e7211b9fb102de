#pragma once
// Printing through CUPS: one print job whose single PDF document is streamed
// to a queue while its pages are drawn. The queues to choose from are
// PrinterDiscovery's.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "print/PrintSink.h"

namespace qv::print {

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
    explicit CupsJob(const std::string& printer, const std::string& title = kCupsJobTitle, const Options& options = {});
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

}  // namespace qv::print
