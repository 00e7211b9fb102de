#include "xml/NamedElementList.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

int32_t& GeneratedNameCounter() {
    static int32_t counter = 0;
    return counter;
}

std::string NextGeneratedName() {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "n%.5d", ++GeneratedNameCounter());
    return buffer;
}

bool PlacementRecord::SpanKeyLess::operator()(const SpanKey& a, const SpanKey& b) const {
    if (a.left != b.left) return a.left < b.left;
    return std::less<const CqvListMember*>{}(a.member, b.member);
}

size_t PlacementRecord::WidthClass(int32_t spanLeft, int32_t spanRight) {
    // An inverted span (right of its left end) overlaps only queries that reach
    // its left end, like a span of width 0.
    const int64_t width = int64_t{spanRight} - spanLeft;
    return width <= 0 ? 0 : static_cast<size_t>(std::bit_width(static_cast<uint64_t>(width)));
}

template <class Visit>
void PlacementRecord::ForEachOverlap(int32_t l, int32_t r, Visit visit) const {
    if (m_entries.empty()) return;
    for (size_t widthClass = 0; widthClass < kWidthClasses; ++widthClass) {
        const SpanIndex& index = m_bySpan[widthClass];
        if (index.empty()) continue;
        const int64_t widest = widthClass == 0 ? 0 : (int64_t{1} << widthClass) - 1;
        const int64_t from = std::max<int64_t>(int64_t{l} - widest, std::numeric_limits<int32_t>::min());
        for (auto it = index.lower_bound(static_cast<int32_t>(from)); it != index.end() && it->first.left <= r; ++it) {
            if (it->second >= l) visit(it->first.member);
        }
    }
}

void PlacementRecord::Store(const CqvListMember* member, const PlacementEntry& entry) {
    Erase(member);
    m_entries.emplace(member, entry);
    m_bySpan[WidthClass(entry.spanLeft, entry.spanRight)].emplace(SpanKey{entry.spanLeft, member}, entry.spanRight);
}

void PlacementRecord::Erase(const CqvListMember* member) {
    const auto it = m_entries.find(member);
    if (it == m_entries.end()) return;
    m_bySpan[WidthClass(it->second.spanLeft, it->second.spanRight)].erase(SpanKey{it->second.spanLeft, member});
    m_entries.erase(it);
}

void PlacementRecord::Reindex() {
    for (SpanIndex& index : m_bySpan) index.clear();
    for (const auto& [member, entry] : m_entries)
        m_bySpan[WidthClass(entry.spanLeft, entry.spanRight)].emplace(SpanKey{entry.spanLeft, member}, entry.spanRight);
}

void PlacementRecord::Clear() {
    m_entries.clear();
    for (SpanIndex& index : m_bySpan) index.clear();
}

void PlacementRecord::Restore(Entries entries) {
    m_entries = std::move(entries);
    Reindex();
}

void PlacementRecord::Register(const CqvListMember* member, int32_t spanLeft, int32_t spanRight, int32_t bottom,
                               bool continued) {
    Store(member, PlacementEntry{spanLeft, spanRight, bottom, continued});
}

void PlacementRecord::RegisterUnfinished(const CqvListMember* member, int32_t spanLeft, int32_t spanRight) {
    // Only a finished member clears what it overlaps, whatever the progress of the
    // members that own those entries.
    if (member->Progress() == kProgressFinished) {
        std::vector<const CqvListMember*> cleared;
        ForEachOverlap(spanLeft, spanRight, [&](const CqvListMember* owner) {
            if (owner != member) cleared.push_back(owner);
        });
        for (const CqvListMember* owner : cleared) Erase(owner);
    }
    Store(member, PlacementEntry{spanLeft, spanRight, 0});
}

bool PlacementRecord::OverlapsUnfinished(const CqvListMember* member, int32_t l, int32_t r) const {
    bool found = false;
    ForEachOverlap(l, r, [&](const CqvListMember* owner) {
        if (owner != member && owner->Progress() != kProgressFinished) found = true;
    });
    return found;
}

int32_t PlacementRecord::LargestFinishedBottom(const CqvListMember* member, int32_t l, int32_t r) const {
    int32_t largest = 0;
    ForEachOverlap(l, r, [&](const CqvListMember* owner) {
        if (owner == member || owner->Progress() != kProgressFinished) return;
        const int32_t bottom = m_entries.at(owner).bottom;
        if (bottom > largest) largest = bottom;
    });
    return largest;
}

void PlacementRecord::ContinueOnNewPage() {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->first->Progress() == kProgressFinished) {
            it = m_entries.erase(it);
        } else {
            it->second.bottom = 0;
            ++it;
        }
    }
    Reindex();
}

const PlacementEntry* PlacementRecord::Find(const CqvListMember* member) const {
    auto it = m_entries.find(member);
    return it == m_entries.end() ? nullptr : &it->second;
}
