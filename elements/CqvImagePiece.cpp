#include "elements/CqvImagePiece.h"

#include "elements/CqvFontScope.h"
#include "elements/CqvPicture.h"
#include "elements/CqvStyle.h"

int32_t CqvImagePiece::SliceTop() const {
    // The first part of a picture starts at its top; a continuation starts
    // below everything shown before.
    return m_bFresh ? 0 : m_nSliceOffset;
}

void CqvImagePiece::Draw(Surface& surface) {
    if (!m_pStyle) return;
    CqvFontScope scope(surface, *m_pStyle);
    surface.FillSolidRect(m_rcOuter, m_pStyle->m_crBg);
    if (!m_bFrameOnly && m_pPicture)
        m_pPicture->Render(surface, m_rcContent, m_nBoxWidth, m_nBoxHeight, SliceTop(), m_nSliceHeight);
    m_pStyle->DrawBorders(surface, m_rcOuter);
}
