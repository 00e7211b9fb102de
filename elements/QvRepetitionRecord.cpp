#include "elements/QvRepetitionRecord.h"

bool QvRepetitionRecord::AnyStarted() const {
    if (runLength > 0) return true;
    for (const auto& [element, repetition] : entries) {
        if (repetition.state != 0) return true;
    }
    return false;
}
