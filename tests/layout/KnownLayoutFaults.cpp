#include "KnownLayoutFaults.h"

#include <cstdint>

namespace qv::layoutcheck {

namespace {

const ItemFacts* Facts(const GeneratedReport& report, const std::string& name) {
    auto found = report.items.find(name);
    return found == report.items.end() ? nullptr : &found->second;
}

// A not-last-item item left at the foot while the bound block after it opens
// the next page: in seed 150 the block opens with a not-last-item chain of its
// own (not reduced yet).
bool KeepBeforeABlock(const GeneratedReport& report, const Violation& v) {
    if (v.items.size() != 2) return false;
    const ItemFacts* next = Facts(report, v.items[1]);
    return next && next->kind == ItemKind::BoundBlock;
}

}  // namespace

const std::vector<KnownFault>& KnownLayoutFaults() {
    static const std::vector<KnownFault> faults = {
        // Issue 15, faults 2, 3 and 4 are mended; what the generated runs
        // still see is a not-last-item item left at the foot while the bound
        // block after it opens the next page (seed 150, not reduced yet).
        {"issue 15 faults 2-4 (keep-with-next before a block)", "keep", KeepBeforeABlock},
    };
    return faults;
}

const KnownFault* KnownFaultFor(const GeneratedReport& report, const Violation& violation) {
    for (const KnownFault& known : KnownLayoutFaults())
        if (violation.invariant == known.invariant && known.matches(report, violation)) return &known;
    return nullptr;
}

}  // namespace qv::layoutcheck
