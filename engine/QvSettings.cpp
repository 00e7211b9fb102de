#include "engine/QvSettings.h"

#include "common/CqvStopped.h"

void QvSettings::StopIfRequested() {
    if (Instance().Interrupted()) throw CqvStopped();
}

QvSettings& QvSettings::Instance() {
    static QvSettings settings;
    return settings;
}
