#pragma once
// Reads the font configuration on a thread of its own while the caller goes
// on (reading the template and the data): fontconfig's start, which parses
// every configuration file and maps every font cache, is a fixed cost of each
// run that would otherwise wait for the first text to be measured. The first
// font look-up waits for it if it has not finished; the answers are the same
// either way. Joined when the object ends.
#include <thread>

namespace qv::platform {

class FontConfigurationPreload {
public:
    // Starts nothing when `start` is false (one thread asked for, or one core).
    explicit FontConfigurationPreload(bool start = true);
    ~FontConfigurationPreload();
    FontConfigurationPreload(const FontConfigurationPreload&) = delete;
    FontConfigurationPreload& operator=(const FontConfigurationPreload&) = delete;

private:
    std::thread m_thread;
};

}  // namespace qv::platform
