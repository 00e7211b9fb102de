#pragma once
// The visual settings of one template element: font, colours, borders,
// paddings, vertical spacing and text alignment. Named styles come from the
// template's Styles; every block and item also holds a style of its own by
// value, inherited from its parent or a named style and then overridden by the
// style attributes written on its own element.
#include <cstdint>
#include <string>

#include "common/QvRect.h"
#include "common/TriState.h"
#include "elements/CqvElement.h"
#include "elements/CqvTextMetrics.h"

class Surface;

// Horizontal placement of each text line.
constexpr int32_t kQvAlignLeft = 0;
constexpr int32_t kQvAlignCenter = 1;
constexpr int32_t kQvAlignRight = 2;

class CqvStyle : public CqvElement {
public:
    CqvStyle() : CqvElement(qv::kTypeStyle) {}

    // Reads the style attributes of an element into this style. Raises the
    // length error for a malformed space or per-side padding.
    void Load(const TiXmlElement& element) override;

    // Every field except the text metrics, which belong to this style's own font.
    void CopyFrom(const CqvStyle& other);

    // A style that was never loaded starts from the report's default style.
    void ApplyDefault();

    // The borders that are on, with the surface's current pen.
    void DrawBorders(Surface& surface, const QvRect& outer) const;

    bool m_bLoaded = false;
    std::string m_strFontFamily = "Arial";
    int32_t m_nFontSize = 12;
    int32_t m_nBold = qv::kTriUnset;
    int32_t m_nItalic = qv::kTriUnset;
    int32_t m_nStrikeout = qv::kTriUnset;
    int32_t m_nUnderline = qv::kTriUnset;
    QvColor m_crText = QvRgb(0, 0, 0);
    QvColor m_crBg = QvRgb(255, 255, 255);
    int32_t m_nBorderLeft = qv::kTriUnset;
    int32_t m_nBorderTop = qv::kTriUnset;
    int32_t m_nBorderRight = qv::kTriUnset;
    int32_t m_nBorderBottom = qv::kTriUnset;
    CqvTextMetrics m_metrics;
    int32_t m_nTextAlign = kQvAlignLeft;
    int32_t m_nSpaceBefore = 0;
    int32_t m_nSpaceAfter = 10;
    int32_t m_nPaddingLeft = 10;
    int32_t m_nPaddingTop = 10;
    int32_t m_nPaddingRight = 10;
    int32_t m_nPaddingBottom = 10;

private:
    void LoadAttribute(const std::string& lowerName, const char* value);
};
