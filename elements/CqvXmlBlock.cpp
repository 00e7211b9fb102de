#include "elements/CqvXmlBlock.h"

#include "engine/CqvReport.h"
#include "engine/QvSettings.h"
#include "xml/FindElementByPath.h"
#include "xml/DataNav.h"

void CqvXmlBlock::Reset() {
    CqvBlock::Reset();
    m_repetitions.clear();
}

bool CqvXmlBlock::HasStarted() const {
    // Begun means a repetition placed something. Neither finished repetitions
    // (no data, or data that gives their children nothing) nor finished
    // children (a table without rows, while the rest moved on) tell: a
    // keep-with-next trial that took such a block as begun would leave the
    // item kept with it alone at the foot.
    return m_repetitions.AnyStarted();
}

void CqvXmlBlock::DeferLast(int& count) {
    if (count != 0 || IsDone()) return;
    m_bDeferred = true;
    count = 1;
}

bool CqvXmlBlock::ApplyRepetitionRules(int32_t&, CqvTrial*, size_t, int32_t, bool) { return false; }

QvDataElement CqvXmlBlock::NextRepetition(QvDataElement current) const {
    // The whole path is compared with the sibling's name, so a path of several
    // steps finds its first element but never a second repetition.
    return qv::xml::NextSiblingElement(current, m_strXmlElementName);
}

void CqvXmlBlock::SpellOutRun() {
    QvDataElement element = m_repetitions.runFirst;
    for (size_t i = 0; i < m_repetitions.runLength && element; ++i, element = NextRepetition(element))
        m_repetitions.entries[element] = QvRepetition{-1, false};
    m_repetitions.runFirst = m_repetitions.runEnd = nullptr;
    m_repetitions.runLength = 0;
}

void CqvXmlBlock::ExtendRun(QvDataElement first, QvDataElement done) {
    m_repetitions.entries.erase(done);
    m_repetitions.runFirst = first;
    m_repetitions.runEnd = NextRepetition(done);
    ++m_repetitions.runLength;
}

int32_t CqvXmlBlock::Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                            CqvTrial* trial) {
    if (trial) trial->Register(*this);
    const int32_t top = y;
    QvDataElement first = data ? FindElementByPath(data, m_strXmlElementName) : nullptr;
    QvDataElement current = first;
    int64_t result = 0;
    auto partial = [&result]() -> int32_t { return result == 0 ? qv::kLayoutNextPage : qv::Clamp32(-result); };

    // Layout resumes after the finished repetitions. Stepping over them would
    // change nothing but for a deferred block, whose orphan control sees the
    // last repetition even when it is done.
    if (first && m_repetitions.runFirst == first) {
        current = m_repetitions.runEnd;
        if (!current && m_bDeferred) {
            m_bDeferred = false;
            return partial();
        }
    } else if (first && m_repetitions.runFirst) {
        // The run belongs to another context: its repetitions become entries.
        SpellOutRun();
    }

    while (current) {
        QvSettings::StopIfRequested();
        // Orphan control: a deferred block leaves its last repetition for the
        // next page.
        auto entry = m_repetitions.entries.find(current);
        if (m_bDeferred && !NextRepetition(current)) {
            m_bDeferred = false;
            // A repetition already begun on an earlier page goes on here, and
            // one that would leave its page empty stays: on the next page it
            // would stand first all the same.
            const bool unstarted = entry == m_repetitions.entries.end() || entry->second.state == 0;
            if (unstarted && (result != 0 || !m_pReport->PageEmpty())) return partial();
        }

        if (entry == m_repetitions.entries.end()) {
            // A new repetition: the children start afresh (the repetition entries
            // stay, so this is the block's reset, not this class's).
            if (trial) trial->RegisterTree(*this);
            entry = m_repetitions.entries.emplace(current, QvRepetition{}).first;
            CqvBlock::Reset();
        } else if (entry->second.state == -1) {
            // Every repetition before this one is done: the run grows by it.
            ExtendRun(first, current);
            current = NextRepetition(current);
            continue;
        }

        m_pieces.clear();

        if (qv::TriIsTrue(m_nStartPage) && entry->second.state == 0 && entry->second.startPagePending &&
            !m_pReport->PageEmpty()) {
            entry->second.startPagePending = false;
            return partial();
        }

        const size_t firstPiece = m_pReport->CurrentPagePieceCount();
        const bool continuing = entry->second.state != 0;
        m_bRepetitionOnEmptyPage = m_pReport->PageEmpty();
        int32_t g = LayoutChildren(surface, printInfo, y, current, trial);
        // A repetition that moved whole left nothing here; the ones before it
        // on this page stay placed. Reported as the repetition's own result,
        // they read as nothing placed: a nowrap row around this block then
        // kept their pieces while it went on as unstarted, and laid them out
        // again on a later page.
        if (ApplyRepetitionRules(g, trial, firstPiece, y, continuing)) return partial();
        HandPiecesToReport();

        if (g < 0) {
            // A repetition whose children placed nothing here still reports
            // their space-before as used; it has not begun all the same, or a
            // keep-with-next trial would take the block as started on a page
            // that shows nothing of it.
            if (g != qv::kLayoutNextPage && (continuing || CqvBlock::HasStarted())) {
                result += -int64_t{g};
                entry->second.state = 1;
            }
            return partial();
        }
        y = qv::Clamp32(int64_t{y} + g);
        if (g > 0 || continuing) m_repetitions.anyShown = true;
        ExtendRun(first, current);
        result += g;
        current = NextRepetition(current);
    }

    itemRect = ItemRect(top);
    itemRect.bottom = qv::Clamp32(int64_t{itemRect.top} - result);
    if (result < 0) return qv::Clamp32(result);
    Finish();
    return qv::Clamp32(result);
}
