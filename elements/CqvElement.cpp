#include "elements/CqvElement.h"

#include "engine/CqvPagePiece.h"

int32_t CqvElement::Layout(Surface&, QvPrintInfo&, int32_t, QvDataElement, QvRect&, CqvTrial*) {
    return qv::kLayoutNothing;
}

void CqvElement::Assign(const CqvElement& other) {
    m_pReport = other.m_pReport;
    m_strName = other.m_strName;
}

std::unique_ptr<CqvPagePiece> CqvElement::CreatePiece() { return nullptr; }

void CqvElement::Reset() { m_nProgress = 0; }
