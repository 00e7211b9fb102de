#pragma once
// Ctrl-C and SIGTERM ask the running command to stop at its next page, so that
// its temporary output files are removed on the way out instead of left behind.
namespace qv::cli {

// Installs the handlers; a second signal ends the process at once.
void InstallInterruptHandlers();
bool InterruptRequested();

}  // namespace qv::cli
