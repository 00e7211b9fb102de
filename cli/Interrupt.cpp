#include "cli/Interrupt.h"

#include <csignal>

#include "engine/QvSettings.h"

namespace qv::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

}  // namespace

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // One polite request; the next signal takes the default action.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // The engine looks at the same flag inside its long loops (loading a file,
    // one page's layout, drawing a page), so a request is obeyed within moments.
    QvSettings::Instance().interruptFlag = &g_interrupted;
}

bool InterruptRequested() { return g_interrupted != 0; }

}  // namespace qv::cli
