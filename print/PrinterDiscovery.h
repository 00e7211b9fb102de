#pragma once
// The queues the print dialog and the command line offer, as the CUPS
// scheduler lists them, and the words for a scheduler that is not there.
//
// The scheduler is the one the CUPS client library is configured for (the
// CUPS_SERVER variable, client.conf, else the local one).
#include <optional>
#include <string>
#include <vector>

namespace qv::print {

// One queue (or an instance of one) as CUPS lists it.
struct CupsDestination {
    std::string name;      // the queue name, as given to --printer or lp -d
    std::string instance;  // empty for the queue itself
    bool isDefault = false;
    std::string info;       // the queue's description ("printer-info"), may be empty
    std::string location;   // "printer-location", may be empty
    std::string deviceUri;  // "device-uri": where the queue sends its jobs; the port
    std::string makeAndModel;

    // "NAME/INSTANCE", or "NAME" for the queue itself.
    std::string FullName() const { return instance.empty() ? name : name + "/" + instance; }
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

}  // namespace qv::print
