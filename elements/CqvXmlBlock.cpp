#include "elements/CqvXmlBlock.h"

#include <tinyxml.h>

#include "engine/CqvReport.h"
#include "xml/FindElementByPath.h"
#include "xml/XmlNav.h"

void CqvXmlBlock::Reset() {
    CqvBlock::Reset();
    m_repetitions.clear();
}

bool CqvXmlBlock::HasStarted() const {
    if (CqvBlock::HasStarted()) return true;
    for (const auto& [element, repetition] : m_repetitions) {
        if (repetition.state != 0) return true;
    }
    return false;
}

bool CqvXmlBlock::ApplyRepetitionRules(int32_t&, CqvTrial*, size_t) { return false; }

const TiXmlElement* CqvXmlBlock::NextRepetition(const TiXmlElement* current) const {
    // The whole path is compared with the sibling's name, so a path of several
    // steps finds its first element but never a second repetition.
    return qv::xml::NextSiblingElement(current, m_strXmlElementName);
}

int32_t CqvXmlBlock::Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y,
                            const TiXmlElement* data, QvRect& itemRect, CqvTrial* trial) {
    if (trial) trial->Register(*this);
    const int32_t top = y;
    const TiXmlElement* current = data ? FindElementByPath(data, m_strXmlElementName) : nullptr;
    int64_t result = 0;
    auto partial = [&result]() -> int32_t {
        return result == 0 ? qv::kLayoutNextPage : qv::Clamp32(-result);
    };

    while (current) {
        // Orphan control: a deferred block leaves its last repetition for the
        // next page.
        if (m_bDeferred && !NextRepetition(current)) {
            m_bDeferred = false;
            return partial();
        }

        auto entry = m_repetitions.find(current);
        if (entry == m_repetitions.end()) {
            // A new repetition: the children start afresh (the repetition entries
            // stay, so this is the block's reset, not this class's).
            if (trial) trial->RegisterTree(*this);
            entry = m_repetitions.emplace(current, QvRepetition{}).first;
            CqvBlock::Reset();
        } else if (entry->second.state == -1) {
            current = NextRepetition(current);
            continue;
        }

        m_pieces.clear();

        if (qv::TriIsTrue(m_nStartPage) && entry->second.state == 0 &&
            entry->second.startPagePending && !m_pReport->PageEmpty()) {
            entry->second.startPagePending = false;
            return partial();
        }

        const size_t firstPiece = m_pReport->CurrentPagePieceCount();
        int32_t g = LayoutChildren(surface, printInfo, y, current, trial);
        if (ApplyRepetitionRules(g, trial, firstPiece)) return g;
        HandPiecesToReport();

        if (g < 0) {
            if (g != qv::kLayoutNextPage) {
                result += -int64_t{g};
                entry->second.state = 1;
            }
            return partial();
        }
        y = qv::Clamp32(int64_t{y} + g);
        entry->second.state = -1;
        result += g;
        current = NextRepetition(current);
    }

    itemRect = ItemRect(top);
    itemRect.bottom = qv::Clamp32(int64_t{itemRect.top} - result);
    if (result < 0) return qv::Clamp32(result);
    Finish();
    return qv::Clamp32(result);
}
