#pragma once
// Where the PDF of a print job goes: a CUPS queue (CupsJob) or a file
// (PrintFile). A sink takes bytes in order, then either completes the job with
// Finish or throws it away with Cancel; a sink that is destroyed without
// Finish behaves as if cancelled, so an error half-way never prints or leaves
// half a document.
#include <cstddef>

namespace qv::print {

class PrintSink {
public:
    virtual ~PrintSink() = default;

    // Raise CqvEx with the message the user reads, naming the printer or
    // file; the sink is then cancelled. The exception travels unchanged up to
    // the print host, which keeps it as the job's error.
    virtual void Write(const unsigned char* data, size_t length) = 0;
    virtual void Finish() = 0;
    // Stops the job: no further bytes are taken, and nothing is printed or kept.
    // Cancelling again, or after Finish, does nothing.
    virtual void Cancel() noexcept = 0;

    virtual bool Finished() const = 0;
    virtual bool Cancelled() const = 0;
};

}  // namespace qv::print
