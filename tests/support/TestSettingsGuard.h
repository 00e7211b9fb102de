#pragma once
// Header-only, so that only the suites that use it link the engine.
#include "engine/QvSettings.h"

namespace qv::test {

// Restores the process-wide settings (default style, page count) that loading
// and laying out a report change, so that one test cannot leak into the next.
class SettingsGuard {
public:
    SettingsGuard() : m_saved(QvSettings::Instance()) {}
    ~SettingsGuard() { QvSettings::Instance() = m_saved; }
    SettingsGuard(const SettingsGuard&) = delete;
    SettingsGuard& operator=(const SettingsGuard&) = delete;

private:
    QvSettings m_saved;
};

}  // namespace qv::test
