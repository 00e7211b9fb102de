#include "render/StatefulSurface.h"

#include <utility>

QvFontSpec StatefulSurface::SelectFont(const QvFontSpec& font) {
    if (!(font == m_font)) FontChanged();
    return std::exchange(m_font, font);
}

QvColor StatefulSurface::SetTextColor(QvColor color) { return std::exchange(m_textColor, color); }

QvColor StatefulSurface::SetBkColor(QvColor color) { return std::exchange(m_bkColor, color); }

void StatefulSurface::MoveTo(int32_t x, int32_t y) {
    m_curX = x;
    m_curY = y;
}
