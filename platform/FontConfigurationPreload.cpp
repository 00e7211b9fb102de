#include "platform/FontConfigurationPreload.h"

#include <system_error>

#include "platform/FontResolver.h"

namespace qv::platform {

FontConfigurationPreload::FontConfigurationPreload(bool start) {
    if (!start || std::thread::hardware_concurrency() < 2) return;
    try {
        m_thread = std::thread([] {
            try {
                LoadFontConfiguration();
            } catch (...) {
                // Out of memory, say: the first look-up meets it again and reports it.
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the first look-up loads the configuration.
    }
}

FontConfigurationPreload::~FontConfigurationPreload() {
    if (m_thread.joinable()) m_thread.join();
}

}  // namespace qv::platform
