#include "KnownLayoutFaults.h"

#include <cstdint>


namespace qv::layoutcheck {

namespace {

const ItemFacts* Facts(const GeneratedReport& report, const std::string& name) {
    auto found = report.items.find(name);
    return found == report.items.end() ? nullptr : &found->second;
}

bool InForm(const GeneratedReport& report, const Violation& v) {
    for (const std::string& item : v.items)
        if (const ItemFacts* facts = Facts(report, item); facts && !facts->absoluteGroup.empty()) return true;
    return false;
}

// Two pieces of one item on one page lying over each other.
bool SameItemTwice(const GeneratedReport&, const Violation& v) {
    return v.items.size() == 2 && v.items[0] == v.items[1];
}

// Whether an ancestor of the item is a table that holds another table.
bool InTableWithNestedTable(const GeneratedReport& report, const std::string& item) {
    std::vector<std::string> tables;
    for (const ItemFacts* f = Facts(report, item); f && !f->parent.empty(); f = Facts(report, f->parent))
        if (const ItemFacts* parent = Facts(report, f->parent); parent && parent->kind == ItemKind::Table)
            tables.push_back(f->parent);
    for (const auto& [name, facts] : report.items) {
        if (facts.kind != ItemKind::Table) continue;
        for (const ItemFacts* f = &facts; f && !f->parent.empty(); f = Facts(report, f->parent))
            for (const std::string& table : tables)
                if (f->parent == table) return true;
    }
    return false;
}

bool CellsOfNestedTables(const GeneratedReport& report, const Violation& v) {
    if (v.items.size() != 2) return false;
    return InTableWithNestedTable(report, v.items[0]) && InTableWithNestedTable(report, v.items[1]);
}

// Reports the generated runs found that are not reduced yet (h15-findings
// lists them); each stays expected only for its own seed.
bool UnreducedSeed(const GeneratedReport& report, const Violation& v) {
    struct Entry {
        uint64_t seed;
        const char* invariant;
    };
    static const Entry entries[] = {
        {123, "words"}, {251, "words"}, {300, "words"}, {365, "words"}, {392, "words"},
        // Seen only once the fault fixes merged: words lost (197) and placed
        // twice (124) by bound texts; not reduced yet.
        {124, "words"}, {197, "words"},
        {131, "paper"}, {178, "paper"}, {344, "paper"}, {351, "paper"},
    };
    for (const Entry& e : entries)
        if (e.seed == report.seed && v.invariant == e.invariant) return true;
    return false;
}

bool TextCutAtItsContent(const GeneratedReport&, const Violation& v) {
    return v.kinds == std::vector<std::string>{"text"} &&
           (v.detail.find(" cuts the drawn line ") != std::string::npos ||
            v.detail.find(" but draws ") != std::string::npos);
}

bool RunawayPages(const GeneratedReport&, const Violation& v) {
    return v.detail.find("Pages > 'max-pages'") != std::string::npos;
}

bool HasKind(const Violation& v, const char* kind) {
    for (const std::string& k : v.kinds)
        if (k == kind) return true;
    return false;
}

}  // namespace

const std::vector<KnownFault>& KnownLayoutFaults() {
    static const std::vector<KnownFault> faults = {
        // Issue 15, fault 8: lines below the body and the paper.
        {"issue 15 fault 8 (lines below the body)", "body",
         [](const GeneratedReport&, const Violation& v) { return HasKind(v, "line"); }},
        {"issue 15 fault 8 (lines below the body)", "paper",
         [](const GeneratedReport&, const Violation& v) { return HasKind(v, "line"); }},
        // Issue 15, faults 2, 3 and 4: keep-with-next at the top of a
        // top-level block, a trial that adds space-before twice, and
        // not-last-item on a bound block.
        {"issue 15 faults 2-4 (keep-with-next)", "keep",
         [](const GeneratedReport&, const Violation&) { return true; }},
        // Issue 15, fault 10 and the keep-with-next faults: a report that pages
        // on until max-pages (a nowrap picture that never fits, an item that a
        // failing trial moves on every page).
        {"issue 15 fault 10 (nowrap picture moving forever)", "pages", RunawayPages},
        // Found here, not one of the ten (h15-findings N2): a keep-with-next trial
        // over a table row that continues leaves the frame-only pieces of the
        // row's finished cells on the page, so they are drawn twice.
        {"h15-findings N2 (a trial leaves row frames)", "overlap", SameItemTwice},
        // Not reduced yet: h15-findings N3 (words) and N4 (boxes turned upside down).
        {"h15-findings N3 (unreduced: words of bound texts)", "words", UnreducedSeed},
        {"h15-findings N4 (unreduced: a box upside down)", "paper", UnreducedSeed},
        // Found here, not one of the ten (h15-findings N1): a text cut at the foot
        // of a page chooses its lines without its padding bottom, so its last
        // line lies below its content box and is not drawn.
        {"h15-findings N1 (padding bottom at the page foot)", "words", TextCutAtItsContent},
    };
    return faults;
}

const KnownFault* KnownFaultFor(const GeneratedReport& report, const Violation& violation) {
    for (const KnownFault& known : KnownLayoutFaults())
        if (violation.invariant == known.invariant && known.matches(report, violation)) return &known;
    return nullptr;
}

}  // namespace qv::layoutcheck
