#pragma once
// Layout faults already known and being mended on their own branch: the
// invariant checks they break are expected until their fix is merged. Each
// entry names its fault and matches only the checks that fault breaks (by the
// kind of item involved), never a whole invariant; when the fix is merged its
// entry goes, and the suite judges those reports again.
#include <string>
#include <vector>

#include "LayoutChecker.h"
#include "LayoutGenerator.h"

namespace qv::layoutcheck {

struct KnownFault {
    const char* fault;  // the fault, as issue 15 lists it
    const char* invariant;
    bool (*matches)(const GeneratedReport& report, const Violation& violation);
};

const std::vector<KnownFault>& KnownLayoutFaults();

// The entry that expects the violation, or none.
const KnownFault* KnownFaultFor(const GeneratedReport& report, const Violation& violation);

}  // namespace qv::layoutcheck
