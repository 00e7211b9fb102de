#pragma once
// The owning, ordered list of named template objects (styles, blocks, the items
// of a block), with unique names per list, generated names for unnamed members,
// and the placement record that block layout fills and queries.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/CqvEx.h"

// Progress of a member: 0 not started, -1 finished, anything else is the
// member's own progress.
constexpr int32_t kProgressFinished = -1;

class CqvListMember {
public:
    virtual ~CqvListMember() = default;

    const std::string& Name() const { return m_strName; }
    void SetName(std::string name) { m_strName = std::move(name); }
    int32_t Progress() const { return m_nProgress; }
    void SetProgress(int32_t progress) { m_nProgress = progress; }

protected:
    std::string m_strName;
    int32_t m_nProgress = 0;
};

// The process-wide counter behind generated names; never reset.
int32_t& GeneratedNameCounter();
// Increments the counter and formats "n%.5d".
std::string NextGeneratedName();

struct PlacementEntry {
    int32_t spanLeft = 0;
    int32_t spanRight = 0;
    int32_t bottom = 0;
    // Begun on an earlier page: such a member did not open this page's run
    // of items, whatever stands above it.
    bool continued = false;

    // Both ends included: [10, 20] overlaps [20, 30].
    bool Overlaps(int32_t l, int32_t r) const { return spanRight >= l && r >= spanLeft; }
    friend bool operator==(const PlacementEntry&, const PlacementEntry&) = default;
};

// The placement record of one block: for each member, the span it occupies and
// the bottom below which later overlapping members must start on this page.
class PlacementRecord {
public:
    void Register(const CqvListMember* member, int32_t spanLeft, int32_t spanRight, int32_t bottom,
                  bool continued = false);
    void RegisterUnfinished(const CqvListMember* member, int32_t spanLeft, int32_t spanRight);
    bool OverlapsUnfinished(const CqvListMember* member, int32_t l, int32_t r) const;
    int32_t LargestFinishedBottom(const CqvListMember* member, int32_t l, int32_t r) const;
    void ContinueOnNewPage();

    const PlacementEntry* Find(const CqvListMember* member) const;
    void Clear();
    size_t Size() const { return m_entries.size(); }

    // Trials snapshot and restore the whole record.
    using Entries = std::unordered_map<const CqvListMember*, PlacementEntry>;
    const Entries& AllEntries() const { return m_entries; }
    void Restore(Entries entries);

private:
    // The spans are also kept by their left end, in classes of width (0, 1,
    // 2-3, 4-7, ...): an entry of class c can only overlap [l, r] when its left
    // end lies in [l - (2^c - 1), r], so a query visits the entries near its
    // span in each class instead of the whole record. A row of 100,000 cells
    // would otherwise cost 5 billion visits. Which entries match does not depend
    // on the order of the visits.
    struct SpanKey {
        int32_t left = 0;
        const CqvListMember* member = nullptr;
    };
    struct SpanKeyLess {
        using is_transparent = void;
        bool operator()(const SpanKey& a, const SpanKey& b) const;
        bool operator()(const SpanKey& a, int32_t left) const { return a.left < left; }
        bool operator()(int32_t left, const SpanKey& b) const { return left < b.left; }
    };
    static constexpr size_t kWidthClasses = 33;
    using SpanIndex = std::map<SpanKey, int32_t, SpanKeyLess>;  // the value is the right end

    static size_t WidthClass(int32_t spanLeft, int32_t spanRight);
    // Calls `visit(member)` for every entry overlapping [l, r].
    template <class Visit>
    void ForEachOverlap(int32_t l, int32_t r, Visit visit) const;
    void Store(const CqvListMember* member, const PlacementEntry& entry);
    void Erase(const CqvListMember* member);
    void Reindex();

    Entries m_entries;
    std::array<SpanIndex, kWidthClasses> m_bySpan;
};

template <class T>
class NamedElementList {
public:
    NamedElementList() = default;
    NamedElementList(const NamedElementList&) = delete;
    NamedElementList& operator=(const NamedElementList&) = delete;

    // Takes ownership. Raises "Element '<name>' already exists" before adding, so a
    // refused member is destroyed and the list is unchanged.
    T* Add(std::unique_ptr<T> member) {
        if (member->Name().empty()) member->SetName(NextGeneratedName());
        if (Contains(member->Name())) throw CqvEx("Element '" + member->Name() + "' already exists");
        // Indexed by name: a row of 100,000 cells would otherwise be checked
        // name by name, 5 billion comparisons.
        m_byName.emplace(member->Name(), member.get());
        m_members.push_back(std::move(member));
        return m_members.back().get();
    }

    bool Contains(const std::string& name) const { return Find(name) != nullptr; }

    // Names are unique within a list, so the index gives the one member of that name.
    T* Find(const std::string& name) const {
        const auto found = m_byName.find(name);
        return found == m_byName.end() ? nullptr : found->second;
    }

    size_t Size() const { return m_members.size(); }
    T* At(size_t index) const { return m_members[index].get(); }

    void Clear() {
        m_placement.Clear();
        m_byName.clear();
        m_members.clear();
    }

    PlacementRecord& Placement() { return m_placement; }
    const PlacementRecord& Placement() const { return m_placement; }

    auto begin() const { return m_members.begin(); }
    auto end() const { return m_members.end(); }

private:
    std::vector<std::unique_ptr<T>> m_members;
    std::unordered_map<std::string, T*> m_byName;
    PlacementRecord m_placement;
};
