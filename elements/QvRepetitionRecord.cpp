#include "elements/QvRepetitionRecord.h"

bool QvRepetitionRecord::AnyStarted() const {
    if (runLength > 0 && anyShown) return true;
    for (const auto& [element, repetition] : entries) {
        if (repetition.state == 1 || (repetition.state == -1 && anyShown)) return true;
    }
    return false;
}
