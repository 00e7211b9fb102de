#pragma once
// Owning handles for the CUPS client library's objects, freed by its own
// functions, and the two requests that printer discovery and the print job
// both make: finding a destination by name and connecting to the scheduler.
#include <cups/cups.h>

#include <memory>
#include <string>

namespace qv::print {

struct CupsDestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct CupsHttpDeleter {
    void operator()(http_t* http) const { httpClose(http); }
};
struct CupsDestInfoDeleter {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using CupsDestPtr = std::unique_ptr<cups_dest_t, CupsDestDeleter>;
using CupsHttpPtr = std::unique_ptr<http_t, CupsHttpDeleter>;
using CupsDestInfoPtr = std::unique_ptr<cups_dinfo_t, CupsDestInfoDeleter>;

// The destination "NAME" or "NAME/INSTANCE"; the default one for an empty
// name. Null when CUPS does not know it (LastCupsError says why).
CupsDestPtr GetNamedCupsDest(const std::string& name);
// "NAME/INSTANCE" as CUPS names a destination; just "NAME" for the queue itself.
std::string FullCupsName(const cups_dest_t& dest);

// A connection to the scheduler that holds the queues, or null after
// `timeoutMs`. Not cupsConnectDest: that goes to the address in the queue's
// printer URI (localhost:631), which misses a scheduler reached through
// CUPS_SERVER.
CupsHttpPtr ConnectToCupsScheduler(int timeoutMs);

}  // namespace qv::print
