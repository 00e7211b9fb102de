#pragma once
// Failures that do not come from the engine's own checks (the memory running
// out, a library throwing) still reach the user as a CqvEx with a clear
// message, never as a crash or a library's raw text.
#include <new>
#include <stdexcept>
#include <string>

#include "common/CqvEx.h"

inline constexpr const char* kOutOfMemoryText =
    "The report needs more memory than the system gives it: the template or the data is too large";

// Runs `work`; a CqvEx passes unchanged, anything else leaves as one.
template <class Work>
decltype(auto) ForeignFailuresAsCqvEx(Work&& work) {
    try {
        return work();
    } catch (const CqvEx&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw CqvEx(kOutOfMemoryText);
    } catch (const std::length_error&) {
        throw CqvEx(kOutOfMemoryText);
    } catch (const std::exception& e) {
        throw CqvEx(std::string("Unexpected failure: ") + e.what());
    }
}
