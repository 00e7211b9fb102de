#include "cli/MeasureSurface.h"

#include <utility>

QvFontSpec MeasureSurface::SelectFont(const QvFontSpec& font) { return std::exchange(m_font, font); }

QvColor MeasureSurface::SetTextColor(QvColor color) { return std::exchange(m_textColor, color); }

QvColor MeasureSurface::SetBkColor(QvColor color) { return std::exchange(m_bkColor, color); }
