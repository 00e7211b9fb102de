#pragma once
// The search behind a text's page portion: the longest run of words from a
// position that still fits on the page.
#include <algorithm>
#include <cstddef>

// The largest `to` in [from, count] for which fits(to) holds, where fits(from)
// is taken as true and fits holds for every length up to some point and for
// none beyond it (a longer run of words never takes less height). It finds
// what trying every length from the longest down finds, but probes around
// `guess` instead: outward in steps that double until the answer is bracketed,
// then halving the gap. A good guess (the run the previous page took, or all
// of a short text) settles it in two probes; any guess costs a number of
// probes that grows with the logarithm of the distance to the answer.
template <class Fits>
size_t LongestFittingRun(size_t from, size_t count, size_t guess, Fits&& fits) {
    if (count <= from) return from;
    size_t fitting = from;       // known to fit
    size_t failing = count + 1;  // known not to fit; count + 1 while none is known
    guess = std::clamp(guess, from + 1, count);
    if (fits(guess)) {
        fitting = guess;
        for (size_t step = 1; fitting < count && failing > count; step *= 2) {
            const size_t probe = std::min(fitting + step, count);
            (fits(probe) ? fitting : failing) = probe;
        }
    } else {
        failing = guess;
        for (size_t step = 1; fitting == from; step *= 2) {
            if (failing - from <= step) break;  // what is left below is bracketed by `from`
            const size_t probe = failing - step;
            (fits(probe) ? fitting : failing) = probe;
        }
    }
    while (failing <= count && failing - fitting > 1) {
        const size_t middle = fitting + (failing - fitting) / 2;
        (fits(middle) ? fitting : failing) = middle;
    }
    return fitting;
}
