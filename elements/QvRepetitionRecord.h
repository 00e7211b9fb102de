#pragma once
// The repetitions of a data-bound block or row that layout has reached.
//
// Repetitions are reached in document order and each one is finished before
// the next begins, so the finished ones form one unbroken run from the first
// matching element. The run is kept as its first element, its length and the
// element after it rather than as one entry per repetition: layout resumes
// after it instead of stepping over every finished repetition on every page,
// and a keep-with-next trial copies a record of a few entries however many
// repetitions are done. Repetitions from the end of the run on have entries.
#include <cstddef>
#include <map>

#include "xml/QvDataElement.h"

// One data element's repetition state in a data-bound block or row.
struct QvRepetition {
    int state = 0;  // 0 not started, 1 partly placed, -1 done
    bool startPagePending = true;
    friend bool operator==(const QvRepetition&, const QvRepetition&) = default;
};

struct QvRepetitionRecord {
    // Reached repetitions that are not part of the finished run.
    std::map<QvDataElement, QvRepetition> entries;
    // The first repetition of the run's context; none while no run is known.
    QvDataElement runFirst;
    // The repetition after the run; none when the run takes every repetition.
    QvDataElement runEnd;
    size_t runLength = 0;
    // Whether a finished repetition placed anything. Repetitions whose data
    // gives their children nothing to show finish at no height: a block that
    // has only such behind it shows nothing on the page yet.
    bool anyShown = false;

    // Every reached repetition, finished or not.
    size_t size() const { return runLength + entries.size(); }
    bool empty() const { return size() == 0; }
    void clear() { *this = QvRepetitionRecord{}; }
    // Whether any reached repetition is partly placed, or done having placed
    // something.
    bool AnyStarted() const;

    friend bool operator==(const QvRepetitionRecord&, const QvRepetitionRecord&) = default;
};
