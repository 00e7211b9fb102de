#include "elements/CqvLinePiece.h"

#include "elements/CqvFontScope.h"
#include "elements/CqvStyle.h"

void CqvLinePiece::Draw(Surface& surface) {
    if (!m_pStyle) return;
    // The style's font and colours are selected as for every piece, but a line
    // is drawn with the pen, which they do not touch.
    CqvFontScope scope(surface, *m_pStyle);
    surface.MoveTo(m_rcOuter.left, m_rcOuter.top);
    surface.LineTo(m_rcOuter.right, m_rcOuter.top);
}
