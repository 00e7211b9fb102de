#include "KnownLayoutFaults.h"

namespace qv::layoutcheck {

const std::vector<KnownFault>& KnownLayoutFaults() {
    // None is known now: every report the generated runs break is judged.
    static const std::vector<KnownFault> faults = {};
    return faults;
}

const KnownFault* KnownFaultFor(const GeneratedReport& report, const Violation& violation) {
    for (const KnownFault& known : KnownLayoutFaults())
        if (violation.invariant == known.invariant && known.matches(report, violation)) return &known;
    return nullptr;
}

}  // namespace qv::layoutcheck
