#include "xml/NamedElementList.h"

#include <cstdio>

int32_t& GeneratedNameCounter() {
    static int32_t counter = 0;
    return counter;
}

std::string NextGeneratedName() {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "n%.5d", ++GeneratedNameCounter());
    return buffer;
}

void PlacementRecord::Register(const CqvListMember* member, int32_t spanLeft, int32_t spanRight,
                               int32_t bottom) {
    m_entries[member] = PlacementEntry{spanLeft, spanRight, bottom};
}

void PlacementRecord::RegisterUnfinished(const CqvListMember* member, int32_t spanLeft,
                                         int32_t spanRight) {
    // Only a finished member clears what it overlaps, whatever the progress of the
    // members that own those entries.
    if (member->Progress() == kProgressFinished) {
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (it->first != member && it->second.Overlaps(spanLeft, spanRight))
                it = m_entries.erase(it);
            else
                ++it;
        }
    }
    m_entries[member] = PlacementEntry{spanLeft, spanRight, 0};
}

bool PlacementRecord::OverlapsUnfinished(const CqvListMember* member, int32_t l, int32_t r) const {
    for (const auto& [owner, entry] : m_entries) {
        if (owner != member && owner->Progress() != kProgressFinished && entry.Overlaps(l, r))
            return true;
    }
    return false;
}

int32_t PlacementRecord::LargestFinishedBottom(const CqvListMember* member, int32_t l,
                                               int32_t r) const {
    int32_t largest = 0;
    for (const auto& [owner, entry] : m_entries) {
        if (owner != member && owner->Progress() == kProgressFinished && entry.Overlaps(l, r) &&
            entry.bottom > largest)
            largest = entry.bottom;
    }
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
}

const PlacementEntry* PlacementRecord::Find(const CqvListMember* member) const {
    auto it = m_entries.find(member);
    return it == m_entries.end() ? nullptr : &it->second;
}
