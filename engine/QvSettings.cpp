#include "engine/QvSettings.h"

QvSettings& QvSettings::Instance() {
    static QvSettings settings;
    return settings;
}
