#pragma once
// A keep-with-next trial: elements laid out inside it record their state at
// their first registration, and Restore writes every snapshot back, so a trial
// run leaves no trace (no pieces are made inside a trial either).
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "elements/QvRepetitionRecord.h"
#include "xml/NamedElementList.h"

class CqvItem;
class CqvReport;

using QvRepetitionMap = QvRepetitionRecord;

class CqvTrial {
public:
    explicit CqvTrial(CqvReport& report);
    CqvTrial(const CqvTrial&) = delete;
    CqvTrial& operator=(const CqvTrial&) = delete;

    // Records the element unless it is already recorded.
    void Register(CqvItem& item);

    // Records the item and everything below it: used before a container resets
    // its children, which changes them before they could record themselves.
    void RegisterTree(CqvItem& item);

    // Writes every snapshot back, forgets them and restores the report's
    // page-empty flag; the trial can then be used again.
    void Restore();

    size_t Size() const { return m_snapshots.size(); }

    // A block inside the trial broke the page for a start-page item, as the
    // layout will; taking the note clears it.
    void NoteStartPageBreak() { m_bStartPageBreak = true; }
    bool TakeStartPageBreak() { return std::exchange(m_bStartPageBreak, false); }

private:
    struct Snapshot {
        int32_t progress = 0;
        int32_t partProgress = 0;
        std::optional<PlacementRecord::Entries> placement;
        std::optional<bool> noWrap;
        std::optional<QvRepetitionMap> repetitions;
        bool deferred = false;
        int startPagePending = -1;
    };

    CqvReport& m_report;
    bool m_bSavedPageEmpty;
    std::map<CqvItem*, Snapshot> m_snapshots;
    bool m_bStartPageBreak = false;
};
