#include "elements/CqvXmlRow.h"

#include "elements/CqvRow.h"
#include "elements/CqvTrial.h"

void CqvXmlRow::Load(const TiXmlElement& element) {
    CqvBlock::Load(element);
    SetStartPage(0);
}

bool CqvXmlRow::ApplyRepetitionRules(int32_t& g, CqvTrial* trial, size_t firstPiece, int32_t y, bool continuing) {
    if (qv::rows::MovesWhole(*this, g, firstPiece, y, continuing, m_bRepetitionOnEmptyPage)) {
        // The repetition's entry stays, so only the children start again.
        if (trial) trial->RegisterTree(*this);
        CqvBlock::Reset();
        return true;
    }
    qv::rows::ToRowExtent(*this, g);
    return false;
}
