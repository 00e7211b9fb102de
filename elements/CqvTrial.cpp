#include "elements/CqvTrial.h"

#include "elements/CqvBlock.h"
#include "elements/CqvXmlBlock.h"
#include "engine/CqvReport.h"

CqvTrial::CqvTrial(CqvReport& report) : m_report(report), m_bSavedPageEmpty(report.PageEmpty()) {}

void CqvTrial::Register(CqvItem& item) {
    if (m_snapshots.contains(&item)) return;
    Snapshot snapshot;
    snapshot.progress = item.Progress();
    snapshot.partProgress = item.PartProgress();
    if (const auto* block = dynamic_cast<const CqvBlock*>(&item)) {
        snapshot.placement = block->Placement().AllEntries();
        // A row that a trial finds too tall to move splits where it stands
        // and drops its nowrap; the real layout must judge that afresh.
        snapshot.noWrap = block->NoWrap();
    }
    if (const auto* bound = dynamic_cast<const CqvXmlBlock*>(&item)) snapshot.repetitions = bound->Repetitions();
    snapshot.deferred = item.Deferred();
    snapshot.startPagePending = item.StartPagePending();
    m_snapshots.emplace(&item, std::move(snapshot));
}

void CqvTrial::RegisterTree(CqvItem& item) {
    Register(item);
    if (auto* block = dynamic_cast<CqvBlock*>(&item)) {
        for (const auto& child : block->Children()) RegisterTree(*child);
    }
}

void CqvTrial::Restore() {
    for (auto& [item, snapshot] : m_snapshots) {
        item->SetProgress(snapshot.progress);
        item->SetPartProgress(snapshot.partProgress);
        if (auto* block = dynamic_cast<CqvBlock*>(item)) {
            if (snapshot.placement) block->Placement().Restore(std::move(*snapshot.placement));
            if (snapshot.noWrap) block->SetNoWrap(*snapshot.noWrap);
        }
        if (snapshot.repetitions) {
            if (auto* bound = dynamic_cast<CqvXmlBlock*>(item)) bound->Repetitions() = std::move(*snapshot.repetitions);
        }
        item->SetDeferred(snapshot.deferred);
        item->SetStartPagePending(snapshot.startPagePending);
    }
    m_snapshots.clear();
    m_report.SetPageEmpty(m_bSavedPageEmpty);
}
