#pragma once
// Makes a style's font on a surface for the length of a scope: selects the
// font and the style's colours, builds the style's text metrics, and puts the
// previous font and colours back when the scope ends. Every piece's drawing and
// every text measurement runs inside one.
#include <cstdint>

#include "common/QvRect.h"
#include "engine/Surface.h"

class CqvStyle;
struct QvSettings;

class CqvFontScope {
public:
    CqvFontScope(Surface& surface, CqvStyle& style);
    ~CqvFontScope();
    CqvFontScope(const CqvFontScope&) = delete;
    CqvFontScope& operator=(const CqvFontScope&) = delete;

    const QvFontSpec& Font() const { return m_font; }
    int32_t EmHeight() const { return m_nEmHeight; }

    // dpi x size / 72, truncated: the font's em height in the surface's units.
    static int32_t FontEmHeight(int32_t logPixelsY, int32_t fontSize);
    // The logical font of a style at a resolution.
    static QvFontSpec MakeFont(const CqvStyle& style, int32_t logPixelsY, const QvSettings& settings);

private:
    void Restore();

    Surface& m_surface;
    QvFontSpec m_font;
    int32_t m_nEmHeight = 0;
    QvFontSpec m_previousFont;
    QvColor m_crPreviousText = 0;
    QvColor m_crPreviousBg = 0;
};
